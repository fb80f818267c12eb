#include "textcodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace nvl {

namespace {

constexpr char Cp932Name[] = "windows-31j";
const QByteArray Utf8Bom("\xEF\xBB\xBF");

// Characters that CP932 stores only under their full-width twins; Qt's
// converter refuses the other forms.
QString foldForCp932(QString text) {
    for (QChar &c : text) {
        switch (c.unicode()) {
        case 0x301C:
            c = QChar(0xFF5E);
            break; // WAVE DASH
        case 0x2212:
            c = QChar(0xFF0D);
            break; // MINUS SIGN
        case 0x00A5:
            c = QChar(0xFFE5);
            break; // YEN SIGN
        default:
            break;
        }
    }
    return text;
}

// ICU's windows-31j swaps three control codes (byte 0x1A is U+001C, 0x1C is
// U+007F, 0x7F is U+001A); Windows maps every byte below 0x80 to itself.
// Undone on both sides, so the bytes are Windows' and ASCII reads the same
// whichever way it is decoded.
// {Windows character, ICU character} for the same byte.
constexpr char16_t ControlSwap[][2] = {{0x1A, 0x1C}, {0x1C, 0x7F}, {0x7F, 0x1A}};

QString swapControls(QString text, bool toIcu) {
    for (QChar &c : text) {
        for (const auto &pair : ControlSwap) {
            if (c.unicode() == pair[toIcu ? 0 : 1]) {
                c = QChar(pair[toIcu ? 1 : 0]);
                break;
            }
        }
    }
    return text;
}

std::optional<QString> strictDecode(const char *name, const QByteArray &bytes) {
    QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

bool cp932Available() {
    return QStringDecoder(Cp932Name).isValid();
}

std::optional<DecodedText> decodeText(const QByteArray &bytes) {
    if (bytes.contains('\0'))
        return std::nullopt;
    if (bytes.startsWith(Utf8Bom)) {
        if (auto text = strictDecode("UTF-8", bytes.mid(Utf8Bom.size())))
            return DecodedText{*text, TextEncoding::Utf8Bom};
        return std::nullopt;
    }
    std::optional<QString> utf8 = strictDecode("UTF-8", bytes);
    std::optional<QString> cp932 = strictDecode(Cp932Name, bytes);
    if (cp932)
        cp932 = swapControls(*cp932, false);
    if (utf8 && cp932) {
        // Valid both ways. Japanese in UTF-8 takes three bytes a character;
        // two-byte UTF-8 characters (U+0080..U+07FF) are what CP932's
        // half-width kana look like when misread, so those mean CP932.
        const bool twoByteChars = std::any_of(utf8->begin(), utf8->end(), [](QChar c) {
            return c.unicode() >= 0x80 && c.unicode() < 0x800;
        });
        if (twoByteChars || *utf8 == *cp932)
            utf8.reset();
    }
    if (utf8)
        return DecodedText{*utf8, TextEncoding::Utf8};
    if (cp932)
        return DecodedText{*cp932, TextEncoding::Cp932};
    return std::nullopt;
}

QByteArray encodeText(const QString &text, TextEncoding *used) {
    const QString folded = foldForCp932(text);
    QStringEncoder encoder(Cp932Name, QStringConverter::Flag::Stateless);
    if (encoder.isValid()) {
        QByteArray bytes = encoder.encode(swapControls(folded, true));
        // The converter may substitute silently, and some CP932 bytes also
        // read as UTF-8: only bytes that read back as this very text count.
        const std::optional<DecodedText> back =
            encoder.hasError() ? std::nullopt : decodeText(bytes);
        if (back && back->text == folded) {
            if (used)
                *used = TextEncoding::Cp932;
            return bytes;
        }
    }
    if (used)
        *used = TextEncoding::Utf8Bom;
    return Utf8Bom + text.toUtf8();
}

} // namespace nvl
