#pragma once

#include "addressrecord.h"
#include "textfile.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

namespace nvl {

// What the book file cannot hold about a record (連名, readings, history,
// tags, sync state) lives in a companion file beside it, `BOOK.nvl`: UTF-8
// JSON, written in the same save as the book, companion first. The book's
// own bytes never change because of it. docs/companion-file.md has the
// format.

// What names a record from one save to the next: its name, postal code and
// first address line as stored.
struct RecordFingerprint {
    QString name;
    QString postalCode;
    QString address1;

    static RecordFingerprint of(const AddressRecord &record);
    bool operator==(const RecordFingerprint &other) const {
        return name == other.name && postalCode == other.postalCode && address1 == other.address1;
    }
    bool operator!=(const RecordFingerprint &other) const { return !(*this == other); }
};

// The data about one record, with what it was attached to at the save.
struct CompanionEntry {
    RecordFingerprint fingerprint;
    int position = 0; // the record's row at that save, from 0
    QJsonObject data;
};

// One save's entries, for the book bytes written in that save.
struct CompanionGeneration {
    QByteArray bookSha256; // of the book's bytes, raw
    QString saved;         // when, ISO 8601 UTC
    QList<CompanionEntry> entries;
};

struct CompanionFile {
    static constexpr int FormatVersion = 1;
    // More entries than this are not a companion this program wrote.
    static constexpr int MaxEntries = 100000;
    QJsonObject settings;                   // the book's own settings
    QList<CompanionGeneration> generations; // newest first, at most two
    // Keys a newer build wrote beside these: written back as read.
    QJsonObject unknown;

    bool holdsAnything() const;
};

// `BOOK.nvl` beside the file `bookPath` names (a link's target).
QString companionPathFor(const QString &bookPath);

// Parses a companion; nothing, with `error` in Japanese, when it is damaged
// or of a later format.
std::optional<CompanionFile> parseCompanion(const QByteArray &bytes, QString *error);
QByteArray formatCompanion(const CompanionFile &file);

struct CompanionRead {
    enum class Status { Missing, Ok, Damaged };
    Status status = Status::Missing;
    CompanionFile file;
    FileStamp stamp; // size -1 when there is none
    QString error;   // names the file when Damaged
};
CompanionRead readCompanionFile(const QString &path);

// The companion's entries laid on the records: the generation written for
// these very book bytes by position, else the newest by fingerprint (the
// nearest row among equal ones). Entries no record matches are kept apart.
struct CompanionMatch {
    QList<QJsonObject> perRecord; // one a record, empty where there is nothing
    QList<CompanionEntry> unmatched;
    // Rows given back their data though their address changed (below).
    QList<int> reattached;
    const CompanionGeneration *generation = nullptr; // the one matching the book
};
CompanionMatch matchCompanion(const CompanionFile &file, const QByteArray &bookSha256,
                              const QList<AddressRecord> &records);
// Laying entries on records by fingerprint alone; then an entry whose row
// still holds a record of the same name and postal code (its address
// corrected elsewhere) goes back to it.
CompanionMatch matchEntries(const QList<CompanionEntry> &entries,
                            const QList<AddressRecord> &records);

// The entries of records that carry data, for a save.
QList<CompanionEntry> entriesOf(const QList<AddressRecord> &records,
                                const QList<QJsonObject> &perRecord);

} // namespace nvl
