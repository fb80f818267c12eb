#pragma once

#include "addressrecord.h"

#include <QJsonObject>
#include <QString>

namespace nvl {

// What a record's companion data holds, as a user reads it:
// "連名 次郎 様／フリガナ サトウ ハナコ／タグ 家族・友人／2027年 送った".
QString recordDataText(const QJsonObject &data);

// The record's own data with what only `other` holds added: tags and yearly
// marks joined, 連名 after the record's own up to the most a card takes;
// where both hold one reading or sync link, the record's own stays.
QJsonObject mergedRecordData(const QJsonObject &own, const QJsonObject &other);

// The record as it prints and exports: its honorific the word its data
// keeps beyond the six, when it keeps one.
AddressRecord printedRecord(const AddressRecord &record, const QJsonObject &data);

} // namespace nvl
