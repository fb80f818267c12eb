#pragma once

#include "textfile.h"

#include <QString>
#include <array>

namespace nvl {

// One sender block as printed on every postcard.
struct SenderEntry {
    QString postalCode;
    QString address1;
    QString address2;
    QString name;

    bool operator==(const SenderEntry &other) const {
        return postalCode == other.postalCode && address1 == other.address1 &&
               address2 == other.address2 && name == other.name;
    }
};

// The four stored sender blocks of Wolt.tds.
using SenderTable = std::array<SenderEntry, 4>;

// A missing, short or unreadable file gives empty texts for every value it
// does not hold; `problem` (when given) says in Japanese what could not be
// read of a file that exists.
SenderTable readSenderFile(const QString &path, QString *problem = nullptr);
// Sixteen values, four an entry.
SenderTable senderTableFromValues(const QStringList &values);
WriteResult writeSenderFile(const QString &path, const SenderTable &table);

} // namespace nvl
