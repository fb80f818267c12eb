// Not built on the machines the project is tested on: see the README.
#ifdef _WIN32

#include "osfiles.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <string>

namespace nvl::os {

namespace {

std::wstring nativeName(const QString &path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

QString systemText(DWORD error) {
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message =
        length ? QString::fromWCharArray(text, int(length)).trimmed() : QString::number(error);
    LocalFree(text);
    return message;
}

WriteFailure failureOf(DWORD error) {
    using Reason = WriteFailure::Reason;
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return {Reason::NoSpace, {}};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return {Reason::NoPermission, {}};
    case ERROR_WRITE_PROTECT:
        return {Reason::ReadOnlyDisk, {}};
    case ERROR_CRC:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
        return {Reason::DiskError, {}};
    default:
        return {Reason::Other, systemText(error)};
    }
}

// A handle that reads no data: enough for the file's kind and identity.
HANDLE openForQuery(const QString &path) {
    return CreateFileW(nativeName(path).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool writeAll(HANDLE file, const QByteArray &bytes) {
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const DWORD chunk = DWORD(qMin<qsizetype>(left, 1 << 30));
        DWORD done = 0;
        if (!WriteFile(file, data, chunk, &done, nullptr))
            return false;
        if (done == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        data += done;
        left -= done;
    }
    return true;
}

} // namespace

FileKind fileKind(const QString &path) {
    if (path.isEmpty())
        return FileKind::Missing;
    const DWORD attributes = GetFileAttributesW(nativeName(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FileKind::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileKind::Folder;
    // CON, NUL, COM1, pipes: only a disk file is a regular file.
    const HANDLE file = openForQuery(path);
    if (file == INVALID_HANDLE_VALUE)
        return FileKind::Special;
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    return type == FILE_TYPE_DISK ? FileKind::Regular : FileKind::Special;
}

bool processRunning(qint64 pid) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

bool sameFile(const QString &a, const QString &b) {
    // The C runtime's st_ino is always 0 here: the volume and file index tell.
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    const auto identify = [](const QString &path, BY_HANDLE_FILE_INFORMATION *info) {
        const HANDLE file = openForQuery(path);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        const bool ok = GetFileInformationByHandle(file, info) != 0;
        CloseHandle(file);
        return ok;
    };
    return identify(a, &first) && identify(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

std::optional<WriteFailure> replaceFile(const QString &path, const QByteArray &bytes,
                                        const std::function<bool()> &unchanged) {
    const QFileInfo info(path);
    removeStaleTemporaries(path);
    std::wstring tempName;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; file == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
        tempName = nativeName(temporaryName(path));
        file = CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (error != ERROR_FILE_EXISTS)
            break;
    }
    const bool created = file != INVALID_HANDLE_VALUE;
    if (created) {
        if (!writeAll(file, bytes) || !FlushFileBuffers(file))
            error = GetLastError();
        CloseHandle(file);
    }
    const std::wstring target = nativeName(path);
    if (error == ERROR_SUCCESS && unchanged && !unchanged()) {
        DeleteFileW(tempName.c_str());
        return WriteFailure{WriteFailure::Reason::ChangedMeanwhile, {}};
    }
    if (error == ERROR_SUCCESS) {
        // ReplaceFileW keeps the old file's attributes and permissions; a
        // new file is moved into place, through to the disk.
        const bool replaced =
            info.exists()
                ? ReplaceFileW(target.c_str(), tempName.c_str(), nullptr,
                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                : MoveFileExW(tempName.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        if (!replaced)
            error = GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        if (created)
            DeleteFileW(tempName.c_str());
        return failureOf(error);
    }
    return std::nullopt;
}

} // namespace nvl::os

#endif
