#pragma once

#include "importresult.h"
#include "yearmarks.h"

#include <QByteArray>
#include <array>

namespace nvl {

// A CSV file another program wrote: a header row, then one contact a row.
struct CsvTable {
    QStringList header;
    QList<QStringList> rows;
    QStringList notes; // what was read otherwise than written (a NUL as a blank)
};
struct CsvRead {
    CsvTable table;
    QString error; // Japanese; empty when the table was read
    bool ok() const { return error.isEmpty(); }
};

// UTF-8 (with or without a byte-order mark) or CP932, whichever the bytes
// are; quoted fields may hold commas, quotes ("") and line breaks.
CsvRead readCsvTable(const QByteArray &bytes);

// A book saved as .csv is the book format itself; a file whose first row
// names columns, or that starts with a UTF-8 byte-order mark and is not a
// book, came from another program.
bool isForeignCsv(const QByteArray &bytes);

// What a column can hold, for the mapping.
enum class ImportColumn {
    Name,
    FamilyName,
    GivenName,
    PostalCode,
    WholeAddress,
    Region,
    Locality,
    Street,
    Address1,
    Address2,
    Building,
    Honorific,
    Code,
    Joint1, // 連名 and its honorific, three of them
    Joint1Honorific,
    Joint2,
    Joint2Honorific,
    Joint3,
    Joint3Honorific,
    Reading, // フリガナ
    Tags,    // words joined by ;
};
constexpr int ImportColumnCount = 21;
QString importColumnCaption(ImportColumn column);

// The column (0-based) each field is read from, -1 for none.
using CsvMapping = std::array<int, ImportColumnCount>;
// Columns matched by their header names: the card's own (氏名, 郵便番号,
// 住所１, …) and those of the common web address books' exports.
CsvMapping guessMapping(const QStringList &header);
// One FIELD=COLUMN the user gives: FIELD as the mapping window names it
// (郵便番号, 住所１, 連名1, …), COLUMN a header's name or a number from 1.
// The reason it cannot be taken, or empty when it is.
QString mapColumn(CsvMapping &mapping, const QStringList &header, const QString &given);
bool mappingNamesSomething(const CsvMapping &mapping);

// A column of marks of one card year: 送付2027, 受取2027, 喪中2027, and the
// spellings postcard programs use (2027年送信, 受信(2027), …).
struct YearColumn {
    int column = 0;
    YearMark mark = YearMark::Sent;
    int year = 0;
};
QList<YearColumn> yearColumns(const QStringList &header);
// 1, ○ and 済 (and their close spellings) say yes.
bool isYesCell(const QString &text);

ImportResult recordsFromTable(const CsvTable &table, const CsvMapping &mapping);

// The records as CSV for other programs: UTF-8 with a byte-order mark, a
// header row, every field in the book's order, then from each record's
// companion data (`data` by record index) 連名1, 連名1敬称, … 連名3敬称,
// フリガナ and タグ (joined by ;), then 送付, 受取 and 喪中 of every year a
// record has a mark of (○ for yes).
QByteArray writeExportCsv(const QList<AddressRecord> &records, const QList<QJsonObject> &data = {});

} // namespace nvl
