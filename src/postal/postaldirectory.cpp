#include "postaldirectory.h"

#include <QFile>
#include <QRegularExpression>

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

const PostalDirectory &PostalDirectory::shipped() {
    static const PostalDirectory directory = [] {
        PostalDirectory loaded;
        QFile file(QStringLiteral(":/postal/postalcodes.tsv"));
        if (file.open(QIODevice::ReadOnly))
            loaded.load(file.readAll());
        return loaded;
    }();
    return directory;
}

bool PostalDirectory::load(QByteArray tsv) {
    m_text = std::move(tsv);
    m_rows.clear();
    m_rows.reserve(static_cast<size_t>(m_text.count('\n')));
    qsizetype at = 0;
    while (at < m_text.size()) {
        qsizetype end = m_text.indexOf('\n', at);
        if (end < 0)
            end = m_text.size();
        if (m_text.at(at) != '#' && end > at) {
            bool ok = false;
            const quint32 code = m_text.mid(at, 7).toUInt(&ok);
            if (!ok || m_text.at(at + 7) != '\t' || m_text.mid(at, end - at).count('\t') != 3) {
                m_rows.clear();
                return false;
            }
            m_rows.push_back({code, static_cast<quint32>(at)});
        }
        at = end + 1;
    }
    return std::is_sorted(m_rows.begin(), m_rows.end(),
                          [](const Row &a, const Row &b) { return a.code < b.code; });
}

PostalPlace PostalDirectory::place(const Row &row) const {
    qsizetype end = m_text.indexOf('\n', row.offset);
    if (end < 0)
        end = m_text.size();
    const QList<QByteArray> fields = m_text.mid(row.offset, end - row.offset).split('\t');
    return {QString::fromLatin1(fields.at(0)), QString::fromUtf8(fields.at(1)),
            QString::fromUtf8(fields.at(2)), QString::fromUtf8(fields.at(3))};
}

QList<PostalPlace> PostalDirectory::byCode(const QString &code) const {
    const QString digits = normalizedPostalCode(code);
    if (digits.isEmpty())
        return {};
    const quint32 wanted = digits.toUInt();
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), wanted,
                               [](const Row &row, quint32 c) { return row.code < c; });
    QList<PostalPlace> places;
    for (; it != m_rows.end() && it->code == wanted; ++it)
        places.append(place(*it));
    return places;
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

QList<PostalPlace> PostalDirectory::byAddress(const QString &address) const {
    const QString wanted =
        arabicNumerals(withoutStreetDirections(address.simplified().remove(u' ').remove(u'　')));
    // A row can match only when its municipality is in the address as
    // written: checked on the raw bytes before the row is read.
    const QByteArray written = address.simplified().remove(u' ').remove(u'　').toUtf8();
    QList<PostalPlace> best;
    qsizetype bestLength = 0;
    for (const Row &row : m_rows) {
        // code TAB prefecture TAB municipality TAB town
        const qsizetype second = m_text.indexOf('\t', row.offset + 8);
        const qsizetype third = m_text.indexOf('\t', second + 1);
        if (second < 0 || third < 0 ||
            !written.contains(QByteArrayView(m_text).sliced(second + 1, third - second - 1)))
            continue;
        const PostalPlace candidate = place(row);
        // With or without the prefecture.
        for (const QString &text : {candidate.address(), candidate.municipality + candidate.town}) {
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
    return best;
}

} // namespace nvl
