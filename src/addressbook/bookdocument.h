#pragma once

#include "bookfile.h"
#include "companion.h"

#include <QAbstractTableModel>
#include <QJsonObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QLockFile;

namespace nvl {

// "…は住所録ではなく、ほかのプログラムの CSV ファイルです。…", naming the file.
QString notABookMessage(const QString &path);

// The open book: its records, the file they came from, whether they changed,
// and the one way they are loaded and saved. Views observe it as a table
// model (one row a record, one column a field).
class BookDocument : public QAbstractTableModel {
    Q_OBJECT
public:
    // How long a writer waits for another program's lock on the book.
    static constexpr int WriterWaitMs = 5000;

    explicit BookDocument(QObject *parent = nullptr);
    ~BookDocument() override;

    // --- which book it is: none yet, a new one not saved, or a file's.
    // Every window reads it here and follows fileChanged; none keeps its own.
    enum class Origin { None, New, File };
    Origin origin() const { return m_origin; }
    bool hasFile() const { return m_origin == Origin::File; }
    // No file (yet): none, or a new book.
    bool isNew() const { return !hasFile(); }
    // The canonical path of the file the records came from or went to.
    QString filePath() const { return m_path; }
    const FileStamp &stamp() const { return m_stamp; }
    bool isModified() const { return m_modified; }
    const AddressBook &book() const { return m_book; }
    int recordCount() const { return m_book.recordCount(); }
    // Numbered from 1, as in the file.
    const AddressRecord &record(int number) const { return m_book.record(number); }

    // --- loading
    struct Loaded {
        BookRead::Status status = BookRead::Status::Ok;
        TextFileRead::Status fileStatus = TextFileRead::Status::Ok;
        QString error; // Japanese, names the file; empty when loaded
        bool ok() const { return status == BookRead::Status::Ok; }
    };
    // Replaces the records with the file's; on failure nothing changes.
    // Commands and windows load through loadBook (bookflows.h), which
    // also refuses another program's CSV.
    Loaded load(const QString &path);
    // Takes a book just read from or written to `path`, as it is on disk.
    void adopt(const QString &path, const AddressBook &book, const FileStamp &stamp);
    // Whether the records came from or went to the file `path` names.
    bool holds(const QString &path) const;
    // No book at all, as at start-up.
    void clear();
    // An empty book that has no file yet (新規作成).
    void startNew();

    // --- edits; each marks the book changed when it changes anything
    bool insertRecord(int row, const AddressRecord &record);
    bool appendRecords(const QList<AddressRecord> &records); // all or none
    void setRecord(int row, const AddressRecord &record);
    bool removeRecord(int row);
    bool moveRecord(int from, int to);
    // The whole list, as an editor holds it; nothing changes when it is equal.
    bool setRecords(const QList<AddressRecord> &records);

    // --- saving
    enum class ConflictAnswer { Overwrite, SaveElsewhere, Cancel };
    // Asked when the file changed on disk since it was read; SaveElsewhere
    // fills in the other path. Without one, such a save fails.
    using ConflictHandler = std::function<ConflictAnswer(const QString &path, QString *otherPath)>;

    struct Saved {
        enum class Outcome { Written, Unchanged, Cancelled, Failed };
        Outcome outcome = Outcome::Written;
        QString error; // Japanese, names the file, when Failed
        bool ok() const { return outcome == Outcome::Written || outcome == Outcome::Unchanged; }
    };
    // Writes the book to its file when it has changes (or the file is gone).
    Saved save(const ConflictHandler &onConflict = {});
    // Applies `edit` and writes the book at once; when the edit fails or the
    // book is not written, the records and the changed flag are as before.
    Saved commit(const std::function<bool()> &edit, const ConflictHandler &onConflict = {});
    // Writes the book to `path`, which becomes its file.
    Saved saveAs(const QString &path);
    // Writes a book other than the open one (a conversion, a working file)
    // with the same checks and lock; it has no companion and touches none.
    static Saved saveCopy(const QString &path, const AddressBook &book);
    // Writes the open book and its companion to `path`; the book stays with
    // its own file. Its own file is no copy: that is refused (use save).
    Saved saveCopyAs(const QString &path) const;
    // The bytes the book would be written as, or an error when its own reader
    // would refuse them (too many records, too large, unsavable text).
    static std::optional<QByteArray> bookBytes(const AddressBook &book, const QString &path,
                                               QString *error);

    // --- the lock: `.NAME.lock` beside the file the path names, whatever
    // link it is reached through, so every name of a book shares it.
    struct Locked {
        bool ok = true;
        QString error; // names the book and the holder
        // Held by a program on another computer (a book in a shared folder):
        // it may be left by one that crashed, and can be taken over.
        bool elsewhere = false;
        // Locked, but no lock could be made (a folder without write access):
        // other programs are not kept out. Says so, naming the book.
        QString warning;
    };
    // Held until unlock() or another book is loaded. A folder that cannot
    // hold a lock file leaves the book unlocked (the stamp still guards).
    Locked lock(const QString &path, int waitMs);
    // Removes another computer's lock on the book and takes it.
    Locked takeOverLock(const QString &path);
    void unlock();
    bool holdsLock() const { return m_lock != nullptr; }

    // --- what the book file cannot hold, kept in its companion file and
    // moving with its record through every edit
    QString companionPath() const { return isNew() ? QString() : companionPathFor(m_path); }
    QJsonObject recordData(int row) const { return m_data.value(row); }
    const QList<QJsonObject> &recordDataList() const { return m_data; }
    void setRecordData(int row, const QJsonObject &data);
    // Entries the records no longer match (the book was edited elsewhere):
    // kept until the user attaches each to a record or discards it.
    const QList<CompanionEntry> &unmatchedEntries() const { return m_unmatched; }
    // Replace: the entry's values take the place of the record's own;
    // Merge: the record keeps its own and gains what only the entry holds.
    enum class Attach { Replace, Merge };
    bool attachEntry(int index, int row, Attach how = Attach::Replace);
    // Records whose data went back to them on opening although another
    // program had corrected their address (same row, name and postal code).
    const QList<int> &reattachedRows() const { return m_reattached; }
    // Rows whose 連名 a server had joined to their honorific, parted again
    // on reading; saved with the book's next save.
    const QList<int> &repairedRows() const { return m_repaired; }
    bool discardEntry(int index);
    QJsonObject bookSettings() const { return m_settings; }
    void setBookSettings(const QJsonObject &settings);
    // Why the companion could not be read, naming it; empty when it could.
    QString companionProblem() const { return m_companionProblem; }
    // Asked before a damaged companion is replaced; without an answer of
    // yes it stays as it is and only the book is saved.
    std::function<bool(const QString &companionPath)> replaceDamagedCompanion;
    // Asked once, before the book is first written as UTF-8 (it holds
    // `characters` CP932 cannot store): programs reading it as Shift-JIS
    // then show garbage. Without an answer of yes nothing is written.
    std::function<bool(const QString &path, const QStringList &characters)> approveUtf8;
    // What the question and the command line's warning say about it.
    static QString utf8Reason(const QString &path, const QStringList &characters);

    // --- the model
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void modifiedChanged(bool modified);
    void fileChanged(const QString &path);
    void unmatchedEntriesChanged();

private:
    void setModified(bool modified);
    void reset(Origin origin);
    Saved writeTo(const QString &path);
    Saved writeFiles(const QString &path);
    static QString lockPathFor(const QString &path);
    void readCompanion(const QByteArray &bookSha256);
    bool companionChangedOnDisk() const;
    std::optional<QByteArray> companionBytes(const QString &path, const QByteArray &bookSha256,
                                             CompanionGeneration *written) const;

    AddressBook m_book;
    Origin m_origin = Origin::None;
    QString m_path;
    // A copy for another file: it writes no companion.
    bool m_withoutCompanion = false;
    FileStamp m_stamp;
    // How the book's file is written now: asked before it becomes UTF-8.
    TextEncoding m_fileEncoding = TextEncoding::Cp932;
    bool m_modified = false;
    std::unique_ptr<QLockFile> m_lock;
    QString m_lockPath;

    QList<QJsonObject> m_data; // one a record
    QList<CompanionEntry> m_unmatched;
    QList<int> m_reattached;
    QList<int> m_repaired;
    QJsonObject m_settings;
    QJsonObject m_companionUnknown; // a newer build's keys, kept
    FileStamp m_companionStamp;     // as read or written; size -1 when there was none
    QString m_companionProblem;
    // The generation that goes with the book as it is on disk: kept as the
    // older of the two when the next save is written.
    std::optional<CompanionGeneration> m_diskGeneration;
};

} // namespace nvl
