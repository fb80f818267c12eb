// Writes the CP932 table the program reads and writes books with, from ICU's
// windows-31j as this machine's Qt has it, with the bytes 0x1A, 0x1C and 0x7F
// mapped to themselves as Windows maps them (ICU swaps them).
//
//   generate OUTPUT     writes the table
//
// Every line of the table is one of:
//   D BYTES CODE   the byte or byte pair BYTES (hex) decodes to U+CODE
//   E CODE BYTES   U+CODE encodes to BYTES, where that is not the first
//                  sequence in byte order that decodes to it
//   N CODE         U+CODE decodes from some sequence but is not encoded
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextStream>

#include <cstdio>
#include <map>
#include <optional>

namespace {

constexpr char Icu[] = "windows-31j";

char16_t fromIcu(char16_t c) {
    switch (c) {
    case 0x1C:
        return 0x1A;
    case 0x7F:
        return 0x1C;
    case 0x1A:
        return 0x7F;
    default:
        return c;
    }
}

char16_t toIcu(char16_t c) {
    switch (c) {
    case 0x1A:
        return 0x1C;
    case 0x1C:
        return 0x7F;
    case 0x7F:
        return 0x1A;
    default:
        return c;
    }
}

// The one UTF-16 unit a byte sequence decodes to, if it is one character.
std::optional<char16_t> decode(const QByteArray &bytes) {
    QStringDecoder decoder(Icu, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.size() != 1)
        return std::nullopt;
    return fromIcu(text.at(0).unicode());
}

std::optional<QByteArray> encode(char16_t code) {
    QStringEncoder encoder(Icu, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(QString(QChar(toIcu(code))));
    if (encoder.hasError() || bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    if (!QStringDecoder(Icu).isValid()) {
        std::fprintf(stderr, "this Qt has no %s converter (it needs ICU)\n", Icu);
        return 1;
    }
    QString text;
    QTextStream out(&text);
    out << "# CP932 as ICU's Windows converter maps it, with 0x1A, 0x1C and 0x7F as themselves.\n"
           "# Written by tools/cp932/generate.cpp; the line formats are described there.\n";
    std::map<char16_t, QByteArray> firstDecoded;
    const auto decoded = [&](const QByteArray &bytes, char16_t code) {
        out << "D " << bytes.toHex().toUpper() << ' '
            << QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper() << '\n';
        firstDecoded.emplace(code, bytes);
    };
    QList<int> leads;
    for (int b = 0; b < 256; ++b) {
        const QByteArray single(1, char(b));
        if (const auto code = decode(single))
            decoded(single, *code);
        else
            leads.append(b);
    }
    for (int lead : leads) {
        for (int trail = 0; trail < 256; ++trail) {
            const QByteArray pair = QByteArray(1, char(lead)) + char(trail);
            if (const auto code = decode(pair))
                decoded(pair, *code);
        }
    }
    for (int code = 0; code < 0x10000; ++code) {
        if (code >= 0xD800 && code < 0xE000)
            continue;
        const auto bytes = encode(char16_t(code));
        const auto first = firstDecoded.find(char16_t(code));
        const QString hexCode = QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper();
        if (bytes && (first == firstDecoded.end() || first->second != *bytes))
            out << "E " << hexCode << ' ' << bytes->toHex().toUpper() << '\n';
        else if (!bytes && first != firstDecoded.end())
            out << "N " << hexCode << '\n';
    }
    out.flush();
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toLatin1()) != text.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
