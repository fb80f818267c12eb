#include "cp932.h"

#include <QFile>

#include <array>
#include <memory>

namespace nvl {

namespace {

constexpr char16_t NoCharacter = 0xFFFF;
constexpr char16_t LeadByte = 0xFFFE;
constexpr quint16 NoBytes = 0xFFFF; // 0xFF is never a lead byte

struct Tables {
    // A byte's character, or LeadByte / NoCharacter.
    std::array<char16_t, 256> single{};
    // Indexed by lead << 8 | trail.
    std::array<char16_t, 0x10000> pair{};
    // A character's bytes: one byte as itself, two as lead << 8 | trail.
    std::array<quint16, 0x10000> bytes{};
};

// The table is generated from ICU by tools/cp932/generate.cpp.
std::unique_ptr<Tables> readTables() {
    auto tables = std::make_unique<Tables>();
    tables->single.fill(NoCharacter);
    tables->pair.fill(NoCharacter);
    tables->bytes.fill(NoBytes);
    QFile file(QStringLiteral(":/nvl/cp932.txt"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the CP932 table is missing from the program");
    while (!file.atEnd()) {
        const QList<QByteArray> parts = file.readLine().trimmed().split(' ');
        const char kind = parts.at(0).isEmpty() ? '#' : parts.at(0).at(0);
        const auto hex = [&parts](int i) {
            return parts.at(i).toUInt(nullptr, 16);
        };
        if (kind == 'D' && parts.size() == 3) {
            const quint16 sequence = quint16(hex(1));
            const char16_t code = char16_t(hex(2));
            if (parts.at(1).size() == 2) {
                tables->single.at(sequence) = code;
            } else {
                tables->single.at(sequence >> 8) = LeadByte;
                tables->pair.at(sequence) = code;
            }
            // The first sequence in byte order is the one written.
            if (tables->bytes.at(code) == NoBytes)
                tables->bytes.at(code) = sequence;
        } else if (kind == 'E' && parts.size() == 3) {
            tables->bytes.at(hex(1)) = quint16(hex(2));
        } else if (kind == 'N' && parts.size() == 2) {
            tables->bytes.at(hex(1)) = NoBytes;
        }
    }
    return tables;
}

const Tables &tables() {
    static const std::unique_ptr<Tables> read = readTables();
    return *read;
}

} // namespace

std::optional<QString> decodeCp932(const QByteArray &bytes) {
    const Tables &t = tables();
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = quint8(bytes.at(i));
        char16_t code = t.single.at(byte);
        if (code == LeadByte) {
            if (++i == bytes.size())
                return std::nullopt;
            code = t.pair.at(byte << 8 | quint8(bytes.at(i)));
        }
        if (code == NoCharacter || code == LeadByte)
            return std::nullopt;
        text.append(QChar(code));
    }
    return text;
}

std::optional<QByteArray> encodeCp932(QStringView text) {
    const Tables &t = tables();
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        const quint16 sequence = t.bytes.at(c.unicode());
        if (sequence == NoBytes)
            return std::nullopt;
        if (sequence > 0xFF)
            bytes.append(char(sequence >> 8));
        bytes.append(char(sequence & 0xFF));
    }
    return bytes;
}

} // namespace nvl
