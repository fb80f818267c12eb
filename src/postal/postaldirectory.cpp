#include "postaldirectory.h"

#include <QHash>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>

namespace nvl {

QString normalizedPostalCode(const QString &text) {
    QString digits;
    for (const QChar c : text.trimmed()) {
        if (c.isDigit() && c.digitValue() >= 0)
            digits.append(QChar(u'0' + c.digitValue()));
        else if (!QStringLiteral("〒-－−‐ー ").contains(c))
            return {};
    }
    return digits.size() == 7 ? digits : QString();
}

namespace {

const QString KanjiDigits = QStringLiteral("〇一二三四五六七八九");

bool isKanjiNumeral(QChar c) {
    return KanjiDigits.contains(c) || c == u'十' || c == u'百' || c == u'千';
}

// Numbers written in kanji or in full width as Arabic ones: 北1条西, 北１条西
// and 北一条西 read alike, and so do 二十 and 20.
QString arabicNumerals(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c.isDigit() && c.digitValue() >= 0) {
            out += QChar(u'0' + c.digitValue());
            ++i;
            continue;
        }
        if (!isKanjiNumeral(c)) {
            out += c;
            ++i;
            continue;
        }
        int total = 0;
        int current = 0;
        for (; i < text.size() && isKanjiNumeral(text.at(i)); ++i) {
            const QChar k = text.at(i);
            const qsizetype digit = KanjiDigits.indexOf(k);
            if (digit >= 0) {
                current = current * 10 + static_cast<int>(digit);
                continue;
            }
            const int unit = k == u'十' ? 10 : k == u'百' ? 100 : 1000;
            total += (current == 0 ? 1 : current) * unit;
            current = 0;
        }
        out += QString::number(total + current);
    }
    return out;
}

// Kyoto's way of finding a house, "寺町通御池上る" between the ward and the
// town (…通…上る/下る/入る/東入/西入), is not part of the town's name.
QString withoutStreetDirections(const QString &text) {
    static const QRegularExpression directions(
        QStringLiteral("(区)[^区]*?通[^区]*?(?:上る|下る|上ル|下ル|東入る|西入る|東入ル|西入ル|"
                       "東入|西入|入る|入ル)"));
    QString out = text;
    return out.replace(directions, QStringLiteral("\\1"));
}

QString comparable(const QString &text) {
    for (const QChar c : text)
        if (isKanjiNumeral(c) || c.isDigit())
            return arabicNumerals(text);
    return text;
}

} // namespace

namespace {

// The table: a header, then the rows sorted by code, the municipalities,
// each municipality's rows, and the texts, all little-endian.
constexpr char Magic[] = "NVLPOST1";
constexpr qsizetype HeaderSize = 24; // magic, rows, municipalities, text bytes, 0
constexpr qsizetype RowSize = 12;    // code, town offset, town length (16), municipality (16)
constexpr qsizetype GroupSize = 28;  // prefecture offset, its length (16), municipality length
                                     // (16), municipality offset, key offset, key's prefecture
                                     // length (16), key length (16), first member, members

void put32(QByteArray &out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void put16(QByteArray &out, quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

class Strings {
public:
    quint32 add(const QByteArray &text) {
        if (const auto known = m_offsets.constFind(text); known != m_offsets.constEnd())
            return *known;
        const auto at = static_cast<quint32>(m_bytes.size());
        m_bytes += text;
        m_offsets.insert(text, at);
        return at;
    }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    QHash<QByteArray, quint32> m_offsets;
};

} // namespace

QByteArray PostalDirectory::compile(const QByteArray &tsv) {
    struct Row {
        quint32 code;
        QByteArray prefecture, municipality, town;
    };
    std::vector<Row> rows;
    for (const QByteArray &line : tsv.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        bool ok = false;
        const quint32 code = fields.first().toUInt(&ok);
        if (fields.size() != 4 || fields.first().size() != 7 || !ok ||
            (!rows.empty() && rows.back().code > code) || fields.at(3).size() > 0xFFFF)
            return {};
        rows.push_back({code, fields.at(1), fields.at(2), fields.at(3)});
    }
    Strings strings;
    QHash<QByteArray, quint16> groupOf;
    QList<QByteArray> groupKeys;
    QList<QList<quint32>> members;
    QByteArray rowBytes;
    for (const Row &row : rows) {
        const QByteArray key = row.prefecture + '\t' + row.municipality;
        auto group = groupOf.constFind(key);
        if (group == groupOf.constEnd()) {
            if (groupKeys.size() == 0xFFFF)
                return {};
            group = groupOf.insert(key, static_cast<quint16>(groupKeys.size()));
            groupKeys.append(key);
            members.append(QList<quint32>());
        }
        members[*group].append(static_cast<quint32>(&row - rows.data()));
        put32(rowBytes, row.code);
        put32(rowBytes, strings.add(row.town));
        put16(rowBytes, static_cast<quint16>(row.town.size()));
        put16(rowBytes, *group);
    }
    QByteArray groupBytes;
    QByteArray memberBytes;
    for (qsizetype g = 0; g < groupKeys.size(); ++g) {
        const qsizetype tab = groupKeys.at(g).indexOf('\t');
        const QByteArray prefecture = groupKeys.at(g).left(tab);
        const QByteArray municipality = groupKeys.at(g).mid(tab + 1);
        // What an address must begin with, numerals read as the lookup reads them.
        const QByteArray keyPrefecture = comparable(QString::fromUtf8(prefecture)).toUtf8();
        const QByteArray key = keyPrefecture + comparable(QString::fromUtf8(municipality)).toUtf8();
        put32(groupBytes, strings.add(prefecture));
        put16(groupBytes, static_cast<quint16>(prefecture.size()));
        put16(groupBytes, static_cast<quint16>(municipality.size()));
        put32(groupBytes, strings.add(municipality));
        put32(groupBytes, strings.add(key));
        put16(groupBytes, static_cast<quint16>(keyPrefecture.size()));
        put16(groupBytes, static_cast<quint16>(key.size()));
        put32(groupBytes, static_cast<quint32>(memberBytes.size() / 4));
        put32(groupBytes, static_cast<quint32>(members.at(g).size()));
        for (const quint32 row : members.at(g))
            put32(memberBytes, row);
    }
    QByteArray table(Magic, 8);
    put32(table, static_cast<quint32>(rows.size()));
    put32(table, static_cast<quint32>(groupKeys.size()));
    put32(table, static_cast<quint32>(strings.bytes().size()));
    put32(table, 0);
    return table + rowBytes + groupBytes + memberBytes + strings.bytes();
}

bool PostalDirectory::load(const QByteArray &tsv) {
    return adopt(compile(tsv));
}

bool PostalDirectory::adopt(const QByteArray &table) {
    m_table.clear();
    m_rowCount = m_groupCount = 0;
    if (table.size() < HeaderSize || !table.startsWith(QByteArrayView(Magic, 8)))
        return false;
    const auto field = [&](qsizetype at) {
        return qFromLittleEndian<quint32>(table.constData() + at);
    };
    const qint64 rows = field(8);
    const qint64 groups = field(12);
    const qint64 strings = field(16);
    if (HeaderSize + rows * (RowSize + 4) + groups * GroupSize + strings != table.size())
        return false;
    m_table = table;
    m_rowCount = static_cast<quint32>(rows);
    m_groupCount = static_cast<quint32>(groups);
    m_groups = HeaderSize + rows * RowSize;
    m_members = m_groups + groups * GroupSize;
    m_strings = m_members + rows * 4;
    return true;
}

quint32 PostalDirectory::word(qsizetype at) const {
    return qFromLittleEndian<quint32>(m_table.constData() + at);
}

quint16 PostalDirectory::half(qsizetype at) const {
    return qFromLittleEndian<quint16>(m_table.constData() + at);
}

QString PostalDirectory::text(quint32 offset, quint32 length) const {
    if (m_strings + offset + length > m_table.size())
        return {};
    return QString::fromUtf8(m_table.constData() + m_strings + offset, length);
}

quint32 PostalDirectory::rowCode(quint32 row) const {
    return word(HeaderSize + qsizetype(row) * RowSize);
}

PostalPlace PostalDirectory::place(quint32 row) const {
    if (row >= m_rowCount)
        return {};
    const qsizetype at = HeaderSize + qsizetype(row) * RowSize;
    const quint16 group = half(at + 10);
    if (group >= m_groupCount)
        return {};
    const qsizetype g = m_groups + qsizetype(group) * GroupSize;
    return {QStringLiteral("%1").arg(word(at), 7, 10, QChar(u'0')), text(word(g), half(g + 4)),
            text(word(g + 8), half(g + 6)), text(word(at + 4), half(at + 8))};
}

QList<PostalPlace> PostalDirectory::byCode(const QString &code) const {
    const QString digits = normalizedPostalCode(code);
    if (digits.isEmpty())
        return {};
    const quint32 wanted = digits.toUInt();
    quint32 low = 0;
    quint32 high = m_rowCount;
    while (low < high) {
        const quint32 middle = low + (high - low) / 2;
        if (rowCode(middle) < wanted)
            low = middle + 1;
        else
            high = middle;
    }
    QList<PostalPlace> places;
    for (; low < m_rowCount && rowCode(low) == wanted; ++low)
        places.append(place(low));
    return places;
}

QList<PostalPlace> PostalDirectory::byAddress(const QString &address) const {
    const QString wanted =
        arabicNumerals(withoutStreetDirections(address.simplified().remove(u' ').remove(u'　')));
    const QByteArray written = wanted.toUtf8();
    QList<PostalPlace> best;
    qsizetype bestLength = 0;
    for (quint32 group = 0; group < m_groupCount; ++group) {
        const qsizetype g = m_groups + qsizetype(group) * GroupSize;
        const quint32 keyAt = word(g + 12);
        const quint16 keyPrefecture = half(g + 16);
        const quint16 keyLength = half(g + 18);
        if (m_strings + keyAt + keyLength > m_table.size())
            continue;
        const QByteArrayView key(m_table.constData() + m_strings + keyAt, keyLength);
        // The municipality must begin the address, after its prefecture or without it.
        if (!written.startsWith(key) && !written.startsWith(key.sliced(keyPrefecture)))
            continue;
        const quint32 first = word(g + 20);
        const quint32 count = word(g + 24);
        for (quint32 m = first; m < first + count && m < m_rowCount; ++m) {
            const PostalPlace candidate = place(word(m_members + qsizetype(m) * 4));
            for (const QString &text :
                 {candidate.address(), candidate.municipality + candidate.town}) {
                const QString form = comparable(text);
                if (form.size() < bestLength || !wanted.startsWith(form))
                    continue;
                if (form.size() > bestLength) {
                    best.clear();
                    bestLength = form.size();
                }
                if (!best.contains(candidate))
                    best.append(candidate);
            }
        }
    }
    return best;
}

} // namespace nvl
