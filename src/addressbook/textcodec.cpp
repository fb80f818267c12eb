#include "textcodec.h"

#include "cp932.h"

#include <QSet>
#include <QStringDecoder>

#include <algorithm>

namespace nvl {

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

// Characters that CP932 stores only under their full-width twins: the
// other forms have no bytes of their own.
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

std::optional<QString> strictUtf8(const QByteArray &bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

std::optional<DecodedText> decodeText(const QByteArray &bytes) {
    if (bytes.contains('\0'))
        return std::nullopt;
    if (bytes.startsWith(Utf8Bom)) {
        if (auto text = strictUtf8(bytes.mid(Utf8Bom.size())))
            return DecodedText{*text, TextEncoding::Utf8Bom};
        return std::nullopt;
    }
    std::optional<QString> utf8 = strictUtf8(bytes);
    std::optional<QString> cp932 = decodeCp932(bytes);
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
    if (const std::optional<QByteArray> bytes = encodeCp932(folded)) {
        // Some characters are written as another one's bytes, and some CP932
        // bytes also read as UTF-8: only bytes that read back as this very
        // text count.
        const std::optional<DecodedText> back = decodeText(*bytes);
        if (back && back->text == folded) {
            if (used)
                *used = TextEncoding::Cp932;
            return *bytes;
        }
    }
    if (used)
        *used = TextEncoding::Utf8Bom;
    return Utf8Bom + text.toUtf8();
}

QStringList charactersCp932CannotStore(const QString &text, int most) {
    QStringList found;
    QSet<char32_t> tried;
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80 || tried.contains(c))
            continue;
        tried.insert(c);
        const QString one = QString::fromUcs4(&c, 1);
        TextEncoding used = TextEncoding::Cp932;
        encodeText(one, &used);
        if (used != TextEncoding::Cp932) {
            found.append(one);
            if (found.size() >= most)
                break;
        }
    }
    return found;
}

} // namespace nvl
