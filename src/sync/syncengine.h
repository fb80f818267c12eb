#pragma once

#include "bookdocument.h"
#include "carddavclient.h"

#include <QStringList>

namespace nvl {

struct SyncOptions {
    bool applyDeletions = false; // --delete
};

// What a sync did, and what it left to the user.
struct SyncReport {
    QString error; // Japanese; the book's records are as they were
    int uploaded = 0;
    int updatedOnServer = 0;
    int updatedInBook = 0;
    int added = 0; // server contacts added to the book
    int linked = 0;
    int deleted = 0;
    QStringList conflicts; // the book's version kept; the server's listed
    QStringList deletions; // not applied without --delete
    QStringList ambiguous; // first-sync matches left apart
    QStringList overLimit; // server contacts past the 300 records
    bool ok() const { return error.isEmpty(); }
    bool leftToUser() const {
        return !conflicts.isEmpty() || !deletions.isEmpty() || !ambiguous.isEmpty() ||
               !overLimit.isEmpty();
    }
};

// Two-way sync of the book with a CardDAV address book. Links on the first
// sync before it uploads; then finds server changes by ETag and book changes
// by a hash kept in the companion, and carries each to the other side. A
// change on both sides is a conflict: the book's version stays. The book
// (already loaded and locked by the caller) is saved twice through its one
// save path: the UIDs of new contacts before they are uploaded, and the
// results at the end. Stopped by an error in between, it saves nothing more.
class SyncEngine {
public:
    SyncEngine(BookDocument &book, CardDavClient &client, SyncOptions options = {});
    SyncReport run();

private:
    BookDocument &m_book;
    CardDavClient &m_client;
    SyncOptions m_options;
};

} // namespace nvl
