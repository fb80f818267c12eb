#pragma once

#include "carddavclient.h"
#include "syncplan.h"
#include "syncstate.h"

#include <QSet>
#include <QStringList>
#include <functional>

namespace nvl {

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
    QStringList warnings;  // said, and nothing left to do
    EmptiedSide emptied;   // refused: every linked contact or record gone
    bool ok() const { return error.isEmpty(); }
    bool leftToUser() const {
        return !questions.isEmpty() || !notes.isEmpty() || !overLimit.isEmpty();
    }
    QStringList texts(SyncQuestion::Kind kind) const;
    // A later round's counts and lines added; its questions are the ones
    // left (the earlier ones were answered).
    void add(const SyncReport &round);
};

// Two-way sync of a copy of the book with a CardDAV address book: reads
// the listing and the contacts it needs, plans (syncplan.h), then carries
// the plan out, each write conditional on the ETag it was planned on. The
// copy is the caller's to apply and save; `checkpoint` saves it once
// before new contacts are uploaded, so that a sync cut off creates each
// at most once.
class SyncEngine {
public:
    using Checkpoint = std::function<QString(const SyncBook &)>; // an error, or empty
    using Progress = std::function<void(int done, int total)>;

    SyncEngine(SyncBook &book, DavClient &client, SyncOptions options, Checkpoint checkpoint);
    SyncReport run();
    Progress progress;
    // New contacts' UIDs; random unless a test sets it.
    std::function<QString()> newUid;

private:
    bool carryOut(const SyncAction &action, SyncReport &report, DavError &error);
    bool upload(const SyncAction &action, SyncReport &report, DavError &error);
    bool updateServer(const SyncAction &action, SyncReport &report, DavError &error);
    bool deleteOnServer(const SyncAction &action, SyncReport &report, DavError &error);
    std::optional<QString> etagIfUnchanged(const SyncAction &action, DavError &error);
    std::optional<QString> etagAfterWrite(const QString &href,
                                          const std::optional<QString> &written, DavError &error);
    void keepSyncState(const ServerView &server);

    SyncBook &m_book;
    DavClient &m_client;
    SyncOptions m_options;
    Checkpoint m_checkpoint;
    QSet<QString> m_keptLinked; // deletions not carried out: still linked
    QHash<QString, QString> m_leftOut;
};

// Why a sync was refused for an emptied side, and what would apply it.
QString emptiedText(const EmptiedSide &emptied, const QString &collection);

// Applies the user's answers to the copy, to be carried out by another run.
void applyAnswers(SyncBook &book, const QList<SyncQuestion> &questions,
                  const QList<SyncAnswer> &answers, const QString &collectionPath,
                  SyncOptions *options);

} // namespace nvl
