#include "filechecks.h"

#include "osfiles.h"

namespace nvl {

bool isSpecialFile(const QString &path) {
    const os::FileKind kind = os::fileKind(path);
    return kind == os::FileKind::Folder || kind == os::FileKind::Special;
}

bool isSameFile(const QString &a, const QString &b) {
    return os::sameFile(a, b);
}

} // namespace nvl
