#pragma once

#include "bookfile.h"
#include "jointnames.h"
#include "messagetext.h"

#include <QJsonObject>

#include <QList>
#include <QString>
#include <QStringList>

namespace nvl {

// What an import read from a vCard or a foreign CSV file.
struct ImportResult {
    QList<AddressRecord> records;
    // Each record's companion data by index: 連名, reading, tags.
    QList<QJsonObject> data;
    // Contacts left out, each "name（reason）": not imported silently.
    QStringList skipped;
    // Records imported whole though a field is longer than the editor
    // lets one type.
    QStringList warnings;
    QString error; // Japanese; the file could not be read at all
    bool ok() const { return error.isEmpty(); }
};

// A postal code as the book keeps it: "123-4567" or "1234567" as it is,
// "123-4567" from any other spelling of seven digits (full width, 〒);
// other text as it is, trimmed.
QString importedPostalCode(const QString &text);

// The honorific field for a word (様 → "0"); an empty text is 様 too; a
// number stays as it is, another word too (printed as written). With
// `beyond`, such a word is put there and the index of 様 returned.
QString importedHonorific(const QString &text, QString *beyond = nullptr);

// The address lines of the book from the parts an address book keeps:
// region and locality as 住所１ and the street as 住所２; an address that
// is all in one text (the street part) is split at its municipality.
void setImportedAddress(AddressRecord &record, const QString &regionAndLocality,
                        const QString &street);

// Line breaks, tabs and other control characters become blanks, and the
// fields are trimmed: a book's field is one line.
void tidyImportedRecord(AddressRecord &record);

// Adds a warning for every field longer than the editor's typing limits.
void checkFieldLengths(const AddressRecord &record, QStringList &warnings);

// The book with the records added, or why they do not fit: more than the
// book holds imports nothing.
struct MergeResult {
    AddressBook book;
    QString error;
    // Added records equal to one the book already held, by name.
    QStringList duplicates;
    bool ok() const { return error.isEmpty(); }
};
MergeResult appendRecords(const AddressBook &book, const QList<AddressRecord> &records);
// The line naming them; empty for none.
QString duplicatesNote(const QStringList &duplicates);

// Which reader a file to import needs: by its name (.vcf, .vcard, .csv),
// else by its content.
enum class ImportFormat { VCard, Csv };
ImportFormat importFormat(const QString &path, const QByteArray &bytes);

// Records whose postal code has six digits (a spreadsheet dropped its
// leading zero), with the one code their address gives, if it gives one.
struct SixDigitCode {
    int index = 0;     // in the records
    QString suggested; // "123-4567", or empty
};
QList<SixDigitCode> sixDigitCodes(const QList<AddressRecord> &records);
// The warning for one of them, naming the record, and whether it was replaced.
QString sixDigitWarning(const AddressRecord &record, const SixDigitCode &code, bool replaced);
// Adds a warning for each, replacing the code by the address's where asked.
void applySixDigitCodes(ImportResult &result, bool replace);

// Codes as the book keeps them: seven digits as NNN-NNNN (a spreadsheet
// reads a bare 5300001 as a number); any other code is kept as it is and
// named in a warning with its contact.
void tidyImportedCodes(ImportResult &result);

// The lines an import reports besides its records: contacts left out and
// fields kept longer than the editor allows.
QStringList importNotes(const ImportResult &result);

} // namespace nvl
