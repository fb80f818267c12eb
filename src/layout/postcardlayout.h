#pragma once

#include "addressrecord.h"
#include "printersurface.h"
#include "verticallayout.h"

#include <QList>
#include <QPointF>
#include <array>
#include <optional>

namespace nvl {

using ZipDigits = std::array<int, 7>;

// Everything the layouts read from the print window.
struct LayoutInput {
    QList<AddressRecord> printList;
    QList<ZipDigits> zipDigits; // one row per entry of printList
    QString sendZip;
    QString sendAdd1;
    QString sendAdd2;
    QString sendName;
    QString sheetCount;
    QString xOffset; // steps of 55 twips
    QString yOffset;
    QString secondRow; // steps of the second row's own offset
    QString addressFont;
    QString postalFont;
    // Written downwards (縦書き); the postal-code digits stay where they are.
    bool vertical = false;
    VerticalNumbers numbers = VerticalNumbers::Kanji;
};

// A card's corner on the A4 sheets, in twips from the layout's origin: the
// quarter sheet's corner (printing puts the origin 174, 188 twips in from
// the paper's) plus 5 mm, as the boxes lie 5 mm further right on the 105 mm
// quarter sheet than on a 100 mm postcard.
constexpr QPointF SheetCardCorner(5 * 1440 / 25.4 - 174, -188);

// The lines of a card as the vertical layouts set them.
VerticalCardText verticalCardText(const AddressRecord &record, const QString &honorific);
VerticalSenderText verticalSenderText(const LayoutInput &input);

// The seven digits of a postal code, one per box (the hyphen after the
// third character skipped; boxes the code does not fill hold 0). Nothing
// when a digit position holds a non-digit or there are more than seven.
std::optional<ZipDigits> postalDigits(const QString &postalCode);

// Sheets for a number of labels: four to a sheet, or two return postcards.
int sheetCount(int labelCount, bool fourUp);

// Four postcards a sheet, two columns and two rows.
void drawFourUpSheets(const LayoutInput &input, PrinterSurface &surface);
// Two return postcards a sheet, one above the other.
void drawReturnCardSheets(const LayoutInput &input, PrinterSurface &surface);

// The shortest decimal text of a number, as offsets are shown ("-10", "0.5").
QString shortestDecimal(double value);

} // namespace nvl
