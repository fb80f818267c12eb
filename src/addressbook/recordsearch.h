#pragma once

#include "addressrecord.h"
#include "yearmarks.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace nvl {

// A text as searches compare it: NFKC (half-width ｶﾞ is ガ, full-width
// digits are digits), katakana folded to hiragana, lower case, and without
// blanks or hyphens (a postal code matches with or without its hyphen).
QString searchKey(const QString &text);

// A record as searches see it, worked out once: the searched texts' keys,
// each on a line of its own so no match spans two of them, and its tags'.
struct SearchKeys {
    QString text;
    QStringList tags;
    YearMarks marks;
};
SearchKeys searchKeys(const AddressRecord &record, const QJsonObject &data);

// What a search asks of a record: a text found in its name, 連名, reading,
// addresses, building, code, postal code or tags, a tag it carries, and
// marks of given years set or not. An empty condition holds for every record.
struct RecordSearch {
    QString text;
    QString tag;
    QList<MarkCondition> marks;

    bool isEmpty() const {
        return text.trimmed().isEmpty() && tag.trimmed().isEmpty() && marks.isEmpty();
    }
    bool matches(const AddressRecord &record, const QJsonObject &data) const;
    bool matches(const SearchKeys &keys) const;
};

// The tags a record's companion data holds, and its reading.
QStringList tagsOf(const QJsonObject &data);
QString readingOf(const QJsonObject &data);
// The data with these tags (blank and repeated ones dropped) or this
// reading; none removes the key.
QJsonObject withTags(const QJsonObject &data, const QStringList &tags);
QJsonObject withReading(const QJsonObject &data, const QString &reading);
// Tags as typed or carried in a file: separated by ; ； 、 or ,.
QStringList splitTags(const QString &text);
// Every tag of the book once, in the order first met.
QStringList tagsOfBook(const QList<QJsonObject> &data);

} // namespace nvl
