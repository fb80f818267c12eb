#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

namespace nvl {

// One town of Japan Post's postal-code data; `town` is empty where the code
// stands for the whole municipality.
struct PostalPlace {
    QString code; // seven ASCII digits
    QString prefecture;
    QString municipality;
    QString town;

    QString address() const { return prefecture + municipality + town; }
    bool operator==(const PostalPlace &other) const {
        return code == other.code && prefecture == other.prefecture &&
               municipality == other.municipality && town == other.town;
    }
};

// "100-0001", "１００－０００１", "〒1000001" → "1000001"; empty when the text
// is not a seven-digit postal code.
QString normalizedPostalCode(const QString &text);

// All of Japan Post's postal codes, read once from the data shipped with the
// program (the first lookup loads them; nothing is read at start-up).
class PostalDirectory {
public:
    // The shipped data, loaded on first use.
    static const PostalDirectory &shipped();

    // Rows "code<TAB>prefecture<TAB>municipality<TAB>town", sorted by code;
    // lines starting with # are comments. False when a row is malformed.
    bool load(QByteArray tsv);
    int rowCount() const { return static_cast<int>(m_rows.size()); }

    // The towns of a code (any spelling normalizedPostalCode reads).
    QList<PostalPlace> byCode(const QString &code) const;
    // The places whose prefecture + municipality + town begin the address
    // (the prefecture may be left out), longest match only.
    QList<PostalPlace> byAddress(const QString &address) const;

private:
    struct Row {
        quint32 code;
        quint32 offset; // of the row's text in m_text
    };
    PostalPlace place(const Row &row) const;

    QByteArray m_text;
    std::vector<Row> m_rows;
};

} // namespace nvl
