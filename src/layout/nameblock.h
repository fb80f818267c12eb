#pragma once

#include "jointnames.h"
#include "printersurface.h"

#include <QList>
#include <QPointF>
#include <QString>

namespace nvl {

// The names of a card with 連名, a line (or, down, a column) each: the family
// name once, on the first; each given name starting where the first one's
// does; the honorifics in line. A joint name with a blank is a full name and
// brings its own family name.
struct NameBlockLine {
    QString family;
    QString given;
    QString word;
};
QList<NameBlockLine> nameBlockLines(const QString &name, const QString &word,
                                    const JointNames &joint);

// Where the parts of the lines go, in twips from the block's start, at the
// size found: across from the left, down from the top.
struct NameBlockPlaces {
    double points = 0;
    double givenAt = 0;
    double wordAt = 0;
    double extent = 0; // along the lines, to the end of the longest
};

// Fits the lines into `length` twips along them, from `points` down to
// `smallest`; `vertical` measures columns.
NameBlockPlaces fitNameBlock(PrinterSurface &surface, const QString &font, double points,
                             double smallest, const QList<NameBlockLine> &lines, double length,
                             bool vertical);

// Draws the block across, its first line's top-left at `at`, a line under
// another; returns the height of the lines after the first.
double drawNameBlockAcross(PrinterSurface &surface, const QString &font, double points,
                           double smallest, const QList<NameBlockLine> &lines, QPointF at,
                           double width);

} // namespace nvl
