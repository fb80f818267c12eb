#include "verticalcells.h"

namespace nvl {

namespace {

bool asciiDigit(QStringView text, qsizetype at) {
    return at >= 0 && at < text.size() && text.at(at) >= u'0' && text.at(at) <= u'9';
}

} // namespace

qsizetype verticalCellLength(QStringView text, qsizetype at) {
    if (asciiDigit(text, at) && asciiDigit(text, at + 1) && !asciiDigit(text, at - 1) &&
        !asciiDigit(text, at + 2))
        return 2;
    return text.at(at).isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
}

QStringList verticalCells(const QString &text) {
    QStringList cells;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = verticalCellLength(text, i);
        cells.append(text.mid(i, length));
        i += length;
    }
    return cells;
}

bool isAcrossCell(const QString &cell) {
    return cell.size() == 2 && asciiDigit(cell, 0) && asciiDigit(cell, 1);
}

} // namespace nvl
