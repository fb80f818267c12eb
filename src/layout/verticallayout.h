#pragma once

#include "jointnames.h"
#include "printersurface.h"

#include <QPointF>
#include <QString>

namespace nvl {

// How numbers in vertical addresses are written.
enum class VerticalNumbers {
    Kanji,  // digit by digit: 1-2-3 → 一ー二ー三, 101 → 一〇一
    Arabic, // upright; a number of two digits side by side in one cell (縦中横)
};

// An address line as it is written downwards: digits (half or full width)
// as `numbers` says, hyphens and minus signs as ー, which stands as a
// vertical bar and reads back from a PDF as itself; Latin letters and signs full width so they
// stand upright (3F → 三Ｆ). The stored record is never changed: this is only what is printed.
QString verticalAddressText(const QString &text, VerticalNumbers numbers);

// A name written downwards: Latin letters, digits and signs full width.
QString verticalNameText(const QString &text);

// What one vertical address side carries.
struct VerticalCardText {
    QString address1;
    QString address2;
    QString building; // the third address line, set as a column of its own
    QString nameLine; // the name with its honorific
    QString code;
    // The reply's 行: set smaller, left of the name's foot.
    QString replyWord;
    // The name and its honorific apart, and its 連名: set as a block of
    // columns, given names and honorifics in line.
    QString name;
    QString honorific;
    JointNames joint;
};
struct VerticalSenderText {
    QString postalCode;
    QString address1;
    QString address2;
    QString name;
};

// Places on the address side, in millimetres from a postcard's corner.
// The postal-code boxes at the top right stay where they are on a
// horizontal card; everything vertical starts below them.
namespace vertical {

struct ColumnPlace {
    double xMm; // the column's centre
    double topMm;
    double bottomMm;
    double points;
};
constexpr ColumnPlace Address{84, 26, 122, 14};
constexpr ColumnPlace Building{77, 36, 122, 12}; // set lower than the address
constexpr ColumnPlace Name{50, 28, 124, 24};
constexpr double CodeTopMm = 128;
constexpr double CodePoints = 9;
constexpr ColumnPlace SenderAddress{35, 84, 128, 9};
constexpr ColumnPlace SenderBuilding{31, 90, 128, 9};
constexpr ColumnPlace SenderName{25, 88, 128, 12};
// The sender's postal code, a horizontal number under the sender's block.
constexpr double SenderZipXMm = 8;
constexpr double SenderZipTopMm = 133;
constexpr double SenderZipPoints = 9;

} // namespace vertical

// Draws one vertical address side whose corner is at `cornerTwips`; the
// postal-code digits are drawn by the caller, as on a horizontal card.
// Long texts are set smaller, then continue in a further column; nothing
// runs past the card's edge.
void drawVerticalCard(PrinterSurface &surface, const QString &font, QPointF cornerTwips,
                      VerticalNumbers numbers, const VerticalCardText &card,
                      const VerticalSenderText *sender);

} // namespace nvl
