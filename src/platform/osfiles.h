#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// The operating system's file calls, one back end for POSIX systems and one
// for Windows. Everything above works on these and never on the system itself.
namespace nvl::os {

enum class FileKind { Missing, Regular, Folder, Special };
// What the path names, links followed. Special: a device, a FIFO, a socket.
FileKind fileKind(const QString &path);

// True when both paths name the same existing file, under whatever names.
bool sameFile(const QString &a, const QString &b);

// Why a write failed, as far as the user can act on it.
struct WriteFailure {
    enum class Reason { NoSpace, NoPermission, ReadOnlyDisk, DiskError, ChangedMeanwhile, Other };
    Reason reason = Reason::Other;
    QString systemText; // the system's own words, for Other
};

// Replaces the regular file `path` names (or creates it) with `bytes`: a new
// file beside it is written, flushed to the disk and put in its place in one
// step, with the old file's permissions. On failure the old file is as it
// was and nothing is left beside it. Temporaries a killed save of the same
// file left behind are removed first. `unchanged`, when given, is asked
// right before the new file takes the old one's place: false (another
// program wrote the file meanwhile) leaves the old file (ChangedMeanwhile).
std::optional<WriteFailure> replaceFile(const QString &path, const QByteArray &bytes,
                                        const std::function<bool()> &unchanged = {});

// Whether a process with that id runs on this computer.
bool processRunning(qint64 pid);

// The program's temporary files for `path`: short whatever the file's name,
// and telling which process made them.
QString temporaryName(const QString &path);
// Removes the program's temporaries for `path` whose process has ended; no
// other file is touched.
void removeStaleTemporaries(const QString &path);

} // namespace nvl::os
