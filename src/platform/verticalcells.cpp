#include "verticalcells.h"

namespace nvl {

namespace {

bool asciiDigit(const QString &text, qsizetype at) {
    return at >= 0 && at < text.size() && text.at(at) >= u'0' && text.at(at) <= u'9';
}

} // namespace

QStringList verticalCells(const QString &text) {
    QStringList cells;
    for (qsizetype i = 0; i < text.size();) {
        if (asciiDigit(text, i) && asciiDigit(text, i + 1) && !asciiDigit(text, i - 1) &&
            !asciiDigit(text, i + 2)) {
            cells.append(text.mid(i, 2));
            i += 2;
            continue;
        }
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        cells.append(text.mid(i, length));
        i += length;
    }
    return cells;
}

bool isAcrossCell(const QString &cell) {
    return cell.size() == 2 && asciiDigit(cell, 0) && asciiDigit(cell, 1);
}

} // namespace nvl
