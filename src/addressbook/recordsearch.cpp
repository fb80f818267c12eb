#include "recordsearch.h"

#include "jointnames.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>

namespace nvl {

QString searchKey(const QString &text) {
    const QString normal = text.normalized(QString::NormalizationForm_KC).toLower();
    QString key;
    key.reserve(normal.size());
    for (QChar c : normal) {
        if (c.isSpace() || c == u'-' || c == u'‐' || c == u'−')
            continue;
        // ァ…ヶ to ぁ…ゖ: the same sound in either script.
        if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6)
            c = QChar(c.unicode() - 0x60);
        key += c;
    }
    return key;
}

QStringList tagsOf(const QJsonObject &data) {
    QStringList tags;
    for (const QJsonValue value : data.value(QStringLiteral("tags")).toArray())
        if (const QString tag = value.toString().trimmed(); !tag.isEmpty())
            tags.append(tag);
    return tags;
}

QString readingOf(const QJsonObject &data) {
    return data.value(QStringLiteral("reading")).toString();
}

QJsonObject withTags(QJsonObject data, const QStringList &tags) {
    QJsonArray list;
    QStringList seen;
    for (const QString &tag : tags) {
        const QString word = tag.trimmed();
        if (word.isEmpty() || seen.contains(word))
            continue;
        seen.append(word);
        list.append(word);
    }
    if (list.isEmpty())
        data.remove(QStringLiteral("tags"));
    else
        data.insert(QStringLiteral("tags"), list);
    return data;
}

QJsonObject withReading(QJsonObject data, const QString &reading) {
    if (const QString text = reading.trimmed(); text.isEmpty())
        data.remove(QStringLiteral("reading"));
    else
        data.insert(QStringLiteral("reading"), text);
    return data;
}

QStringList splitTags(const QString &text) {
    static const QRegularExpression separators(QStringLiteral("[;；、,，]"));
    QStringList tags;
    for (const QString &part : text.split(separators, Qt::SkipEmptyParts))
        if (const QString tag = part.trimmed(); !tag.isEmpty() && !tags.contains(tag))
            tags.append(tag);
    return tags;
}

QStringList tagsOfBook(const QList<QJsonObject> &data) {
    QStringList tags;
    QSet<QString> seen;
    for (const QJsonObject &object : data)
        for (const QString &tag : tagsOf(object))
            if (!seen.contains(tag)) {
                seen.insert(tag);
                tags.append(tag);
            }
    return tags;
}

bool RecordSearch::matches(const AddressRecord &record, const QJsonObject &data) const {
    const QStringList tags = tagsOf(data);
    if (const QString wanted = searchKey(tag); !wanted.isEmpty()) {
        const bool tagged = std::any_of(tags.begin(), tags.end(),
                                        [&](const QString &t) { return searchKey(t) == wanted; });
        if (!tagged)
            return false;
    }
    const QString wanted = searchKey(text);
    if (wanted.isEmpty())
        return true;
    QStringList fields{
        record.field(AddressRecord::Name),      readingOf(data),
        record.field(AddressRecord::Address1),  record.field(AddressRecord::Address2),
        record.field(AddressRecord::Address3),  record.field(AddressRecord::Code),
        record.field(AddressRecord::PostalCode)};
    for (const JointName &joint : jointNamesOf(data))
        fields.append(joint.name);
    fields += tags;
    return std::any_of(fields.begin(), fields.end(),
                       [&](const QString &field) { return searchKey(field).contains(wanted); });
}

} // namespace nvl
