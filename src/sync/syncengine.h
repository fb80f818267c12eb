#pragma once

#include "carddavclient.h"
#include "contactcard.h"
#include "syncbook.h"
#include "syncstate.h"

#include <QSet>
#include <QStringList>
#include <functional>

namespace nvl {

struct SyncOptions {
    bool applyDeletions = false; // --delete: every deletion, either side
    // Contacts the book lost that the user agreed to delete on the server.
    QSet<QString> deleteOnServer;
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

// The user's answer to one question.
enum class SyncChoice {
    Unanswered, // left as it is: asked again next time
    Book,       // Conflict: the book's version goes to the server
    Server,     // Conflict: the server's version comes into the book
    Delete,     // Deleted…: deleted on this side too
    Keep,       // DeletedOnServer: sent again; DeletedInBook: left on the server, unlinked
    Link,       // Ambiguous: the record is the contact `candidate`
    Apart,      // Ambiguous: the record gets a contact of its own
};
struct SyncAnswer {
    SyncChoice choice = SyncChoice::Unanswered;
    int candidate = 0;
};

// What a sync did, and what it left to the user.
struct SyncReport {
    QString error;                         // Japanese; nothing of the sync is to be kept
    DavFailure failure = DavFailure::None; // of the request that failed
    int uploaded = 0;
    int updatedOnServer = 0;
    int updatedInBook = 0;
    int added = 0; // server contacts added to the book
    int linked = 0;
    int deleted = 0;
    QList<SyncQuestion> questions;
    QStringList notes;     // races found on the way: settled by the next sync
    QStringList overLimit; // server contacts past the 300 records
    bool ok() const { return error.isEmpty(); }
    bool leftToUser() const {
        return !questions.isEmpty() || !notes.isEmpty() || !overLimit.isEmpty();
    }
    QStringList texts(SyncQuestion::Kind kind) const;
};

// Two-way sync of a copy of the book with a CardDAV address book. Links on
// the first sync before it uploads; then finds server changes by ETag and
// book changes by a hash kept in the companion, and carries each to the
// other side. Changes on both sides, deletions and unclear first-sync
// matches are left to the user as questions. The copy is the caller's to
// apply and save; `checkpoint` saves it once before new contacts are
// uploaded, so that a sync cut off creates each at most once.
class SyncEngine {
public:
    using Checkpoint = std::function<QString(const SyncBook &)>; // an error, or empty
    using Progress = std::function<void(int done, int total)>;

    SyncEngine(SyncBook &book, CardDavClient &client, SyncOptions options, Checkpoint checkpoint);
    SyncReport run();
    Progress progress;

private:
    SyncBook &m_book;
    CardDavClient &m_client;
    SyncOptions m_options;
    Checkpoint m_checkpoint;
};

// Applies the user's answers to the copy, to be carried out by another run.
void applyAnswers(SyncBook &book, const QList<SyncQuestion> &questions,
                  const QList<SyncAnswer> &answers, const QString &collectionPath,
                  SyncOptions *options);

} // namespace nvl
