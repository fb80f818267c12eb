#pragma once

#include "addressrecord.h"
#include "textfile.h"

#include <QList>
#include <QString>

namespace nvl {

// An address book in memory: records 1 to RecordCount, in file order.
struct AddressBook {
    static constexpr int Capacity = 300;

    QList<AddressRecord> records;

    int recordCount() const { return static_cast<int>(records.size()); }
    // Records are numbered from 1.
    const AddressRecord &record(int number) const { return records.at(number - 1); }
};

struct BookRead {
    enum class Status {
        Ok,
        FileError,       // could not be read as text at all (see fileStatus)
        EndInsideRecord, // the file ended in the middle of a record
        TooManyRecords,  // more records than the book holds
        NotABook,        // another program's file (a CSV with a header of its own)
    };
    Status status = Status::Ok;
    TextFileRead::Status fileStatus = TextFileRead::Status::Ok;
    TextEncoding encoding = TextEncoding::Cp932;
    FileStamp stamp; // of the file as read
    // What was read before a failure, too: the old-format check looks at it.
    AddressBook book;
    // The fields of the record that was being read when the text ended.
    QStringList partialRecord;

    bool ok() const { return status == Status::Ok; }
};

// Reads fields as a stream, seven to a record, until only blanks and line
// ends are left.
BookRead readBookFile(const QString &path);
BookRead parseBook(const QString &text);

WriteResult writeBookFile(const QString &path, const AddressBook &book);
QString formatBook(const AddressBook &book);

// The previous version's files: six fields a record, at most 200 records.
struct OldBookRead {
    bool ok = false;
    QList<QStringList> records; // six fields each
};
constexpr int OldFormatCapacity = 200;
constexpr int OldFormatFieldCount = 6;

OldBookRead parseOldBook(const QString &text);

// Whether a failed read looks like a file of the previous version: field 1
// of its second record is not a number (in the old layout that place holds
// a name, in a broken current file it often holds a postal code or index).
bool mayBeOldFormat(const BookRead &failedRead);

// The old records in the current layout: their six fields and a seventh
// field of one blank.
AddressBook convertOldRecords(const QList<QStringList> &oldRecords);

} // namespace nvl
