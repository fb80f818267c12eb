#include "recorddata.h"

#include "jointnames.h"
#include "recordextras.h"

#include <QCoreApplication>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::RecordData", text);
}

} // namespace

QString recordDataText(const QJsonObject &data) {
    const RecordExtras extras = RecordExtras::fromJson(data);
    QStringList parts;
    if (!extras.jointNames.isEmpty())
        parts.append(tr("連名 %1").arg(jointNamesText(extras.jointNames)));
    if (!extras.reading.isEmpty())
        parts.append(tr("フリガナ %1").arg(extras.reading));
    if (!extras.tags.isEmpty())
        parts.append(tr("タグ %1").arg(extras.tags.join(u'・')));
    for (auto it = extras.history.begin(); it != extras.history.end(); ++it)
        parts.append(yearMarksText(it.key(), it.value()));
    if (extras.sync.isSet())
        parts.append(tr("同期の記録"));
    if (parts.isEmpty())
        parts.append(tr("（中身なし）"));
    return parts.join(u'／');
}

AddressRecord printedRecord(const AddressRecord &record, const QJsonObject &data) {
    AddressRecord printed = record;
    if (const QString word = RecordExtras::fromJson(data).honorificWord; !word.isEmpty())
        printed.setField(AddressRecord::Honorific, word);
    return printed;
}

QJsonObject mergedRecordData(const QJsonObject &own, const QJsonObject &other) {
    QJsonObject both = other;
    for (auto it = own.begin(); it != own.end(); ++it)
        both.insert(it.key(), it.value());
    const RecordExtras theirs = RecordExtras::fromJson(other);
    RecordExtras merged = RecordExtras::fromJson(both);
    for (const JointName &name : theirs.jointNames)
        if (merged.jointNames.size() < MaxJointNames && !merged.jointNames.contains(name))
            merged.jointNames.append(name);
    for (const QString &tag : theirs.tags)
        if (!merged.tags.contains(tag))
            merged.tags.append(tag);
    for (auto it = theirs.history.begin(); it != theirs.history.end(); ++it)
        merged.history[it.key()] |= it.value();
    return merged.toJson();
}

} // namespace nvl
