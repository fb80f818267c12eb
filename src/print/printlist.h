#pragma once

#include "addressrecord.h"

#include <QList>
#include <QString>
#include <array>

namespace nvl {

// The labels handed to the print window, in print-list order.
using PrintList = QList<AddressRecord>;

// The seven postal-code boxes as the preview shows them: one character
// each, the hyphen after the third character skipped; missing ones empty.
std::array<QString, 7> postalBoxes(const QString &postalCode);

// The preview's name line: name, a full-width blank, the honorific; just
// the name when the honorific field selects no word.
QString previewNameLine(const AddressRecord &record);

} // namespace nvl
