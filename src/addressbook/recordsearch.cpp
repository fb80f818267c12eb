#include "recordsearch.h"

#include "recordextras.h"

#include "jointnames.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>

namespace nvl {

QString searchKey(const QString &text) {
    // In place: a search works out the keys of every field of the book.
    QString key = text.normalized(QString::NormalizationForm_KC).toLower();
    QChar *out = key.data();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < key.size(); ++i) {
        char16_t c = out[i].unicode();
        const bool blank = c < 0x80 ? c == u' ' || (c >= u'\t' && c <= u'\r') : out[i].isSpace();
        // 〒 before a code is how a code is written, not part of it.
        if (blank || c == u'-' || c == u'‐' || c == u'−' || c == u'〒')
            continue;
        // ァ…ヶ to ぁ…ゖ: the same sound in either script.
        if (c >= 0x30A1 && c <= 0x30F6)
            c -= 0x60;
        out[kept++] = QChar(c);
    }
    key.truncate(kept);
    return key;
}

QStringList tagsOf(const QJsonObject &data) {
    return RecordExtras::fromJson(data).tags;
}

QString readingOf(const QJsonObject &data) {
    return RecordExtras::fromJson(data).reading;
}

QJsonObject withTags(const QJsonObject &data, const QStringList &tags) {
    RecordExtras extras = RecordExtras::fromJson(data);
    extras.tags = tags;
    return extras.toJson();
}

QJsonObject withReading(const QJsonObject &data, const QString &reading) {
    RecordExtras extras = RecordExtras::fromJson(data);
    extras.reading = reading;
    return extras.toJson();
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

SearchKeys searchKeys(const AddressRecord &record, const QJsonObject &data) {
    SearchKeys keys;
    const QStringList tags = tagsOf(data);
    QStringList fields{
        record.field(AddressRecord::Name),      readingOf(data),
        record.field(AddressRecord::Address1),  record.field(AddressRecord::Address2),
        record.field(AddressRecord::Address3),  record.field(AddressRecord::Code),
        record.field(AddressRecord::PostalCode)};
    for (const JointName &joint : jointNamesOf(data))
        fields.append(joint.name);
    fields += tags;
    QStringList texts;
    for (const QString &field : std::as_const(fields))
        texts.append(searchKey(field));
    keys.text = texts.join(u'\n');
    for (const QString &tag : tags)
        keys.tags.append(searchKey(tag));
    keys.marks = yearMarksOf(data);
    return keys;
}

bool RecordSearch::matches(const AddressRecord &record, const QJsonObject &data) const {
    return matches(searchKeys(record, data));
}

bool RecordSearch::matches(const SearchKeys &keys) const {
    if (const QString wanted = searchKey(tag); !wanted.isEmpty() && !keys.tags.contains(wanted))
        return false;
    for (const MarkCondition &condition : marks)
        if (!condition.holds(keys.marks))
            return false;
    const QString wanted = searchKey(text);
    return wanted.isEmpty() || keys.text.contains(wanted);
}

} // namespace nvl
