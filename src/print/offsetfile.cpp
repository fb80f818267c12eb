#include "offsetfile.h"

#include "addressrecord.h"
#include "postcardlayout.h"
#include "settingsfile.h"

namespace nvl {

QString OffsetRecord::xSteps() const {
    return shortestDecimal((leadingNumber(x) - 1440) / 20);
}

QString OffsetRecord::ySteps() const {
    return shortestDecimal((leadingNumber(y) - 880) / 20);
}

OffsetRecord ReadOffsetFile(const QString &path) {
    return offsetsFromValues(readSettingsValues(path, 3));
}

OffsetRecord offsetsFromValues(const QStringList &values) {
    OffsetRecord offsets;
    if (!values.value(0).isEmpty())
        offsets.x = values.value(0);
    if (!values.value(1).isEmpty())
        offsets.y = values.value(1);
    if (!values.value(2).isEmpty())
        offsets.secondRow = values.value(2);
    return offsets;
}

WriteResult WriteOffsetFile(const QString &path, const OffsetRecord &offsets) {
    return writeSettingsValues(path, {offsets.x, offsets.y, offsets.secondRow});
}

} // namespace nvl
