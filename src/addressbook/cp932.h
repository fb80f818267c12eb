#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

namespace nvl {

// Windows' CP932 (Shift-JIS with its extensions), the same on every
// platform: the table is the program's own, not the system's converter.

// The text of `bytes`, or nothing when any byte sequence is not CP932.
std::optional<QString> decodeCp932(const QByteArray &bytes);
// The bytes of `text`, or nothing when a character has no CP932 bytes.
std::optional<QByteArray> encodeCp932(QStringView text);

} // namespace nvl
