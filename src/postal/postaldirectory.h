#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

namespace nvl {

// One town of Japan Post's postal-code data; `town` is empty where the code
// stands for the whole municipality. Some codes are for less than a town:
// a part of it, one floor of a high-rise building, or a business.
struct PostalPlace {
    QString code; // seven ASCII digits
    QString prefecture;
    QString municipality;
    QString town;
    QString part;     // of the town, when the town has several codes ("相影")
    QString building; // and its floor: "丸の内ビルディング10階"; without one, any other
    QString street;   // a business's: "2丁目8-1"
    QString office;   // the business's or office's name

    QString address() const { return prefecture + municipality + town; }
    // The address with what the code is for: "…丸の内 丸の内ビルディング10階".
    QString label() const;
    bool operator==(const PostalPlace &other) const {
        return code == other.code && prefecture == other.prefecture &&
               municipality == other.municipality && town == other.town && part == other.part &&
               building == other.building && street == other.street && office == other.office;
    }
};

// "100-0001", "１００－０００１", "〒1000001" → "1000001"; empty when the text
// is not a seven-digit postal code.
QString normalizedPostalCode(const QString &text);

// All of Japan Post's postal codes, in a table compiled from the data file
// when the program is built and read where it lies in the program's
// resources: nothing is decompressed or parsed at start-up or at first use.
class PostalDirectory {
public:
    // The shipped table.
    static const PostalDirectory &shipped();

    // Compiles rows "code<TAB>prefecture<TAB>municipality<TAB>town", then
    // optionally part, building, street and office, sorted by code (lines
    // starting with # are comments), into the table; empty when a row is
    // malformed or the rows are not sorted.
    static QByteArray compile(const QByteArray &tsv);
    // Compiles and reads a data file; false when it is malformed.
    bool load(const QByteArray &tsv);
    // Reads a compiled table, which must outlive the directory when it is
    // raw data; false when it is not one.
    bool adopt(const QByteArray &table);
    int rowCount() const { return static_cast<int>(m_rowCount); }

    // The towns of a code (any spelling normalizedPostalCode reads).
    QList<PostalPlace> byCode(const QString &code) const;
    // The places whose prefecture + municipality + town begin the address
    // (the prefecture may be left out; 大字 or 字 before the town is passed
    // over), longest match only: a building's floor or a part of the town
    // the address names after the town counts to the match. A building's
    // code is only found by its name; businesses' codes are not found by
    // their address. Only the towns of the municipalities that begin the
    // address are read.
    QList<PostalPlace> byAddress(const QString &address) const;

private:
    quint32 word(qsizetype at) const;
    quint16 half(qsizetype at) const;
    QString text(quint32 offset, quint32 length) const;
    quint32 rowCode(quint32 row) const;
    PostalPlace place(quint32 row) const;
    // A row's part, building, street and office, tab-separated; empty for
    // none. With a cursor, rows asked in order are found walking on.
    QByteArrayView extras(quint32 row, quint32 *cursor = nullptr) const;
    void addExtras(quint32 row, PostalPlace &place) const;

    QByteArray m_table;
    quint32 m_rowCount = 0;
    quint32 m_groupCount = 0;
    quint32 m_extraCount = 0;
    quint32 m_memberCount = 0;
    qsizetype m_groups = 0;  // where the municipalities start
    qsizetype m_members = 0; // their rows
    qsizetype m_extras = 0;  // rows with a part, building or business, by row
    qsizetype m_strings = 0;
};

} // namespace nvl
