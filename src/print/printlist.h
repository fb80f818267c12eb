#pragma once

#include "addressrecord.h"
#include "printjob.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace nvl {

// The labels handed to the print window, in print-list order.
using PrintList = QList<AddressRecord>;

// The seven postal-code boxes as the preview shows them: one character
// each, the hyphen after the third character skipped; missing ones empty.
std::array<QString, 7> postalBoxes(const QString &postalCode);

// Cards that would print without an honorific: their honorific field
// selects none of the six words. One line each, "name（コード code）";
// empty when every card has its word.
QStringList cardsWithoutHonorific(const QList<AddressRecord> &records);
// The one warning shown before printing such cards; empty when there are none.
QString honorificWarning(const QList<AddressRecord> &records);

// Cards whose postal code the data does not hold, or belongs to no place
// their address names: "name（〒code）address" each.
struct DoubtfulPostalCodes {
    QStringList unknown;
    QStringList elsewhere;
};
DoubtfulPostalCodes cardsWithDoubtfulPostalCode(const QList<AddressRecord> &records);
// Every warning before printing, in one text; empty when there is none.
QString printWarnings(const QList<AddressRecord> &records);

// What every print route checks before a printer is chosen.
struct PrintCheck {
    int unprintable = -1; // the first card whose postal code cannot be printed
    QString stop;         // why the job cannot print, naming that card; empty when it can
    QString warnings;     // cards that would print oddly (printWarnings); empty when none
};
// With a surface that measures as the printer will, the cards are also laid
// out without drawing, and those with a name or address that does not fit
// even at the smallest size are listed among the warnings.
PrintCheck checkPrintJob(const PrintJob &job, PrinterSurface *measuring = nullptr);
// Cards whose 連名 were set from the start of a name typed without a blank:
// "「name」：…" each.
QStringList jointNamesAlignedToWholeName(const PrintJob &job);
// Cards the layout could not fit at its smallest size, "name（住所）" each.
QStringList cardsThatDoNotFit(const PrintJob &job, PrinterSurface &measuring);

// The preview's name line: name, a full-width blank, the honorific; just
// the name when the honorific field selects no word.
QString previewNameLine(const AddressRecord &record);

} // namespace nvl

namespace nvl {

// "1,3,5-9" → record numbers in that order, each within 1..count; nothing
// when the text is not such a list.
std::optional<QList<int>> parseRecordList(const QString &text, int count);

} // namespace nvl
