#pragma once

#include "jointnames.h"
#include "yearmarks.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace nvl {

// A record's link to its contact: its UID, where it is, the ETag and the
// hash of what both sides held at the last sync. An empty hash with an
// ETag: linked, but not yet settled which version both are to hold.
struct SyncLink {
    QString uid, href, etag;
    QByteArray hash;
    bool changed = false; // by the last sync, in the book
    // What the server held then, compared as the sync compares (empty from
    // older builds): an ETag that changes alone is no change.
    QByteArray serverHash;
    bool isSet() const { return !href.isEmpty(); }
    bool pending() const { return !etag.isEmpty() && hash.isEmpty(); }
    // Given a UID, not yet on the server.
    bool isNew() const { return isSet() && etag.isEmpty(); }
    friend bool operator==(const SyncLink &a, const SyncLink &b) {
        return a.uid == b.uid && a.href == b.href && a.etag == b.etag && a.hash == b.hash &&
               a.changed == b.changed && a.serverHash == b.serverHash;
    }
    friend bool operator!=(const SyncLink &a, const SyncLink &b) { return !(a == b); }
};

// What the companion keeps about one record beyond its seven fields. Its
// JSON is read and written here and nowhere else: features read and set
// fields. What this build does not know (a newer build's keys, details
// inside a known one) is written back as it was read, unless the field
// holding it is changed.
struct RecordExtras {
    JointNames jointNames; // at most three, none empty
    QString reading;
    QStringList tags;  // trimmed, each once
    YearMarks history; // card year → marks
    SyncLink sync;     // !isSet(): not linked
    // An honorific beyond the six (各位, さん, 御一同様), printed as written;
    // the book's field keeps an index other programs read (0, 様).
    QString honorificWord;

    static RecordExtras fromJson(const QJsonObject &data);
    QJsonObject toJson() const;
    // The link as `other` holds it, details this build does not know too.
    void takeSyncFrom(const RecordExtras &other);

    // Whether the last sync changed the record: the book list asks it for
    // every name it paints, so it reads the one flag only.
    static bool changedBySync(const QJsonObject &data);
    // 連名 a server's re-escaping made into one name ("恵子;様" without an
    // honorific), parted again; whether `data` changed.
    static bool repairJoinedHonorifics(QJsonObject &data);

private:
    QJsonObject m_read; // as read, for what this build does not know
};

// What the companion keeps about the whole book: where it syncs to, as whom,
// and the contacts kept apart from the sync. Unknown keys kept as read.
struct BookExtras {
    QString syncCollection;
    QString syncUser;
    QStringList syncDetached; // contacts kept apart from the sync
    QStringList syncLinked;   // contacts linked at the last sync
    // Their ETags then: a deletion is sent only for the version last seen.
    QHash<QString, QString> syncLinkedEtags;
    bool syncPlainHttp = false; // the user agreed to http without TLS
    // Contacts left out for want of room, by their ETags: read again only
    // when they change or the book has room.
    QHash<QString, QString> syncLeftOut;

    static BookExtras fromJson(const QJsonObject &settings);
    QJsonObject toJson() const;
    // Another address book: nothing of the old one's sync state stays.
    void forgetSync();

private:
    QJsonObject m_read;
    bool m_syncForgotten = false;
};

} // namespace nvl
