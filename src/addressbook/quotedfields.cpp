#include "quotedfields.h"

namespace nvl {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool isLineEndChar(QChar c) {
    return c == u'\r' || c == u'\n';
}

} // namespace

QuotedFieldReader::QuotedFieldReader(QString text) : m_text(std::move(text)) {}

bool QuotedFieldReader::atEnd() const {
    for (qsizetype i = m_pos; i < m_text.size(); ++i) {
        const QChar c = m_text.at(i);
        // 0x1A is the old DOS end-of-file mark some editors still append.
        if (!isBlank(c) && !isLineEndChar(c) && c != QChar(0x1A))
            return false;
    }
    return true;
}

bool QuotedFieldReader::atLineEnd() const {
    return m_pos < m_text.size() && isLineEndChar(m_text.at(m_pos));
}

void QuotedFieldReader::skipLineEnd() {
    // CR LF, or a lone CR or LF from files made elsewhere.
    if (m_text.at(m_pos) == u'\r' && m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == u'\n')
        m_pos += 2;
    else
        m_pos += 1;
}

std::optional<QString> QuotedFieldReader::next() {
    const qsizetype size = m_text.size();
    if (m_pos >= size)
        return std::nullopt;
    while (m_pos < size && isBlank(m_text.at(m_pos)))
        ++m_pos;

    QString field;
    if (m_pos < size && m_text.at(m_pos) == u'"') {
        const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
        const qsizetype end = close < 0 ? size : close;
        field = m_text.mid(m_pos + 1, end - m_pos - 1);
        m_pos = close < 0 ? size : close + 1;
        // Whatever follows the closing quote up to the separator is dropped.
        while (m_pos < size && m_text.at(m_pos) != u',' && !atLineEnd())
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < size && m_text.at(m_pos) != u',' && !atLineEnd())
            ++m_pos;
        field = m_text.mid(start, m_pos - start);
        while (!field.isEmpty() && isBlank(field.back()))
            field.chop(1);
    }

    m_endedLine = true;
    if (m_pos < size) {
        if (m_text.at(m_pos) == u',') {
            ++m_pos;
            m_endedLine = false;
        } else {
            skipLineEnd();
        }
    }
    return field;
}

QString formatQuotedLine(const QStringList &fields) {
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        QString field = fields.at(i);
        field.replace(u'"', QChar(0xFF02));
        line += u'"' + field + u'"';
    }
    line += QStringLiteral("\r\n");
    return line;
}

} // namespace nvl
