#include "companion.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::Companion", text);
}

constexpr char FormatName[] = "nvl-hagaki companion";

QString fingerprintKey(const RecordFingerprint &f) {
    return f.name + u'\x1f' + f.postalCode + u'\x1f' + f.address1;
}

QJsonObject entryJson(const CompanionEntry &entry) {
    return {{QStringLiteral("name"), entry.fingerprint.name},
            {QStringLiteral("postalCode"), entry.fingerprint.postalCode},
            {QStringLiteral("address1"), entry.fingerprint.address1},
            {QStringLiteral("position"), entry.position},
            {QStringLiteral("data"), entry.data}};
}

std::optional<CompanionEntry> entryFrom(const QJsonValue &value) {
    const QJsonObject o = value.toObject();
    const QJsonValue position = o.value(QStringLiteral("position"));
    if (!value.isObject() || !o.value(QStringLiteral("name")).isString() ||
        !o.value(QStringLiteral("postalCode")).isString() ||
        !o.value(QStringLiteral("address1")).isString() || !position.isDouble() ||
        position.toDouble() < -1 || position.toDouble() > CompanionFile::MaxEntries ||
        !o.value(QStringLiteral("data")).isObject())
        return std::nullopt;
    return CompanionEntry{{o.value(QStringLiteral("name")).toString(),
                           o.value(QStringLiteral("postalCode")).toString(),
                           o.value(QStringLiteral("address1")).toString()},
                          position.toInt(),
                          o.value(QStringLiteral("data")).toObject()};
}

} // namespace

RecordFingerprint RecordFingerprint::of(const AddressRecord &record) {
    return {record.field(AddressRecord::Name), record.field(AddressRecord::PostalCode),
            record.field(AddressRecord::Address1)};
}

bool CompanionFile::holdsAnything() const {
    return !settings.isEmpty() || !unknown.isEmpty() ||
           std::any_of(generations.begin(), generations.end(),
                       [](const CompanionGeneration &g) { return !g.entries.isEmpty(); });
}

QString companionPathFor(const QString &bookPath) {
    // A name with no room left for ".nvl" gets a short one of its own,
    // found again from the book's name, as its lock's is.
    constexpr int MaxNameBytes = 255;
    const QFileInfo info(bookPath);
    if (QFile::encodeName(info.fileName() + QStringLiteral(".nvl")).size() <= MaxNameBytes)
        return bookPath + QStringLiteral(".nvl");
    const QByteArray hash =
        QCryptographicHash::hash(info.fileName().toUtf8(), QCryptographicHash::Sha256).toHex();
    return info.dir().filePath(
        QStringLiteral(".nvl-%1.nvl").arg(QString::fromLatin1(hash.left(16))));
}

QByteArray formatCompanion(const CompanionFile &file) {
    QJsonArray generations;
    for (const CompanionGeneration &g : file.generations) {
        QJsonArray entries;
        for (const CompanionEntry &entry : g.entries)
            entries.append(entryJson(entry));
        generations.append(
            QJsonObject{{QStringLiteral("bookSha256"), QString::fromLatin1(g.bookSha256.toHex())},
                        {QStringLiteral("saved"), g.saved},
                        {QStringLiteral("entries"), entries}});
    }
    QJsonObject root = file.unknown;
    root.insert(QStringLiteral("format"), QLatin1String(FormatName));
    root.insert(QStringLiteral("version"), CompanionFile::FormatVersion);
    root.insert(QStringLiteral("settings"), file.settings);
    root.insert(QStringLiteral("generations"), generations);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<CompanionFile> parseCompanion(const QByteArray &bytes, QString *error) {
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parsed);
    const QJsonObject root = document.object();
    if (parsed.error != QJsonParseError::NoError || !document.isObject() ||
        root.value(QStringLiteral("format")).toString() != QLatin1String(FormatName)) {
        *error = tr("付属ファイルの形式ではありません。");
        return std::nullopt;
    }
    if (root.value(QStringLiteral("version")).toInt() > CompanionFile::FormatVersion) {
        *error = tr("このプログラムより新しい版の付属ファイルです。");
        return std::nullopt;
    }
    CompanionFile file;
    file.settings = root.value(QStringLiteral("settings")).toObject();
    file.unknown = root;
    for (const char *known : {"format", "version", "settings", "generations"})
        file.unknown.remove(QLatin1String(known));
    const QJsonArray generations = root.value(QStringLiteral("generations")).toArray();
    qsizetype count = 0;
    for (const QJsonValue value : generations) {
        const QJsonObject g = value.toObject();
        CompanionGeneration generation;
        generation.bookSha256 =
            QByteArray::fromHex(g.value(QStringLiteral("bookSha256")).toString().toLatin1());
        generation.saved = g.value(QStringLiteral("saved")).toString();
        const QJsonArray entries = g.value(QStringLiteral("entries")).toArray();
        count += entries.size();
        if (count > CompanionFile::MaxEntries || generation.bookSha256.size() != 32) {
            *error = tr("付属ファイルの内容が壊れています。");
            return std::nullopt;
        }
        for (const QJsonValue entry : entries) {
            const std::optional<CompanionEntry> read = entryFrom(entry);
            if (!read) {
                *error = tr("付属ファイルの内容が壊れています。");
                return std::nullopt;
            }
            generation.entries.append(*read);
        }
        file.generations.append(generation);
        if (file.generations.size() == 2)
            break;
    }
    return file;
}

CompanionRead readCompanionFile(const QString &path) {
    CompanionRead read;
    TextFileRead::Status status = TextFileRead::Status::Missing;
    const QByteArray bytes = readFileBytes(path, &status);
    if (status == TextFileRead::Status::Missing)
        return read;
    read.stamp = status == TextFileRead::Status::Ok ? stampOf(path, bytes) : stampOf(path);
    QString problem;
    if (status != TextFileRead::Status::Ok) {
        problem = describeReadFailure(path, status);
    } else if (const std::optional<CompanionFile> file = parseCompanion(bytes, &problem)) {
        read.status = CompanionRead::Status::Ok;
        read.file = *file;
        return read;
    } else {
        problem = tr("付属ファイル「%1」を読めません。").arg(path) + u'\n' + problem;
    }
    read.status = CompanionRead::Status::Damaged;
    read.error = problem;
    return read;
}

CompanionMatch matchEntries(const QList<CompanionEntry> &entries,
                            const QList<AddressRecord> &records) {
    CompanionMatch match;
    match.perRecord.resize(records.size());
    QHash<QString, QList<int>> rowsOf;
    for (int row = 0; row < records.size(); ++row)
        rowsOf[fingerprintKey(RecordFingerprint::of(records.at(row)))].append(row);
    QList<const CompanionEntry *> ordered;
    for (const CompanionEntry &entry : entries)
        ordered.append(&entry);
    std::stable_sort(
        ordered.begin(), ordered.end(),
        [](const CompanionEntry *a, const CompanionEntry *b) { return a->position < b->position; });
    for (const CompanionEntry *entry : std::as_const(ordered)) {
        const auto rows = rowsOf.find(fingerprintKey(entry->fingerprint));
        if (rows == rowsOf.end() || rows->isEmpty() || entry->position < 0) {
            match.unmatched.append(*entry);
            continue;
        }
        // Among records alike, the one nearest the row it had.
        const auto nearest = std::min_element(rows->begin(), rows->end(), [&](int a, int b) {
            return std::abs(a - entry->position) < std::abs(b - entry->position);
        });
        match.perRecord[*nearest] = entry->data;
        rows->erase(nearest);
    }
    return match;
}

namespace {

void reattachCorrected(CompanionMatch &match, const QList<AddressRecord> &records) {
    QList<CompanionEntry> left;
    for (const CompanionEntry &entry : std::as_const(match.unmatched)) {
        const int row = entry.position;
        if (row >= 0 && row < records.size() && match.perRecord.at(row).isEmpty()) {
            const RecordFingerprint now = RecordFingerprint::of(records.at(row));
            if (now.name == entry.fingerprint.name &&
                now.postalCode == entry.fingerprint.postalCode) {
                match.perRecord[row] = entry.data;
                match.reattached.append(row);
                continue;
            }
        }
        left.append(entry);
    }
    match.unmatched = left;
}

} // namespace

CompanionMatch matchCompanion(const CompanionFile &file, const QByteArray &bookSha256,
                              const QList<AddressRecord> &records) {
    if (file.generations.isEmpty()) {
        CompanionMatch none;
        none.perRecord.resize(records.size());
        return none;
    }
    for (const CompanionGeneration &g : file.generations) {
        if (g.bookSha256 != bookSha256)
            continue;
        // Written with these very bytes: each entry's row is its record.
        CompanionMatch exact;
        exact.generation = &g;
        exact.perRecord.resize(records.size());
        QList<CompanionEntry> rest;
        for (const CompanionEntry &entry : g.entries) {
            if (entry.position >= 0 && entry.position < records.size() &&
                exact.perRecord.at(entry.position).isEmpty() &&
                RecordFingerprint::of(records.at(entry.position)) == entry.fingerprint)
                exact.perRecord[entry.position] = entry.data;
            else
                exact.unmatched.append(entry);
        }
        return exact;
    }
    CompanionMatch match = matchEntries(file.generations.first().entries, records);
    reattachCorrected(match, records);
    return match;
}

QList<CompanionEntry> entriesOf(const QList<AddressRecord> &records,
                                const QList<QJsonObject> &perRecord) {
    QList<CompanionEntry> entries;
    for (int row = 0; row < records.size() && row < perRecord.size(); ++row)
        if (!perRecord.at(row).isEmpty())
            entries.append({RecordFingerprint::of(records.at(row)), row, perRecord.at(row)});
    return entries;
}

} // namespace nvl
