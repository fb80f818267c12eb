#pragma once

#include "addressrecord.h"
#include "printersurface.h"
#include "printjob.h"
#include "verticallayout.h"

#include <QList>
#include <QPointF>
#include <array>
#include <optional>

namespace nvl {

using ZipDigits = std::array<int, 7>;

// A card's corner on the A4 sheets, in twips from the layout's origin: the
// quarter sheet's corner (printing puts the origin 174, 188 twips in from
// the paper's) plus 5 mm, as the boxes lie 5 mm further right on the 105 mm
// quarter sheet than on a 100 mm postcard.
constexpr QPointF SheetCardCorner(5 * 1440 / 25.4 - 174, -188);
// Where twip (0, 0) of the A4 sheets lies, in twips from the paper's corner,
// on every printer and in every PDF: chosen so the postal-code digits sit
// centred in the boxes of real postcards.
constexpr QPointF SheetOrigin(174, 188);

// The lines of a card as the vertical layouts set them.
VerticalCardText verticalCardText(const AddressRecord &record, const QString &honorific);
VerticalSenderText verticalSenderText(const SenderLines &sender);

// The digits of a postal code as typed, one per box: ASCII or full width,
// a leading 〒 and a hyphen after the third (- － − ‐ ー) skipped. Nothing when a digit
// position holds anything else or there are more than seven.
std::optional<QList<int>> typedPostalDigits(const QString &postalCode);
// The same, seven of them: boxes the code does not fill hold 0, as the A4
// sheets print them.
std::optional<ZipDigits> postalDigits(const QString &postalCode);

// The shortest decimal text of a number, as offsets are shown ("-10", "0.5").
QString shortestDecimal(double value);

} // namespace nvl
