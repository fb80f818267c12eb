#pragma once

#include "textcodec.h"

#include <QString>
#include <QStringList>

namespace nvl {

// The largest file the program reads. A full book of 300 records is far
// below it; anything larger is not a file of this program.
constexpr qint64 MaxTextFileBytes = 4 * 1024 * 1024;

struct TextFileRead {
    enum class Status { Ok, Missing, Unreadable, TooLarge, NotText };
    Status status = Status::Missing;
    DecodedText content;

    bool ok() const { return status == Status::Ok; }
};

TextFileRead readTextFile(const QString &path);

// Japanese explanation of a failed read, naming the file.
QString describeReadFailure(const QString &path, TextFileRead::Status status);

struct WriteResult {
    bool ok = true;
    QString error; // Japanese, names the file; empty on success

    explicit operator bool() const { return ok; }
};

// Replaces the file through a temporary file and a rename, so a crash or a
// full disk leaves either the old or the new content, never a mix.
WriteResult writeTextFileAtomically(const QString &path, const QString &text);

// Lines of quoted fields, as every text file of the program is written.
WriteResult writeQuotedFile(const QString &path, const QList<QStringList> &lines);

} // namespace nvl
