#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace nvl {

// How a text file of the program is stored on disk.
enum class TextEncoding {
    Cp932,   // Windows Shift-JIS, as the files have always been written
    Utf8Bom, // used only when the text holds characters CP932 cannot store
    Utf8,    // accepted on reading (files edited elsewhere), never written
};

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Cp932;
};

// Decodes a file's bytes: UTF-8 with a byte-order mark; else UTF-8 or
// CP932, whichever is valid, UTF-8 only when it reads as Japanese would. Returns nothing for bytes
// that are not text in any of these (including any NUL byte).
std::optional<DecodedText> decodeText(const QByteArray &bytes);

// Encodes as CP932 when every character survives the round trip, otherwise
// as UTF-8 with a byte-order mark so that nothing is lost.
QByteArray encodeText(const QString &text, TextEncoding *used = nullptr);

// The first `most` distinct characters of `text` that CP932 cannot store, in
// the order they appear: what makes a book be written as UTF-8.
QStringList charactersCp932CannotStore(const QString &text, int most = 5);

} // namespace nvl
