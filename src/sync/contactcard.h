#pragma once

#include "addressrecord.h"

#include <QByteArray>
#include <QJsonObject>
#include <optional>

namespace nvl {

// A record as the sync sees it on the server: the fields the program
// owns, read from the contact's vCard.
struct ServerContact {
    AddressRecord record;
    QJsonObject data; // 連名, reading, tags, marks
    QString uid;
    QString nName; // family and given name from N, when the card has them
};
// Nothing when the contact has no address a card could be printed for.
std::optional<ServerContact> readServerContact(const QByteArray &card);

// A new contact for a record, with its UID.
QByteArray newContactCard(const AddressRecord &record, const QJsonObject &data, const QString &uid);

// The server's vCard with the properties the program owns (FN, N, the home
// ADR, X-NVL-*, X-PHONETIC-*, CATEGORIES) replaced by the record's; every
// other property (phones, e-mail, photos, notes, UID) kept as it was.
QByteArray mergedContactCard(const QByteArray &serverCard, const AddressRecord &record,
                             const QJsonObject &data);

// What a record holds that the sync compares: its seven fields and its
// companion data without the sync's own bookkeeping, as the server gives
// them back (an empty honorific reads as 様, a reading's blank as one).
QByteArray contactHash(const AddressRecord &record, const QJsonObject &data);

// The same, with what is one text written two ways made one: NFKC (full-
// width digits and letters), no blanks, a postal code's digits only. Two
// sides equal so need nothing written.
QByteArray comparableHash(const AddressRecord &record, const QJsonObject &data);

// The name as the first sync matches names: NFKC, without blanks.
QString comparableName(const QString &name);

} // namespace nvl
