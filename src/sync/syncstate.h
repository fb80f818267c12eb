#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace nvl {

// What the companion keeps for the sync, under this key: per record, its
// link to a contact; in the book's settings, where it syncs and as whom.
inline const QString SyncKey = QStringLiteral("sync");

// A record's link to its contact: its UID, where it is, the ETag and the
// hash of what both sides held at the last sync. An empty hash with an
// ETag: linked, but not yet settled which version both are to hold.
struct SyncLink {
    QString uid, href, etag;
    QByteArray hash;
    bool changed = false; // by the last sync, in the book
    bool isSet() const { return !href.isEmpty(); }
    bool pending() const { return !etag.isEmpty() && hash.isEmpty(); }
    // Given a UID, not yet on the server.
    bool isNew() const { return isSet() && etag.isEmpty(); }
};
SyncLink syncLinkOf(const QJsonObject &data);
QJsonObject withSyncLink(QJsonObject data, const SyncLink &link);
QJsonObject withoutSyncLink(QJsonObject data);
// Whether the last sync changed the record in the book (marked until the next).
bool changedBySync(const QJsonObject &data);

// Where the book syncs to and as whom (the password is never kept here).
struct SyncPlace {
    QString collection, user;
};
SyncPlace syncPlaceOf(const QJsonObject &bookSettings);
QJsonObject withSyncPlace(QJsonObject bookSettings, const SyncPlace &place);

} // namespace nvl
