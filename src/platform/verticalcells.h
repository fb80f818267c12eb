#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace nvl {

// The cells of a vertical line, top to bottom: one character each (a
// surrogate pair is one character), except that a pair of half-width digits
// standing alone shares one cell, set side by side (縦中横).
QStringList verticalCells(const QString &text);
// The length of the cell that starts at `at`, without making the list.
qsizetype verticalCellLength(QStringView text, qsizetype at);

// True when a cell is set across the column rather than upright.
bool isAcrossCell(const QString &cell);

} // namespace nvl
