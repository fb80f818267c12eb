#pragma once

// What a window and the command line both do with a book file, so that
// neither allows what the other refuses.

#include "bookdocument.h"

namespace nvl {

// Reads the book at `path` into `document` as every window and command reads
// one: a file whose first line is a header of another program's columns
// (this program's own export too) is no book, however its fields divide into
// records; it is refused, naming it, and nothing changes.
BookDocument::Loaded loadBook(BookDocument &document, const QString &path);

// What a command must say when the book's companion could not be read:
// the problem, naming the file; empty when it was read or there is none.
QString companionNotRead(const BookDocument &document);
// Why a command that stores in the companion (marks, 連名, sync state) or
// chooses by what it holds may not go on; empty when it may.
QString companionRefusal(const BookDocument &document);
QString companionSelectionRefusal(const BookDocument &document);

// Whether the file is another program's CSV rather than a book.
bool isForeignCsvFile(const QString &path);

// Why contacts read from `inPath` may not be written to the book `bookPath`;
// empty when they may.
QString refusedImportTarget(const QString &inPath, const QString &bookPath);

// Whether a name asks for vCard (.vcf, .vcard) rather than CSV (.csv);
// none when it names neither.
std::optional<bool> exportsVCard(const QString &outPath);

// Writes the book's records with their data to `outPath`, as vCard or CSV
// by its name. Never over the book itself (under any name) or a special
// file. The error, naming the file; empty when written.
QString exportBook(const BookDocument &document, const QString &outPath);

} // namespace nvl
