#pragma once

#include "bookdocument.h"
#include "services.h"

namespace nvl {

// What a window answers when the book's file changed on disk since it was
// read: はい overwrites, いいえ saves under another name, キャンセル saves nothing.
BookDocument::ConflictHandler askAboutChangedBook(Platform &platform);

// Locks the book for a window that edits it. Another computer's lock (left,
// perhaps, by one that crashed) is named with its age and taken over when the
// user agrees; a lock that cannot be made at all is said, and the book opens.
// Not ok: the caller names the holder (the error) and keeps out.
BookDocument::Locked lockForEditing(Platform &platform, BookDocument &book, const QString &path);

// The book's lock for one edit made from a window that does not hold it
// (the main window, the print window): taken as lockForEditing takes it, and
// given back at the end of the scope. Already held: nothing to do.
class EditLock {
public:
    EditLock(Platform &platform, BookDocument &book);
    ~EditLock();
    EditLock(const EditLock &) = delete;
    EditLock &operator=(const EditLock &) = delete;
    bool ok() const { return m_locked.ok; }
    // Names the book and the holder when not ok.
    const QString &error() const { return m_locked.error; }

private:
    BookDocument &m_book;
    BookDocument::Locked m_locked;
    bool m_taken = false;
};

} // namespace nvl
