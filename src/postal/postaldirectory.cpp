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

QString PostalPlace::label() const {
    QString text = address();
    if (!part.isEmpty())
        text += u'（' + part + u'）';
    text += street;
    for (const QString &more : {building, office})
        if (!more.isEmpty())
            text += u' ' + more;
    return text;
}

namespace {

const QString KanjiDigits = QStringLiteral("〇一二三四五六七八九");

bool isKanjiNumeral(QChar c) {
    switch (c.unicode()) {
    case u'〇':
    case u'一':
    case u'二':
    case u'三':
    case u'四':
    case u'五':
    case u'六':
    case u'七':
    case u'八':
    case u'九':
    case u'十':
    case u'百':
    case u'千':
        return true;
    default:
        return false;
    }
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
    // Compiling the expression costs more than a lookup: only where it may match.
    if (!text.contains(u'通'))
        return text;
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

// A building as the address may name it: in any width, with its floor
// written 10階 or 10F. Scanned by hand: a regular expression's first use
// costs more than a whole lookup.
QString buildingForm(const QString &text) {
    // Full-width letters and digits by hand; Unicode's compatibility forms
    // (half-width kana) only where there are any, as the first use of its
    // tables is slow.
    QString narrow = text;
    bool compatible = false;
    for (QChar &c : narrow) {
        if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
            c = QChar(c.unicode() - 0xFEE0);
        else if (c.unicode() >= 0xFF5F)
            compatible = true;
    }
    if (compatible)
        narrow = narrow.normalized(QString::NormalizationForm_KC);
    const QString form = arabicNumerals(narrow.remove(u' '));
    QString out;
    out.reserve(form.size());
    for (qsizetype i = 0; i < form.size(); ++i) {
        const QChar c = form.at(i);
        const bool floor = (c == u'F' || c == u'f') && i > 0 && form.at(i - 1).isDigit() &&
                           (i + 1 == form.size() ||
                            !(form.at(i + 1).unicode() < 0x80 && form.at(i + 1).isLetter()));
        out += floor ? QChar(u'階') : c;
    }
    return out;
}

bool hasKanjiNumeral(QByteArrayView utf8) {
    // Kanji are three bytes in UTF-8: decoded in place, nothing allocated.
    for (qsizetype i = 0; i + 2 < utf8.size(); ++i) {
        const auto lead = static_cast<uchar>(utf8.at(i));
        if ((lead & 0xF0) != 0xE0)
            continue;
        const char16_t c = static_cast<char16_t>(
            ((lead & 0x0F) << 12) | ((static_cast<uchar>(utf8.at(i + 1)) & 0x3F) << 6) |
            (static_cast<uchar>(utf8.at(i + 2)) & 0x3F));
        if (isKanjiNumeral(QChar(c)))
            return true;
        i += 2;
    }
    return false;
}

// 大字 or 字 before a town: not part of its name in the data.
qsizetype villagePrefix(QStringView rest) {
    if (rest.startsWith(u"大字"))
        return 2;
    return rest.startsWith(u'字') ? 1 : 0;
}

} // namespace

namespace {

// The table: a header, then the rows sorted by code, the municipalities,
// each municipality's rows, and the texts, all little-endian.
constexpr char Magic[] = "NVLPOST2";
constexpr qsizetype HeaderSize = 28; // magic, rows, municipalities, text bytes, extras, members
constexpr qsizetype RowSize = 12;    // code, town offset, town length (16), municipality (16)
constexpr qsizetype GroupSize = 28;  // prefecture offset, its length (16), municipality length
                                     // (16), municipality offset, key offset, key's prefecture
                                     // length (16), key length (16), first member, members
constexpr qsizetype ExtraSize =
    12; // row, text offset, text length: "part\tbuilding\tstreet\toffice"
constexpr int ExtraFields = 4;

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
        QByteArray prefecture, municipality, town, extras;
        bool business;
    };
    std::vector<Row> rows;
    for (const QByteArray &line : tsv.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QList<QByteArray> fields = line.split('\t');
        bool ok = false;
        const quint32 code = fields.first().toUInt(&ok);
        if (fields.size() < 4 || fields.size() > 4 + ExtraFields || fields.first().size() != 7 ||
            !ok || (!rows.empty() && rows.back().code > code) || fields.at(3).size() > 0xFFFF)
            return {};
        QByteArray extras;
        if (fields.size() > 4) {
            while (fields.size() < 4 + ExtraFields)
                fields.append(QByteArray());
            extras = fields.mid(4).join('\t');
        }
        const bool business = fields.size() == 4 + ExtraFields && !fields.last().isEmpty();
        rows.push_back({code, fields.at(1), fields.at(2), fields.at(3), extras, business});
    }
    Strings strings;
    QHash<QByteArray, quint16> groupOf;
    QList<QByteArray> groupKeys;
    QList<QList<quint32>> members;
    QByteArray rowBytes;
    QByteArray extraBytes;
    quint32 extraCount = 0;
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
        const auto index = static_cast<quint32>(&row - rows.data());
        // A business is found by its code only.
        if (!row.business)
            members[*group].append(index);
        put32(rowBytes, row.code);
        put32(rowBytes, strings.add(row.town));
        put16(rowBytes, static_cast<quint16>(row.town.size()));
        put16(rowBytes, *group);
        if (!row.extras.isEmpty()) {
            put32(extraBytes, index);
            put32(extraBytes, strings.add(row.extras));
            put32(extraBytes, static_cast<quint32>(row.extras.size()));
            ++extraCount;
        }
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
    put32(table, extraCount);
    put32(table, static_cast<quint32>(memberBytes.size() / 4));
    return table + rowBytes + groupBytes + memberBytes + extraBytes + strings.bytes();
}

bool PostalDirectory::load(const QByteArray &tsv) {
    return adopt(compile(tsv));
}

bool PostalDirectory::adopt(const QByteArray &table) {
    m_table.clear();
    m_rowCount = m_groupCount = m_extraCount = m_memberCount = 0;
    if (table.size() < HeaderSize || !table.startsWith(QByteArrayView(Magic, 8)))
        return false;
    const auto field = [&](qsizetype at) {
        return qFromLittleEndian<quint32>(table.constData() + at);
    };
    const qint64 rows = field(8);
    const qint64 groups = field(12);
    const qint64 strings = field(16);
    const qint64 extras = field(20);
    const qint64 members = field(24);
    if (members > rows || HeaderSize + rows * RowSize + groups * GroupSize + members * 4 +
                                  extras * ExtraSize + strings !=
                              table.size())
        return false;
    m_table = table;
    m_rowCount = static_cast<quint32>(rows);
    m_groupCount = static_cast<quint32>(groups);
    m_extraCount = static_cast<quint32>(extras);
    m_memberCount = static_cast<quint32>(members);
    m_groups = HeaderSize + rows * RowSize;
    m_members = m_groups + groups * GroupSize;
    m_extras = m_members + members * 4;
    m_strings = m_extras + extras * ExtraSize;
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
    PostalPlace found;
    found.code = QStringLiteral("%1").arg(word(at), 7, 10, QChar(u'0'));
    found.prefecture = text(word(g), half(g + 4));
    found.municipality = text(word(g + 8), half(g + 6));
    found.town = text(word(at + 4), half(at + 8));
    addExtras(row, found);
    return found;
}

QByteArrayView PostalDirectory::extras(quint32 row, quint32 *cursor) const {
    // A group's rows come in order: from a cursor, the search walks on.
    quint32 low = cursor ? *cursor : 0;
    if (!cursor || low > m_extraCount ||
        (low < m_extraCount && word(m_extras + qsizetype(low) * ExtraSize) > row)) {
        low = 0;
        quint32 high = m_extraCount;
        while (low < high) {
            const quint32 middle = low + (high - low) / 2;
            if (word(m_extras + qsizetype(middle) * ExtraSize) < row)
                low = middle + 1;
            else
                high = middle;
        }
    }
    while (low < m_extraCount && word(m_extras + qsizetype(low) * ExtraSize) < row)
        ++low;
    if (cursor)
        *cursor = low;
    const qsizetype at = m_extras + qsizetype(low) * ExtraSize;
    if (low == m_extraCount || word(at) != row ||
        m_strings + word(at + 4) + word(at + 8) > m_table.size())
        return {};
    return {m_table.constData() + m_strings + word(at + 4), qsizetype(word(at + 8))};
}

void PostalDirectory::addExtras(quint32 row, PostalPlace &place) const {
    const QByteArrayView bytes = extras(row);
    if (bytes.isEmpty())
        return;
    const QStringList fields = QString::fromUtf8(bytes).split(u'\t');
    if (fields.size() != ExtraFields)
        return;
    place.part = fields.at(0);
    place.building = fields.at(1);
    place.street = fields.at(2);
    place.office = fields.at(3);
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
    const QString compact = address.simplified().remove(u' ').remove(u'　');
    const QString wanted = arabicNumerals(withoutStreetDirections(compact));
    const QString named = buildingForm(compact);
    const QByteArray namedBytes = named.toUtf8();
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
        const bool whole = written.startsWith(key);
        if (!whole && !written.startsWith(key.sliced(keyPrefecture)))
            continue;
        QString local = wanted;
        const qsizetype townAt = QString::fromUtf8(whole ? key : key.sliced(keyPrefecture)).size();
        local.remove(townAt, villagePrefix(QStringView(local).mid(townAt)));
        const QStringView after = QStringView(local).mid(townAt);
        quint32 cursor = m_extraCount + 1; // searched for at the first row
        const quint32 first = word(g + 20);
        const quint32 count = word(g + 24);
        for (quint32 m = first; m < first + count && m < m_memberCount; ++m) {
            // The town first: the rest of the row only where it matches.
            const quint32 row = word(m_members + qsizetype(m) * 4);
            if (row >= m_rowCount)
                continue;
            const qsizetype at = HeaderSize + qsizetype(row) * RowSize;
            const QString town = comparable(text(word(at + 4), half(at + 8)));
            if (!after.startsWith(town))
                continue;
            qsizetype length = townAt + town.size();
            if (const QByteArrayView more = extras(row, &cursor); !more.isEmpty()) {
                const qsizetype tab = more.indexOf('\t');
                const QByteArrayView part = more.first(std::max<qsizetype>(tab, 0));
                const QByteArrayView rest = more.sliced(tab + 1);
                const QByteArrayView building =
                    rest.first(std::max<qsizetype>(rest.indexOf('\t'), 0));
                if (!building.isEmpty()) {
                    // A floor's code is for that building only; most are
                    // told apart by their bytes.
                    if (!namedBytes.contains(building) &&
                        (!hasKanjiNumeral(building) ||
                         !named.contains(comparable(QString::fromUtf8(building)))))
                        continue;
                    length += QString::fromUtf8(building).size();
                } else if (!part.isEmpty()) {
                    QStringView left = after.mid(town.size());
                    left = left.mid(villagePrefix(left));
                    const QString form = comparable(QString::fromUtf8(part));
                    if (left.startsWith(form))
                        length += form.size();
                }
            }
            if (length < bestLength)
                continue;
            if (length > bestLength) {
                best.clear();
                bestLength = length;
            }
            const PostalPlace candidate = place(row);
            if (!best.contains(candidate))
                best.append(candidate);
        }
    }
    return best;
}

} // namespace nvl
