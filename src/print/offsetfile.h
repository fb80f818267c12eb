#pragma once

#include "addressrecord.h"
#include "printjob.h"
#include "textfile.h"

#include <QString>

namespace nvl {

// Nuvel.opt: where the card picture stands in the print-position window
// (X and Y in twips) and the second-row offset in steps.
struct OffsetRecord {
    static inline const QString NeutralX = QStringLiteral("1440");
    static inline const QString NeutralY = QStringLiteral("880");
    static inline const QString NeutralSecondRow = QStringLiteral("0");

    QString x = NeutralX;
    QString y = NeutralY;
    QString secondRow = NeutralSecondRow;

    // The offsets in steps of 55 twips, as the print job takes them.
    SheetOffsets steps() const;
    // The same as the print-position window shows them.
    QString xSteps() const { return xStepsOf(leadingNumber(x)); }
    QString ySteps() const { return yStepsOf(leadingNumber(y)); }
    // The same for a picture position in twips: 20 twips a step from neutral.
    static QString xStepsOf(double twips);
    static QString yStepsOf(double twips);
};

// A missing or short file gives the neutral values for what it lacks; a
// value that is not a number takes the neutral value too, and `problem`
// (when given) then says so in Japanese, naming the file.
OffsetRecord readOffsetFile(const QString &path, QString *problem = nullptr);
// Three values; an empty or non-numeric one takes the neutral value and
// counts in `unreadable`.
OffsetRecord offsetsFromValues(const QStringList &values, int *unreadable = nullptr);
WriteResult writeOffsetFile(const QString &path, const OffsetRecord &offsets);

} // namespace nvl
