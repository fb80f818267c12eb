#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace nvl {

// Reads a text as a stream of comma-separated fields, where a line end
// separates two fields exactly as a comma does.
class QuotedFieldReader {
public:
    explicit QuotedFieldReader(QString text);

    // True when nothing but blanks and line ends is left. Trailing blank
    // lines therefore never start a record of empty fields.
    bool atEnd() const;

    // The next field, or nothing when the text ended before it.
    std::optional<QString> next();
    // Whether the field last read ended its line (or the text) rather than
    // being followed by a comma.
    bool lastFieldEndedLine() const { return m_endedLine; }

private:
    bool atLineEnd() const;
    void skipLineEnd();

    QString m_text;
    qsizetype m_pos = 0;
    bool m_endedLine = false;
};

// One line of the file: every field quoted, separated by commas, ended by
// CR LF. A double quote inside a field is stored as the full-width ＂ so
// the line still reads back with the same fields.
QString formatQuotedLine(const QStringList &fields);

} // namespace nvl
