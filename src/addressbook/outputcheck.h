#pragma once

#include <QString>

namespace nvl {

// Why `outPath` may not be written as an output of the book at `bookPath`
// (an export, a PDF, a copy); empty when it may. The book under any name
// (a link, another spelling) is the book; a device or FIFO is no output.
// Every window and command asks this one function.
QString refusedOutput(const QString &bookPath, const QString &outPath);

} // namespace nvl
