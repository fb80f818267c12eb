#include "recordsearch.h"

#include "jointnames.h"

#include <QJsonArray>

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
