#pragma once

#include "syncengine.h"

#include <functional>

namespace nvl {

class BookDocument;

// A sync of the open book as the window and the command line both run it:
// the address book's identity checked first, the new contacts' UIDs saved
// before they are sent, the result applied and saved in one go.
class SyncFlow {
public:
    // Applies `edit` to the open book and saves it: the error, or empty.
    using Commit = std::function<QString(const std::function<void()> &edit)>;
    SyncFlow(BookDocument &book, Commit commit) : m_book(book), m_commit(std::move(commit)) {}

    // A collection other than the one the book last synced with is another
    // address book: the sync starts again without links, linking by name;
    // the book drops its links with the sync's first save. The note saying
    // so, or empty.
    QString adopt(const QUrl &collection);
    SyncBook copy() const;
    SyncEngine::Checkpoint checkpoint();
    // The copy's result into the open book, saved: the error, or empty.
    QString finish(const SyncBook &copy);
    // The counts, as both report them.
    static QString countsText(const SyncReport &report);
    // Every link and the remembered address book gone.
    static void unlinkAll(BookDocument &book);

private:
    // Another address book's place: links dropped in the copy and the book.
    void startAgain(SyncBook &copy) const;
    void startAgain(BookDocument &book) const;

    BookDocument &m_book;
    Commit m_commit;
    QString m_adopted; // the new address book, once adopted
};

} // namespace nvl
