#include "offsetfile.h"

#include <QCoreApplication>

#include "addressrecord.h"
#include "postcardlayout.h"
#include "settingsfile.h"

namespace nvl {

QString OffsetRecord::xStepsOf(double twips) {
    return shortestDecimal((twips - NeutralX.toDouble()) / 20);
}

QString OffsetRecord::yStepsOf(double twips) {
    return shortestDecimal((twips - NeutralY.toDouble()) / 20);
}

SheetOffsets OffsetRecord::steps() const {
    return {(leadingNumber(x) - NeutralX.toDouble()) / 20,
            (leadingNumber(y) - NeutralY.toDouble()) / 20, leadingNumber(secondRow)};
}

OffsetRecord readOffsetFile(const QString &path, QString *problem) {
    const SettingsRead read = readSettingsFile(path, 3);
    int unreadable = 0;
    const OffsetRecord offsets = offsetsFromValues(read.values, &unreadable);
    if (problem) {
        *problem = read.problem;
        if (problem->isEmpty() && unreadable > 0)
            *problem =
                QCoreApplication::translate(
                    "nvl::OffsetFile", "ファイル「%1」の印字位置の値が読めないため、その値は標準の"
                                       "位置にしました。")
                    .arg(path);
    }
    return offsets;
}

OffsetRecord offsetsFromValues(const QStringList &values, int *unreadable) {
    OffsetRecord offsets;
    const auto take = [&values, unreadable](int index, QString &target) {
        const QString value = values.value(index).trimmed();
        if (value.isEmpty())
            return;
        // Anything but a plain number would move the print off the card.
        bool number = false;
        value.toDouble(&number);
        if (number)
            target = value;
        else if (unreadable)
            ++*unreadable;
    };
    take(0, offsets.x);
    take(1, offsets.y);
    take(2, offsets.secondRow);
    return offsets;
}

WriteResult writeOffsetFile(const QString &path, const OffsetRecord &offsets) {
    return writeSettingsValues(path, {offsets.x, offsets.y, offsets.secondRow});
}

} // namespace nvl
