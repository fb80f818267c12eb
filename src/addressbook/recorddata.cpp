#include "recorddata.h"

#include "jointnames.h"
#include "recordextras.h"
#include "recordsearch.h"
#include "yearmarks.h"

#include <QCoreApplication>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::RecordData", text);
}

} // namespace

QString recordDataText(const QJsonObject &data) {
    QStringList parts;
    if (const JointNames joint = jointNamesOf(data); !joint.isEmpty())
        parts.append(tr("連名 %1").arg(jointNamesText(joint)));
    if (const QString reading = readingOf(data); !reading.isEmpty())
        parts.append(tr("フリガナ %1").arg(reading));
    if (const QStringList tags = tagsOf(data); !tags.isEmpty())
        parts.append(tr("タグ %1").arg(tags.join(u'・')));
    const YearMarks marks = yearMarksOf(data);
    for (auto it = marks.begin(); it != marks.end(); ++it)
        if (it.value() != 0)
            parts.append(yearMarksText(it.key(), it.value()));
    if (RecordExtras::fromJson(data).sync.isSet())
        parts.append(tr("同期の記録"));
    if (parts.isEmpty())
        parts.append(tr("（中身なし）"));
    return parts.join(u'／');
}

QJsonObject mergedRecordData(const QJsonObject &own, const QJsonObject &other) {
    QJsonObject merged = other;
    for (auto it = own.begin(); it != own.end(); ++it)
        merged.insert(it.key(), it.value());
    JointNames joint = jointNamesOf(own);
    for (const JointName &name : jointNamesOf(other))
        if (joint.size() < MaxJointNames && !joint.contains(name))
            joint.append(name);
    merged = withJointNames(merged, joint);
    QStringList tags = tagsOf(own);
    for (const QString &tag : tagsOf(other))
        if (!tags.contains(tag))
            tags.append(tag);
    merged = withTags(merged, tags);
    const YearMarks theirs = yearMarksOf(other);
    for (auto it = theirs.begin(); it != theirs.end(); ++it)
        for (const YearMark mark : AllYearMarks)
            if (it.value() & int(mark))
                merged = withMark(merged, it.key(), mark, true);
    return merged;
}

} // namespace nvl
