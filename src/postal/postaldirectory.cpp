#include "postaldirectory.h"

#include <QFile>

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

QList<PostalPlace> PostalDirectory::byAddress(const QString &address) const {
    const QString wanted = address.simplified().remove(u' ').remove(u'　');
    QList<PostalPlace> best;
    qsizetype bestLength = 0;
    for (const Row &row : m_rows) {
        const PostalPlace candidate = place(row);
        // With or without the prefecture.
        for (const QString &form : {candidate.address(), candidate.municipality + candidate.town}) {
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
