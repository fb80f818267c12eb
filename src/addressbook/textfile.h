#pragma once

#include "textcodec.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace nvl {

// The largest file the program reads. A full book of 300 records is far
// below it; anything larger is not a file of this program.
constexpr qint64 MaxTextFileBytes = qint64{4} * 1024 * 1024;

// What a file was when it was read, to tell whether anyone changed it since.
struct FileStamp {
    qint64 size = -1;
    qint64 modifiedMs = 0;
    QByteArray hash;
    bool operator==(const FileStamp &other) const {
        return size == other.size && modifiedMs == other.modifiedMs && hash == other.hash;
    }
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};

// The stamp of a file as it is now (size -1 when it cannot be read).
FileStamp stampOf(const QString &path);
FileStamp stampOf(const QString &path, const QByteArray &bytes);

struct TextFileRead {
    enum class Status { Ok, Missing, Unreadable, NotRegular, TooLarge, NotText };
    Status status = Status::Missing;
    DecodedText content;
    FileStamp stamp;

    bool ok() const { return status == Status::Ok; }
};

TextFileRead readTextFile(const QString &path);
// Ok for a regular file; Missing, NotRegular (a FIFO, a device) or
// Unreadable (a folder) otherwise.
TextFileRead::Status regularFileStatus(const QString &path);

// The bytes of a regular file of at most MaxTextFileBytes; empty unless
// *status is Ok.
QByteArray readFileBytes(const QString &path, TextFileRead::Status *status);

// Japanese explanation of a failed read, naming the file.
QString describeReadFailure(const QString &path, TextFileRead::Status status);

struct WriteResult {
    bool ok = true;
    QString error; // Japanese, names the file; empty on success

    explicit operator bool() const { return ok; }
};

// Books and outputs are written to the file a link names; the program's own
// settings files never are, so a link cannot make it overwrite another file.
enum class Links { Follow, Refuse };

// Replaces the file through a temporary file beside it, written, synced and
// renamed with every step checked: a crash, a full disk or a failing disk
// leaves the old content whole, and the caller gets the reason.
// `unchanged` as os::replaceFile takes it.
WriteResult replaceFileContents(const QString &path, const QByteArray &bytes,
                                Links links = Links::Follow,
                                const std::function<bool()> &unchanged = {});

// The text encoded as the program's files are, then replaced as above.
WriteResult writeTextFileAtomically(const QString &path, const QString &text,
                                    Links links = Links::Follow);

// Lines of quoted fields, as every text file of the program is written.
WriteResult writeQuotedFile(const QString &path, const QList<QStringList> &lines,
                            Links links = Links::Follow);

} // namespace nvl
