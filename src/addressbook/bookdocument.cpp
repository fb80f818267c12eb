#include "bookdocument.h"

#include "logging.h"
#include "recorddata.h"
#include "recordextras.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QSysInfo>

namespace nvl {

namespace {
void clearDeadLock(const QString &lockPath);
} // namespace

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::BookDocument", text);
}

// The file a path names, through any links, also when it does not exist yet.
QString canonicalTarget(const QString &path) {
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    if (info.isSymLink())
        return canonicalTarget(info.symLinkTarget());
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

QString describeRead(const QString &path, const BookRead &read) {
    switch (read.status) {
    case BookRead::Status::Ok:
        return {};
    case BookRead::Status::FileError:
        return describeReadFailure(path, read.fileStatus);
    case BookRead::Status::TooManyRecords:
        return tr("ファイル「%1」には%2件を超えるデータがあります。")
            .arg(path)
            .arg(AddressBook::Capacity);
    case BookRead::Status::NotABook:
        return notABookMessage(path);
    case BookRead::Status::EndInsideRecord:
        break;
    }
    return tr("ファイル「%1」は途中で終わっています。").arg(path);
}

} // namespace

QString notABookMessage(const QString &path) {
    return tr("「%1」は住所録ではなく、ほかのプログラムの CSV ファイルです。"
              "取り込むには import を使ってください。")
        .arg(path);
}

BookDocument::BookDocument(QObject *parent) : QAbstractTableModel(parent) {}

BookDocument::~BookDocument() = default;

BookDocument::Loaded BookDocument::load(const QString &path) {
    const BookRead read = readBookFile(path);
    Loaded loaded{read.status, read.fileStatus, describeRead(path, read)};
    if (!loaded.ok())
        return loaded;
    adopt(path, read.book, read.stamp);
    return loaded;
}

void BookDocument::adopt(const QString &path, const AddressBook &book, const FileStamp &stamp) {
    const QString target = canonicalTarget(path);
    if (m_lock && m_lockPath != lockPathFor(target))
        unlock();
    beginResetModel();
    m_book = book;
    m_origin = Origin::File;
    m_path = target;
    m_stamp = stamp;
    QFile file(target);
    m_fileEncoding = file.open(QIODevice::ReadOnly) && file.read(3) == "\xEF\xBB\xBF"
                         ? TextEncoding::Utf8Bom
                         : TextEncoding::Cp932;
    readCompanion(stamp.hash);
    endResetModel();
    // Parted 連名 are a change to keep, as any edit is.
    setModified(!m_repaired.isEmpty());
    emit fileChanged(m_path);
    emit unmatchedEntriesChanged();
}

void BookDocument::readCompanion(const QByteArray &bookSha256) {
    const CompanionRead read = readCompanionFile(companionPathFor(m_path));
    m_companionStamp = read.stamp;
    m_companionProblem = read.error;
    m_settings = read.file.settings;
    m_companionUnknown = read.file.unknown;
    const CompanionMatch match = matchCompanion(read.file, bookSha256, m_book.records);
    m_data = match.perRecord;
    m_unmatched = match.unmatched;
    m_reattached = match.reattached;
    m_repaired.clear();
    for (int row = 0; row < int(m_data.size()); ++row)
        if (RecordExtras::repairJoinedHonorifics(m_data[row]))
            m_repaired.append(row);
    if (match.generation)
        m_diskGeneration = *match.generation;
    else if (read.status == CompanionRead::Status::Ok && !read.file.generations.isEmpty())
        m_diskGeneration = read.file.generations.first();
    else
        m_diskGeneration.reset();
}

bool BookDocument::holds(const QString &path) const {
    return !isNew() && !path.isEmpty() && canonicalTarget(path) == m_path;
}

void BookDocument::clear() {
    reset(Origin::None);
}

void BookDocument::startNew() {
    reset(Origin::New);
}

void BookDocument::reset(Origin origin) {
    unlock();
    beginResetModel();
    m_origin = origin;
    m_book = AddressBook();
    m_path.clear();
    m_stamp = FileStamp();
    m_fileEncoding = TextEncoding::Cp932;
    m_data.clear();
    m_unmatched.clear();
    m_reattached.clear();
    m_repaired.clear();
    m_settings = {};
    m_companionUnknown = {};
    m_companionStamp = FileStamp();
    m_companionProblem.clear();
    m_diskGeneration.reset();
    endResetModel();
    setModified(false);
    emit fileChanged(m_path);
    emit unmatchedEntriesChanged();
}

bool BookDocument::insertRecord(int row, const AddressRecord &record) {
    if (row < 0 || row > recordCount() || recordCount() >= AddressBook::Capacity)
        return false;
    beginInsertRows({}, row, row);
    m_book.records.insert(row, record);
    m_data.insert(row, {});
    endInsertRows();
    setModified(true);
    return true;
}

bool BookDocument::appendRecords(const QList<AddressRecord> &records) {
    if (records.isEmpty())
        return true;
    if (recordCount() + records.size() > AddressBook::Capacity)
        return false;
    beginInsertRows({}, recordCount(), recordCount() + static_cast<int>(records.size()) - 1);
    m_book.records.append(records);
    m_data.resize(m_book.records.size());
    endInsertRows();
    setModified(true);
    return true;
}

void BookDocument::setRecord(int row, const AddressRecord &record) {
    if (row < 0 || row >= recordCount() || m_book.records.at(row) == record)
        return;
    m_book.records[row] = record;
    emit dataChanged(index(row, 0), index(row, AddressRecord::FieldCount - 1));
    setModified(true);
}

bool BookDocument::removeRecord(int row) {
    if (row < 0 || row >= recordCount())
        return false;
    beginRemoveRows({}, row, row);
    m_book.records.removeAt(row);
    m_data.removeAt(row);
    endRemoveRows();
    setModified(true);
    return true;
}

bool BookDocument::moveRecord(int from, int to) {
    if (from < 0 || from >= recordCount() || to < 0 || to >= recordCount())
        return false;
    if (from == to)
        return true;
    // The model's destination is the row the record goes before.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    m_book.records.move(from, to);
    m_data.move(from, to);
    endMoveRows();
    setModified(true);
    return true;
}

bool BookDocument::setRecords(const QList<AddressRecord> &records) {
    if (records.size() > AddressBook::Capacity)
        return false;
    if (records == m_book.records)
        return true;
    // Each record's data follows it: by fingerprint, and a record edited in
    // place keeps its row's. What is left belonged to records deleted.
    CompanionMatch match = matchEntries(entriesOf(m_book.records, m_data), records);
    const QList<CompanionEntry> left = match.unmatched;
    for (const CompanionEntry &entry : left) {
        const int row = entry.position;
        if (row < records.size() && match.perRecord.at(row).isEmpty() &&
            RecordFingerprint::of(records.at(row)) != entry.fingerprint &&
            (row >= m_book.records.size() ||
             RecordFingerprint::of(m_book.records.at(row)) == entry.fingerprint))
            match.perRecord[row] = entry.data;
    }
    beginResetModel();
    m_book.records = records;
    m_data = match.perRecord;
    endResetModel();
    setModified(true);
    return true;
}

void BookDocument::setRecordData(int row, const QJsonObject &data) {
    if (row < 0 || row >= recordCount() || m_data.at(row) == data)
        return;
    m_data[row] = data;
    // Views that show what the data holds (連名 in the lists) follow it.
    emit dataChanged(index(row, 0), index(row, AddressRecord::FieldCount - 1));
    setModified(true);
}

bool BookDocument::attachEntry(int index, int row, Attach how) {
    if (index < 0 || index >= m_unmatched.size() || row < 0 || row >= recordCount())
        return false;
    QJsonObject data = m_data.at(row);
    const QJsonObject entry = m_unmatched.at(index).data;
    if (how == Attach::Merge) {
        data = mergedRecordData(data, entry);
    } else {
        for (auto it = entry.begin(); it != entry.end(); ++it)
            data.insert(it.key(), it.value());
    }
    m_data[row] = data;
    emit dataChanged(this->index(row, 0), this->index(row, AddressRecord::FieldCount - 1));
    m_unmatched.removeAt(index);
    setModified(true);
    emit unmatchedEntriesChanged();
    return true;
}

bool BookDocument::discardEntry(int index) {
    if (index < 0 || index >= m_unmatched.size())
        return false;
    m_unmatched.removeAt(index);
    setModified(true);
    emit unmatchedEntriesChanged();
    return true;
}

void BookDocument::setBookSettings(const QJsonObject &settings) {
    if (settings == m_settings)
        return;
    m_settings = settings;
    setModified(true);
}

std::optional<QByteArray> BookDocument::bookBytes(const AddressBook &book, const QString &path,
                                                  QString *error) {
    const QString refused = tr("住所録「%1」を保存できません。\n").arg(path);
    if (book.recordCount() > AddressBook::Capacity) {
        *error = refused + tr("住所録に入るのは%1件までです（%2件あります）。")
                               .arg(AddressBook::Capacity)
                               .arg(book.recordCount());
        return std::nullopt;
    }
    const QString text = formatBook(book);
    if (text.contains(QChar(0))) {
        *error = refused + tr("保存できない文字（NUL）が含まれています。");
        return std::nullopt;
    }
    QByteArray bytes = encodeText(text);
    // What the reader would refuse is never written: the book could not be
    // opened again.
    if (bytes.size() > MaxTextFileBytes) {
        *error = refused + tr("ファイルが%1バイトになり、住所録として読める大きさ（%2バイト）を"
                              "超えます。")
                               .arg(bytes.size())
                               .arg(MaxTextFileBytes);
        return std::nullopt;
    }
    return bytes;
}

BookDocument::Saved BookDocument::commit(const std::function<bool()> &edit,
                                         const ConflictHandler &onConflict) {
    const QList<AddressRecord> before = m_book.records;
    const QList<QJsonObject> dataBefore = m_data;
    const QList<CompanionEntry> unmatchedBefore = m_unmatched;
    const QJsonObject settingsBefore = m_settings;
    const bool wasModified = m_modified;
    Saved saved{Saved::Outcome::Failed, tr("住所録に入りません。")};
    if (edit())
        saved = save(onConflict);
    if (!saved.ok()) {
        beginResetModel();
        m_book.records = before;
        m_data = dataBefore;
        m_unmatched = unmatchedBefore;
        m_settings = settingsBefore;
        endResetModel();
        setModified(wasModified);
    }
    return saved;
}

BookDocument::Saved BookDocument::save(const ConflictHandler &onConflict) {
    if (isNew())
        return {Saved::Outcome::Failed, tr("住所録にファイル名がありません。")};
    // A book whose file has gone is written back even unchanged: the copy in
    // memory is the last one.
    if (!m_modified && QFileInfo::exists(m_path))
        return {Saved::Outcome::Unchanged, {}};
    // Someone else changed the book or its companion since they were read:
    // never overwrite their work without asking.
    const bool bookChanged = QFileInfo::exists(m_path) && stampOf(m_path) != m_stamp;
    if (bookChanged || companionChangedOnDisk()) {
        const QString changed = bookChanged ? m_path : companionPath();
        if (!onConflict)
            return {Saved::Outcome::Failed,
                    (bookChanged ? tr("住所録「%1」は、読み込んだ後でほかのプログラムに"
                                      "変更されています。上書きしません。")
                                 : tr("住所録の付属ファイル「%1」は、読み込んだ後でほかの"
                                      "プログラムに変更されています。上書きしません。"))
                        .arg(changed)};
        QString other;
        switch (onConflict(changed, &other)) {
        case ConflictAnswer::Cancel:
            return {Saved::Outcome::Cancelled, {}};
        case ConflictAnswer::SaveElsewhere:
            if (other.isEmpty())
                return {Saved::Outcome::Cancelled, {}};
            return saveAs(other);
        case ConflictAnswer::Overwrite:
            // What the user agreed to overwrite; a change after this is not.
            m_stamp = stampOf(m_path);
            m_companionStamp = stampOf(companionPath());
            break;
        }
    }
    return writeTo(m_path);
}

BookDocument::Saved BookDocument::saveAs(const QString &path) {
    const QString target = canonicalTarget(path);
    if (m_lock && m_lockPath != lockPathFor(target))
        unlock();
    return writeTo(target);
}

QString BookDocument::utf8Reason(const QString &path, const QStringList &characters) {
    return tr("住所録「%1」に、Shift_JIS（CP932）で書けない文字があります：%2\n"
              "住所録は UTF-8 で書かれ、Shift_JIS で読むほかのプログラムでは文字化けします。")
        .arg(path, characters.join(u'、'));
}

BookDocument::Saved BookDocument::writeTo(const QString &path) {
    const Saved saved = writeFiles(path);
    if (saved.ok())
        qCInfo(lcBook).noquote() << "saved" << path << m_stamp.size << "bytes";
    else
        qCInfo(lcBook).noquote() << "not saved" << path << ":" << saved.error;
    return saved;
}

BookDocument::Saved BookDocument::writeFiles(const QString &path) {
    QString error;
    const std::optional<QByteArray> bytes = bookBytes(m_book, path, &error);
    if (!bytes)
        return {Saved::Outcome::Failed, error};
    const bool utf8 = bytes->startsWith("\xEF\xBB\xBF");
    if (utf8 && m_fileEncoding != TextEncoding::Utf8Bom && approveUtf8 &&
        !approveUtf8(path, charactersCp932CannotStore(formatBook(m_book))))
        return {Saved::Outcome::Cancelled, {}};
    // Each save holds the book's lock; one held already (by an open editor)
    // serves.
    std::unique_ptr<QLockFile> saveLock;
    if (!m_lock || m_lockPath != lockPathFor(path)) {
        clearDeadLock(lockPathFor(path));
        saveLock = std::make_unique<QLockFile>(lockPathFor(path));
        saveLock->setStaleLockTime(0);
        if (!saveLock->tryLock(WriterWaitMs) && saveLock->error() == QLockFile::LockFailedError) {
            qint64 pid = 0;
            QString host, application;
            saveLock->getLockInfo(&pid, &host, &application);
            return {Saved::Outcome::Failed,
                    tr("住所録「%1」は、ほかのプログラム（%2 のプロセス %3）が使っているため"
                       "保存できません。")
                        .arg(path, host)
                        .arg(pid)};
        }
    }
    // The companion first: when the book then fails to be written, the
    // companion's older generation still goes with the book on disk.
    const QByteArray sha = QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256);
    const QString companion = companionPathFor(path);
    CompanionGeneration generation;
    std::optional<QByteArray> companionData = companionBytes(path, sha, &generation);
    if (companionData && path == m_path && !m_companionProblem.isEmpty() &&
        QFileInfo::exists(companion) &&
        !(replaceDamagedCompanion && replaceDamagedCompanion(companion)))
        companionData.reset();
    // Each file is checked again right before it is replaced: a program
    // that ignores the lock and writes it meanwhile is never overwritten.
    const bool sameFiles = path == m_path;
    if (companionData) {
        const auto unchanged = [this, &companion, sameFiles] {
            return !sameFiles || stampOf(companion) == m_companionStamp;
        };
        if (const WriteResult written =
                replaceFileContents(companion, *companionData, Links::Follow, unchanged);
            !written)
            return {Saved::Outcome::Failed, written.error};
    }
    // A save that changes only the companion leaves the book's file alone.
    const FileStamp onDisk = companionData ? stampOf(path) : FileStamp();
    if (onDisk.hash != sha) {
        const auto unchanged = [this, &path, sameFiles] {
            return !sameFiles || !QFileInfo::exists(path) || stampOf(path) == m_stamp;
        };
        if (const WriteResult written = replaceFileContents(path, *bytes, Links::Follow, unchanged);
            !written)
            return {Saved::Outcome::Failed, written.error};
    }
    const bool moved = path != m_path;
    m_origin = Origin::File;
    m_path = path;
    m_stamp = onDisk.hash == sha ? onDisk : stampOf(path, *bytes);
    m_fileEncoding = utf8 ? TextEncoding::Utf8Bom : TextEncoding::Cp932;
    if (companionData) {
        m_companionStamp = stampOf(companion, *companionData);
        m_companionProblem.clear();
        m_diskGeneration = generation;
    } else if (moved) {
        m_companionStamp = stampOf(companion);
    }
    setModified(false);
    if (moved)
        emit fileChanged(m_path);
    return {Saved::Outcome::Written, {}};
}

bool BookDocument::companionChangedOnDisk() const {
    return !isNew() && stampOf(companionPath()) != m_companionStamp;
}

std::optional<QByteArray> BookDocument::companionBytes(const QString &path,
                                                       const QByteArray &bookSha256,
                                                       CompanionGeneration *written) const {
    CompanionFile file;
    file.settings = m_settings;
    file.unknown = m_companionUnknown;
    written->bookSha256 = bookSha256;
    written->saved = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    written->entries = entriesOf(m_book.records, m_data);
    for (CompanionEntry entry : m_unmatched) {
        entry.position = -1;
        written->entries.append(entry);
    }
    file.generations.append(*written);
    if (m_withoutCompanion)
        return std::nullopt;
    // Nothing to keep, and no companion to bring up to date: none is made.
    if (!file.holdsAnything() && !QFileInfo::exists(companionPathFor(path)))
        return std::nullopt;
    if (path == m_path && m_diskGeneration && m_diskGeneration->bookSha256 != bookSha256)
        file.generations.append(*m_diskGeneration);
    return formatCompanion(file);
}

BookDocument::Saved BookDocument::saveCopy(const QString &path, const AddressBook &book) {
    BookDocument copy;
    copy.m_book = book;
    copy.m_withoutCompanion = true;
    return copy.saveAs(path);
}

BookDocument::Saved BookDocument::saveCopyAs(const QString &path) const {
    if (holds(path))
        return {Saved::Outcome::Failed,
                tr("「%1」は開いている住所録そのものです。写しとしては保存しません。").arg(path)};
    BookDocument copy;
    copy.m_book = m_book;
    copy.m_data = m_data;
    copy.m_unmatched = m_unmatched;
    copy.m_settings = m_settings;
    copy.m_companionUnknown = m_companionUnknown;
    return copy.saveAs(path);
}

QString BookDocument::lockPathFor(const QString &path) {
    const QFileInfo info(canonicalTarget(path));
    const QString name = QStringLiteral(".%1.lock").arg(info.fileName());
    // A name too long for the file system gets a short one of its own.
    constexpr int MaxNameBytes = 255;
    if (QFile::encodeName(name).size() <= MaxNameBytes)
        return info.dir().filePath(name);
    const QByteArray hash =
        QCryptographicHash::hash(info.fileName().toUtf8(), QCryptographicHash::Sha256).toHex();
    return info.dir().filePath(
        QStringLiteral(".nvl-%1.lock").arg(QString::fromLatin1(hash.left(16))));
}

namespace {

// A lock file left empty or unreadable (its writer killed before it wrote
// its process) names no holder: older than 10 seconds it is nobody's. The
// .rmlock files Qt leaves when it takes over a stale lock go too.
void clearDeadLock(const QString &lockPath) {
    const QDateTime now = QDateTime::currentDateTime();
    const auto old = [&now](const QString &path) {
        const QFileInfo info(path);
        return info.exists() && info.lastModified().secsTo(now) > 10;
    };
    if (old(lockPath)) {
        qint64 pid = 0;
        QString host, application;
        if (!QLockFile(lockPath).getLockInfo(&pid, &host, &application) || pid <= 0) {
            qCInfo(lcBook).noquote() << "removed a lock naming no process:" << lockPath;
            QFile::remove(lockPath);
        }
    }
    if (const QString leftover = lockPath + QStringLiteral(".rmlock"); old(leftover))
        QFile::remove(leftover);
}

QString ageText(qint64 seconds) {
    if (seconds >= 86400)
        return BookDocument::tr("%1日").arg(seconds / 86400);
    if (seconds >= 3600)
        return BookDocument::tr("%1時間").arg(seconds / 3600);
    return BookDocument::tr("%1分").arg(qMax<qint64>(seconds / 60, 1));
}

} // namespace

BookDocument::Locked BookDocument::takeOverLock(const QString &path) {
    unlock();
    // The user has confirmed that the other computer no longer edits it.
    QFile::remove(lockPathFor(path));
    return lock(path, 0);
}

BookDocument::Locked BookDocument::lock(const QString &path, int waitMs) {
    const QString lockPath = lockPathFor(path);
    if (m_lock && m_lockPath == lockPath)
        return {};
    unlock();
    clearDeadLock(lockPath);
    auto lock = std::make_unique<QLockFile>(lockPath);
    // Held as long as the book is open; a lock whose process has gone is
    // taken over.
    lock->setStaleLockTime(0);
    if (lock->tryLock(waitMs)) {
        m_lock = std::move(lock);
        m_lockPath = lockPath;
        return {};
    }
    if (lock->error() != QLockFile::LockFailedError) {
        // A folder without write access holds no lock: the book opens, and
        // the user knows that another program is not kept out.
        Locked unlocked;
        unlocked.warning = tr("住所録「%1」の鍵ファイル「%2」を作れません。\n"
                              "ほかのプログラムが同時にこの住所録を変更しても防げません。")
                               .arg(path, lockPath);
        return unlocked;
    }
    qint64 pid = 0;
    QString host, application;
    lock->getLockInfo(&pid, &host, &application);
    Locked held;
    held.ok = false;
    held.error = tr("住所録「%1」は、ほかのプログラム（%2 のプロセス %3）が編集中です。")
                     .arg(path, host)
                     .arg(pid);
    const QString remedy = tr("\n鍵ファイル「%1」。そのプログラムがもう動いていないのにこの"
                              "表示が続くときは、この鍵ファイルを削除してください。")
                               .arg(QFileInfo(lockPath).absoluteFilePath());
    if (!host.isEmpty() && host != QSysInfo::machineHostName()) {
        const QDateTime since = QFileInfo(lockPath).lastModified();
        held.elsewhere = true;
        held.error =
            tr("住所録「%1」は、別のコンピューター「%2」のプログラム（プロセス %3）が"
               "%4から編集中です（%5前）。")
                .arg(path, host)
                .arg(pid)
                .arg(
                    QLocale(QLocale::Japanese).toString(since, QStringLiteral("yyyy年M月d日 H:mm")),
                    ageText(since.secsTo(QDateTime::currentDateTime())));
    }
    held.error += remedy;
    return held;
}

void BookDocument::unlock() {
    m_lock.reset();
    m_lockPath.clear();
}

void BookDocument::setModified(bool modified) {
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

int BookDocument::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : recordCount();
}

int BookDocument::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : AddressRecord::FieldCount;
}

QVariant BookDocument::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= recordCount() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_book.records.at(index.row()).field(index.column() + 1);
}

bool BookDocument::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (!index.isValid() || index.row() >= recordCount() || role != Qt::EditRole)
        return false;
    AddressRecord record = m_book.records.at(index.row());
    record.setField(index.column() + 1, value.toString());
    setRecord(index.row(), record);
    return true;
}

Qt::ItemFlags BookDocument::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable
                           : Qt::NoItemFlags;
}

} // namespace nvl
