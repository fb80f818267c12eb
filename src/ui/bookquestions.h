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

} // namespace nvl
