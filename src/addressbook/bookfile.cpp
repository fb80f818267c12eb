#include "bookfile.h"

#include "quotedfields.h"

namespace nvl {

namespace {

// Reads records of `width` fields until the end; false when the text ends
// inside a record or holds more than `capacity` records.
template <typename Store>
BookRead::Status readRecords(const QString &text, int width, int capacity, Store store,
                             QStringList *partial = nullptr, bool *oneRecordALine = nullptr) {
    QuotedFieldReader reader(text);
    int count = 0;
    while (!reader.atEnd()) {
        if (count == capacity)
            return BookRead::Status::TooManyRecords;
        QStringList fields;
        for (int k = 0; k < width; ++k) {
            std::optional<QString> field = reader.next();
            if (!field) {
                if (partial)
                    *partial = fields;
                return BookRead::Status::EndInsideRecord;
            }
            fields.append(*field);
            // A record of its own on each line: only its last field ends the line.
            if (oneRecordALine && reader.lastFieldEndedLine() != (k == width - 1))
                *oneRecordALine = false;
        }
        store(fields);
        ++count;
    }
    return BookRead::Status::Ok;
}

} // namespace

BookRead parseBook(const QString &text) {
    BookRead result;
    result.status = readRecords(
        text, AddressRecord::FieldCount, AddressBook::Capacity,
        [&result](const QStringList &fields) {
            result.book.records.append(AddressRecord::fromList(fields));
        },
        &result.partialRecord);
    return result;
}

BookRead readBookFile(const QString &path) {
    const TextFileRead file = readTextFile(path);
    if (!file.ok()) {
        BookRead result;
        result.status = BookRead::Status::FileError;
        result.fileStatus = file.status;
        return result;
    }
    BookRead result = parseBook(file.content.text);
    result.encoding = file.content.encoding;
    result.stamp = file.stamp;
    return result;
}

QString formatBook(const AddressBook &book) {
    QString text;
    for (const AddressRecord &record : book.records)
        text += formatQuotedLine(record.toList());
    return text;
}

WriteResult writeBookFile(const QString &path, const AddressBook &book) {
    return writeTextFileAtomically(path, formatBook(book));
}

OldBookRead parseOldBook(const QString &text) {
    OldBookRead result;
    // The old program wrote one record a line. A current book with a stray
    // field can also come to a multiple of six fields; its lines of seven
    // tell it apart, and such a file is not converted.
    bool oneRecordALine = true;
    const BookRead::Status status = readRecords(
        text, OldFormatFieldCount, OldFormatCapacity,
        [&result](const QStringList &fields) { result.records.append(fields); }, nullptr,
        &oneRecordALine);
    result.ok = status == BookRead::Status::Ok && oneRecordALine;
    return result;
}

bool mayBeOldFormat(const BookRead &failedRead) {
    if (failedRead.status == BookRead::Status::FileError)
        return false;
    // Record 2 may have been read in part, or not at all (then its name is empty).
    QString name;
    if (failedRead.book.recordCount() >= 2)
        name = failedRead.book.record(2).field(AddressRecord::Name);
    else if (failedRead.book.recordCount() == 1 && !failedRead.partialRecord.isEmpty())
        name = failedRead.partialRecord.first();
    return !isNumericText(name);
}

AddressBook convertOldRecords(const QList<QStringList> &oldRecords) {
    AddressBook book;
    for (const QStringList &old : oldRecords) {
        QStringList fields = old;
        fields.append(QStringLiteral(" "));
        book.records.append(AddressRecord::fromList(fields));
    }
    return book;
}

} // namespace nvl
