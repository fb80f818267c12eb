#pragma once

#include "postcardlayout.h"

#include <QPointF>
#include <array>

namespace nvl {

// A real postcard (郵便はがき), 100 × 148 mm, fed one card per page, with
// Japan Post's published geometry for the postal-code boxes of the
// address side: seven 5.7 × 8.0 mm boxes, top edge 12.0 mm from the card's
// top, box 7's right edge 8.0 mm from the card's right edge, gaps 1.3, 1.3,
// 1.9, 1.1, 1.1, 1.1 mm.
namespace postcard {

constexpr double WidthMm = 100.0;
constexpr double HeightMm = 148.0;
constexpr double BoxTopMm = 12.0;
constexpr double BoxWidthMm = 5.7;
constexpr double BoxHeightMm = 8.0;
constexpr std::array<double, 7> BoxLeftMm = {44.3, 51.3, 58.3, 65.9, 72.7, 79.5, 86.3};
// Nothing is printed nearer the card's edges than this.
constexpr double EdgeMm = 5.0;
// Text is made smaller down to this size before it is broken into lines.
constexpr double SmallestPoints = 8.0;
// Nothing is set smaller than this: what does not fit then is reported.
constexpr double LeastPoints = 7.0;
// The reply's 行 against the name it follows.
constexpr double ReplyWordScale = 0.6;

constexpr double TwipsPerMm = 1440.0 / 25.4;

// Where each line of the address side starts, from the card's corner.
struct LinePlace {
    double xMm;
    double yMm;
    double points;
};
constexpr LinePlace Address1{12, 28, 12};
constexpr LinePlace Address2{12, 34, 12};
constexpr LinePlace Address3{16, 40, 11};
constexpr LinePlace NameLine{20, 54, 18};
constexpr LinePlace CodeLine{24, 66, 10};
constexpr LinePlace SenderZip{10, 114, 9};
constexpr LinePlace SenderAdd1{10, 119, 9};
constexpr LinePlace SenderAdd2{10, 124, 9};
constexpr LinePlace SenderName{14, 130, 11};

// The centre of box `index` (0–6), in twips from the card's top-left corner.
QPointF boxCentre(int index);

} // namespace postcard

// Where a text of one line goes, and how large it may be.
struct FittedText {
    double points;
    QStringList lines;
};

// Makes `text` fit `widthTwips` on the surface in the given font: the same
// size if it fits, else smaller (half a point at a time) down to
// postcard::SmallestPoints, then broken into lines at sensible places —
// never inside a number nor between a number and its 丁目, and no line
// starts with 、。・ or a closing bracket. `vertical` measures columns
// (widthTwips is then the column's height). A name is broken before it
// gets smaller than `smallest`.
FittedText fitText(PrinterSurface &surface, const QString &font, double points, const QString &text,
                   double widthTwips, bool vertical = false,
                   double smallest = postcard::SmallestPoints);

// A return postcard (往復はがき, 200 × 148 mm) carries an address side on
// each face, both on the left half: the outgoing face (往信, the recipient)
// beside the reply's message side, the reply face (返信, back to the sender,
// with 行) beside the outgoing message side. Each face is printed as a run
// of its own, one card a page.
constexpr double ReturnPostcardWidthMm = 200.0;

} // namespace nvl
