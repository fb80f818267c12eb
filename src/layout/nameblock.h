#pragma once

#include "jointnames.h"
#include "printersurface.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <limits>

namespace nvl {

// The names of a card with 連名, a line (or, down, a column) each: the family
// name once, on the first; each given name starting where the first one's
// does; the honorifics in line. A joint name with a blank is a full name and
// brings its own family name. A name without a blank (a company, or a name
// typed whole) is one unit: it is never parted, and its 連名 start where it
// starts, each whole.
struct NameBlockLine {
    QString family;
    QString given;
    QString word;
    bool operator==(const NameBlockLine &other) const {
        return family == other.family && given == other.given && word == other.word;
    }
};
QList<NameBlockLine> nameBlockLines(const QString &name, const QString &word,
                                    const JointNames &joint);
// Whether the name is set whole, its 連名 aligned to its start.
bool isWholeName(const QString &name);

// Where the parts of the lines go, in twips from the block's start, at the
// size found: across from the left, down from the top.
struct NameBlockPlaces {
    double points = 0;
    double givenAt = 0;
    double wordAt = 0;
    double extent = 0; // along the lines, to the end of the longest
};

// What the block needs: `length` twips along the lines, `breadth` across
// them at `pitch` ems a line; `blank` ems between family and given name and
// before the honorific.
struct NameBlockRoom {
    double length = 0;
    double breadth = std::numeric_limits<double>::infinity();
    double pitch = 1.25;
    double blank = 0.5;
    bool vertical = false;
};

struct NameBlockFit {
    QList<NameBlockLine> lines; // a long whole name broken at a word
    NameBlockPlaces places;
    bool fits = true; // false: not even at the smallest size
};

// The size the names are set at: as large as `points` allows, not smaller
// than `smallest` (the address's size) while a long whole name can go on in
// a second line at a word instead, and down to postcard::LeastPoints at most.
NameBlockFit fitNameBlock(PrinterSurface &surface, const QString &font, double points,
                          double smallest, const QList<NameBlockLine> &lines,
                          const NameBlockRoom &room);

// A whole name parted into two at the best place: after a word such as
// 法人, 株式会社, 協会 or 事務局 (or a blank), the two halves as even as it can.
QStringList partedName(const QString &name);

// Draws the block across, its first line's top-left at `at`, a line under
// another; returns the height of the lines after the first. A block that
// does not fit is reported to the surface.
double drawNameBlockAcross(PrinterSurface &surface, const QString &font, double points,
                           double smallest, const QList<NameBlockLine> &lines, QPointF at,
                           double width, double breadth = std::numeric_limits<double>::infinity());

} // namespace nvl
