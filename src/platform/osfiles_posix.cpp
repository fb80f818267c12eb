#ifndef _WIN32

#include "osfiles.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nvl::os {

namespace {

WriteFailure failureOf(int error) {
    using Reason = WriteFailure::Reason;
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return {Reason::NoSpace, {}};
    case EACCES:
    case EPERM:
        return {Reason::NoPermission, {}};
    case EROFS:
        return {Reason::ReadOnlyDisk, {}};
    case EIO:
        return {Reason::DiskError, {}};
    default:
        return {Reason::Other, QString::fromLocal8Bit(std::strerror(error))};
    }
}

bool writeAll(int fd, const QByteArray &bytes) {
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, static_cast<size_t>(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = ENOSPC;
            return false;
        }
        data += done;
        left -= done;
    }
    return true;
}

// The new name reaches the disk with its folder; the error when it does not.
int syncFolder(const QString &folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0; // a folder that cannot be opened to sync it holds the name all the same
    const int failed = ::fsync(fd) != 0 && errno != EINVAL ? errno : 0;
    ::close(fd);
    return failed;
}

} // namespace

FileKind fileKind(const QString &path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return FileKind::Missing;
    if (S_ISREG(st.st_mode))
        return FileKind::Regular;
    return S_ISDIR(st.st_mode) ? FileKind::Folder : FileKind::Special;
}

bool processRunning(qint64 pid) {
    if (pid <= 0 || pid != static_cast<pid_t>(pid))
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool sameFile(const QString &a, const QString &b) {
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::optional<WriteFailure> replaceFile(const QString &path, const QByteArray &bytes,
                                        const std::function<bool()> &unchanged) {
    const QFileInfo info(path);
    const QByteArray targetName = QFile::encodeName(path);
    removeStaleTemporaries(path);
    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        tempName = QFile::encodeName(temporaryName(path));
        fd = ::open(tempName.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return failureOf(errno);
    struct stat old {};
    mode_t mode = 0;
    if (::stat(targetName.constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int error = 0;
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && unchanged && !unchanged()) {
        ::unlink(tempName.constData());
        return WriteFailure{WriteFailure::Reason::ChangedMeanwhile, {}};
    }
    if (error == 0 && ::rename(tempName.constData(), targetName.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(tempName.constData());
        return failureOf(error);
    }
    // Written under its name, but not known to be on the disk: said, so
    // that the user saves again rather than trusts it.
    if (const int failed = syncFolder(info.absolutePath()); failed != 0)
        return failureOf(failed);
    return std::nullopt;
}

} // namespace nvl::os

#endif
