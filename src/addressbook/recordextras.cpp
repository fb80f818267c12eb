#include "recordextras.h"

#include "addressrecord.h"

#include <QJsonArray>

namespace nvl {

namespace {

// The companion's words for a record's extras and the book's; nowhere else.
const QString JointNamesKey = QStringLiteral("jointNames");
const QString JointNameKey = QStringLiteral("name");
const QString JointHonorificKey = QStringLiteral("honorific");
const QString ReadingKey = QStringLiteral("reading");
const QString TagsKey = QStringLiteral("tags");
const QString HistoryKey = QStringLiteral("history");
const QString SyncKey = QStringLiteral("sync");
const QString HonorificWordKey = QStringLiteral("honorificWord");
const QString UidKey = QStringLiteral("uid");
const QString HrefKey = QStringLiteral("href");
const QString EtagKey = QStringLiteral("etag");
const QString HashKey = QStringLiteral("hash");
const QString ChangedKey = QStringLiteral("changed");
const QString ServerHashKey = QStringLiteral("serverHash");
const QString CollectionKey = QStringLiteral("collection");
const QString UserKey = QStringLiteral("user");
const QString DetachedKey = QStringLiteral("detached");
const QString LinkedKey = QStringLiteral("linked");
const QString LinkedEtagsKey = QStringLiteral("linkedEtags");
const QString PlainHttpKey = QStringLiteral("plainHttpAccepted");
const QString LeftOutKey = QStringLiteral("leftOut");

void put(QJsonObject &object, const QString &key, const QJsonValue &value, bool empty) {
    if (empty)
        object.remove(key);
    else
        object.insert(key, value);
}

QStringList stringsOf(const QJsonValue &value) {
    QStringList strings;
    for (const QJsonValue item : value.toArray())
        if (const QString text = item.toString().trimmed(); !text.isEmpty())
            strings.append(text);
    return strings;
}

JointNames jointNamesFrom(const QJsonValue &value) {
    JointNames names;
    for (const QJsonValue item : value.toArray()) {
        const QJsonObject o = item.toObject();
        const QString name = o.value(JointNameKey).toString().trimmed();
        if (name.isEmpty())
            continue;
        names.append({name, o.value(JointHonorificKey).toString()});
        if (names.size() == MaxJointNames)
            break;
    }
    return names;
}

QJsonArray jointNamesJson(const JointNames &names) {
    QJsonArray list;
    for (const JointName &joint : names) {
        if (joint.name.trimmed().isEmpty() || list.size() == MaxJointNames)
            continue;
        list.append(QJsonObject{{JointNameKey, joint.name.trimmed()},
                                {JointHonorificKey, joint.honorific}});
    }
    return list;
}

QJsonArray tagsJson(const QStringList &tags) {
    QJsonArray list;
    QStringList seen;
    for (const QString &tag : tags) {
        const QString word = tag.trimmed();
        if (word.isEmpty() || seen.contains(word))
            continue;
        seen.append(word);
        list.append(word);
    }
    return list;
}

YearMarks historyFrom(const QJsonValue &value) {
    YearMarks marks;
    const QJsonObject history = value.toObject();
    for (auto it = history.begin(); it != history.end(); ++it) {
        bool number = false;
        const int year = it.key().toInt(&number);
        if (!number || !isCardYear(year))
            continue;
        QStringList keys;
        for (const QJsonValue mark : it.value().toArray())
            keys.append(mark.toString());
        if (const int bits = yearMarksFromKeys(keys); bits != 0)
            marks.insert(year, bits);
    }
    return marks;
}

QJsonObject historyJson(const YearMarks &marks) {
    QJsonObject history;
    for (auto it = marks.cbegin(); it != marks.cend(); ++it) {
        const QJsonArray names = QJsonArray::fromStringList(yearMarkKeys(it.value()));
        if (isCardYear(it.key()) && !names.isEmpty())
            history.insert(QString::number(it.key()), names);
    }
    return history;
}

SyncLink syncFrom(const QJsonValue &value) {
    const QJsonObject sync = value.toObject();
    return {sync.value(UidKey).toString(),   sync.value(HrefKey).toString(),
            sync.value(EtagKey).toString(),  sync.value(HashKey).toString().toLatin1(),
            sync.value(ChangedKey).toBool(), sync.value(ServerHashKey).toString().toLatin1()};
}

// Over what was there, so that details this build does not know stay.
QJsonObject syncJson(QJsonObject sync, const SyncLink &link) {
    sync.insert(UidKey, link.uid);
    sync.insert(HrefKey, link.href);
    sync.insert(EtagKey, link.etag);
    sync.insert(HashKey, QString::fromLatin1(link.hash));
    put(sync, ChangedKey, true, !link.changed);
    put(sync, ServerHashKey, QString::fromLatin1(link.serverHash), link.serverHash.isEmpty());
    return sync;
}

} // namespace

RecordExtras RecordExtras::fromJson(const QJsonObject &data) {
    RecordExtras extras;
    extras.jointNames = jointNamesFrom(data.value(JointNamesKey));
    extras.reading = data.value(ReadingKey).toString();
    extras.tags = stringsOf(data.value(TagsKey));
    extras.history = historyFrom(data.value(HistoryKey));
    extras.sync = syncFrom(data.value(SyncKey));
    extras.honorificWord = data.value(HonorificWordKey).toString().trimmed();
    extras.m_read = data;
    return extras;
}

QJsonObject RecordExtras::toJson() const {
    // Only what changed since it was read is written anew.
    const RecordExtras was = fromJson(m_read);
    QJsonObject data = m_read;
    if (jointNames != was.jointNames) {
        const QJsonArray list = jointNamesJson(jointNames);
        put(data, JointNamesKey, list, list.isEmpty());
    }
    if (reading != was.reading)
        put(data, ReadingKey, reading.trimmed(), reading.trimmed().isEmpty());
    if (tags != was.tags) {
        const QJsonArray list = tagsJson(tags);
        put(data, TagsKey, list, list.isEmpty());
    }
    if (history != was.history) {
        const QJsonObject marks = historyJson(history);
        put(data, HistoryKey, marks, marks.isEmpty());
    }
    if (honorificWord != was.honorificWord)
        put(data, HonorificWordKey, honorificWord.trimmed(), honorificWord.trimmed().isEmpty());
    if (sync != was.sync)
        put(data, SyncKey, syncJson(m_read.value(SyncKey).toObject(), sync), sync == SyncLink());
    return data;
}

void RecordExtras::takeSyncFrom(const RecordExtras &other) {
    sync = other.sync;
    put(m_read, SyncKey, other.m_read.value(SyncKey), !other.m_read.contains(SyncKey));
}

bool RecordExtras::repairJoinedHonorifics(QJsonObject &data) {
    RecordExtras extras = fromJson(data);
    bool repaired = false;
    for (JointName &joint : extras.jointNames) {
        const qsizetype semicolon = joint.name.lastIndexOf(u';');
        if (semicolon <= 0 || !joint.honorific.isEmpty())
            continue;
        const QString word = joint.name.mid(semicolon + 1).trimmed();
        if (word.isEmpty() ||
            !(jointHonorifics().contains(word) || honorificWords().contains(word)))
            continue;
        joint = {joint.name.left(semicolon).trimmed(), word};
        repaired = true;
    }
    if (repaired)
        data = extras.toJson();
    return repaired;
}

bool RecordExtras::changedBySync(const QJsonObject &data) {
    return data.value(SyncKey).toObject().value(ChangedKey).toBool();
}

BookExtras BookExtras::fromJson(const QJsonObject &settings) {
    BookExtras extras;
    const QJsonObject sync = settings.value(SyncKey).toObject();
    extras.syncCollection = sync.value(CollectionKey).toString();
    extras.syncUser = sync.value(UserKey).toString();
    extras.syncDetached = stringsOf(sync.value(DetachedKey));
    extras.syncLinked = stringsOf(sync.value(LinkedKey));
    extras.syncPlainHttp = sync.value(PlainHttpKey).toBool();
    const QJsonObject leftOut = sync.value(LeftOutKey).toObject();
    for (auto it = leftOut.begin(); it != leftOut.end(); ++it)
        extras.syncLeftOut.insert(it.key(), it.value().toString());
    const QJsonObject etags = sync.value(LinkedEtagsKey).toObject();
    for (auto it = etags.begin(); it != etags.end(); ++it)
        extras.syncLinkedEtags.insert(it.key(), it.value().toString());
    extras.m_read = settings;
    return extras;
}

QJsonObject BookExtras::toJson() const {
    QJsonObject settings = m_read;
    if (m_syncForgotten)
        settings.remove(SyncKey);
    const BookExtras was = fromJson(settings);
    if (syncCollection == was.syncCollection && syncUser == was.syncUser &&
        syncDetached == was.syncDetached && syncLinked == was.syncLinked &&
        syncLinkedEtags == was.syncLinkedEtags && syncPlainHttp == was.syncPlainHttp &&
        syncLeftOut == was.syncLeftOut)
        return settings;
    QJsonObject sync = settings.value(SyncKey).toObject();
    put(sync, CollectionKey, syncCollection,
        syncCollection.isEmpty() && !sync.contains(CollectionKey));
    put(sync, UserKey, syncUser, syncUser.isEmpty() && !sync.contains(UserKey));
    put(sync, DetachedKey, QJsonArray::fromStringList(syncDetached), syncDetached.isEmpty());
    put(sync, LinkedKey, QJsonArray::fromStringList(syncLinked),
        syncLinked.isEmpty() && !sync.contains(LinkedKey));
    QJsonObject etags;
    for (auto it = syncLinkedEtags.cbegin(); it != syncLinkedEtags.cend(); ++it)
        etags.insert(it.key(), it.value());
    put(sync, LinkedEtagsKey, etags, etags.isEmpty());
    put(sync, PlainHttpKey, true, !syncPlainHttp);
    QJsonObject leftOut;
    for (auto it = syncLeftOut.cbegin(); it != syncLeftOut.cend(); ++it)
        leftOut.insert(it.key(), it.value());
    put(sync, LeftOutKey, leftOut, leftOut.isEmpty());
    settings.insert(SyncKey, sync);
    return settings;
}

void BookExtras::forgetSync() {
    syncCollection.clear();
    syncUser.clear();
    syncDetached.clear();
    syncLinked.clear();
    syncLinkedEtags.clear();
    syncPlainHttp = false;
    syncLeftOut.clear();
    m_syncForgotten = true;
}

} // namespace nvl
