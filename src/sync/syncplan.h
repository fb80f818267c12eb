#pragma once

#include "contactcard.h"
#include "syncbook.h"
#include "syncstate.h"

#include <QHash>
#include <QStringList>
#include <functional>
#include <optional>

namespace nvl {

struct SyncOptions {
    bool applyDeletions = false; // --delete: every deletion, either side
    // Deletions even where every linked contact or record is gone.
    bool forceDelete = false;
    // Contacts the book lost that the user agreed to delete on the server,
    // with the ETag of the version the user saw.
    QHash<QString, QString> deleteOnServer;
};

// Something only the user can settle, with what both sides hold.
struct SyncQuestion {
    enum class Kind {
        Conflict,        // changed on both sides
        DeletedOnServer, // the record's contact is gone
        DeletedInBook,   // a linked contact whose record is gone
        Ambiguous,       // a first-sync match with more than one answer
    };
    Kind kind = Kind::Conflict;
    // Deleted…: the other side changed it since the last sync, so the
    // deletion is never applied without the user.
    bool edited = false;
    QString text; // one line, as the command line lists it
    int row = -1; // the book's row; none for DeletedInBook
    AddressRecord record;
    QJsonObject data; // the record's, as the book holds it
    QString href;     // the contact (Conflict, DeletedOnServer, DeletedInBook)
    QString etag;
    std::optional<ServerContact> server; // what the server holds, when readable
    // Ambiguous: the contacts the record could be, with their ETags.
    QList<std::pair<QString, QString>> candidates; // href, etag
    QList<ServerContact> candidateContacts;
};

// The address book as one listing showed it.
struct ServerView {
    QStringList hrefs;                // every contact, in the server's order
    QHash<QString, QString> etags;    // href → ETag
    QHash<QString, QByteArray> cards; // the contacts read, by href
};

// One step of a sync, with the ETag it was planned on.
struct SyncAction {
    enum class Kind {
        Link,           // a first-sync match: the record is that contact
        NewContact,     // the record gets a UID and an href of its own
        Upload,         // created on the server (If-None-Match: *)
        UpdateServer,   // the book's edit sent (If-Match: etag)
        TakeIntoBook,   // the server's edit taken into the record
        Settle,         // both sides came to the same: the link moves on
        DeleteOnServer, // If-Match: the ETag of the last sync
        DeleteInBook,
        AddToBook, // a contact the book does not have
    };
    Kind kind = Kind::Link;
    int row = -1;
    QString href;
    QString etag;
    SyncLink link; // the record's link once done (before the server's new ETag)
    std::optional<ServerContact> contact;
    QByteArray card; // what Upload and UpdateServer send
    // UpdateServer: the server's content it was planned on (comparableHash),
    // to tell a refused write whose contact did not change.
    QByteArray serverSeen;
};

// A side whose every linked contact or record is gone since the last sync:
// a new or emptied address book, or a book replaced, rather than deletions.
struct EmptiedSide {
    enum class Side { None, Server, Book };
    Side side = Side::None;
    int count = 0; // what the deletions would remove from the other side
};

struct SyncPlan {
    QList<SyncAction> actions; // links and new contacts first
    QList<SyncQuestion> questions;
    QStringList overLimit; // contacts past the 300 records
    EmptiedSide emptied;   // when set, nothing else is planned
    // Contacts kept linked without a record (a deletion not carried out).
    QStringList keptLinked;
    // Contacts left out for want of room, by ETag; how many of them went
    // unread, unchanged since they were last left out.
    QHash<QString, QString> leftOut;
    int leftOutUnread = 0;
};

// The contacts a plan needs to read: those no record claims and those
// changed on the server or in the book since the last sync.
QStringList hrefsToRead(const SyncBook &book, const ServerView &server);

// What to do to bring the book and the address book at `collectionPath`
// together; decides, sends nothing. `newUid` gives new contacts' UIDs.
SyncPlan planSync(const SyncBook &book, const ServerView &server, const QString &collectionPath,
                  const SyncOptions &options, const std::function<QString()> &newUid);

// What differs between the book's record and the server's contact, field
// by field with both values, for a conflict's line.
QString differenceText(const AddressRecord &book, const QJsonObject &bookData,
                       const AddressRecord &server, const QJsonObject &serverData);

// The record as the command line and the questions name it.
QString describeRecord(const AddressRecord &record);

} // namespace nvl
