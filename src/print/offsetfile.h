#pragma once

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

    // The offsets in steps of 55 twips, as the print window holds them.
    QString xSteps() const;
    QString ySteps() const;
};

// A missing or short file gives the neutral values for what it lacks.
OffsetRecord ReadOffsetFile(const QString &path);
// Three values; an empty one takes the neutral value.
OffsetRecord offsetsFromValues(const QStringList &values);
WriteResult WriteOffsetFile(const QString &path, const OffsetRecord &offsets);

} // namespace nvl
