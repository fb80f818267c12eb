#pragma once

#include "bookdocument.h"
#include "services.h"

namespace nvl {

// What a window answers when the book's file changed on disk since it was
// read: はい overwrites, いいえ saves under another name, キャンセル saves nothing.
BookDocument::ConflictHandler askAboutChangedBook(Platform &platform);

} // namespace nvl
