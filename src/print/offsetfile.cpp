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
    const QStringList values = readSettingsValues(path, 3);
    OffsetRecord offsets;
    if (!values.at(0).isEmpty())
        offsets.x = values.at(0);
    if (!values.at(1).isEmpty())
        offsets.y = values.at(1);
    if (!values.at(2).isEmpty())
        offsets.secondRow = values.at(2);
    return offsets;
}

WriteResult WriteOffsetFile(const QString &path, const OffsetRecord &offsets) {
    return writeSettingsValues(path, {offsets.x, offsets.y, offsets.secondRow});
}

} // namespace nvl
