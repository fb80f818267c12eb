#pragma once

#include <QString>

namespace nvl {

// True when the path names something that is not a regular file (a device,
// a FIFO, a folder); false when it does not exist.
bool isSpecialFile(const QString &path);

// True when both paths name the same existing file, under whatever name.
bool isSameFile(const QString &a, const QString &b);

} // namespace nvl
