#pragma once

#include "recordextras.h"

#include <QJsonObject>
#include <QString>

namespace nvl {

SyncLink syncLinkOf(const QJsonObject &data);
QJsonObject withSyncLink(const QJsonObject &data, const SyncLink &link);
QJsonObject withoutSyncLink(const QJsonObject &data);
// Whether the last sync changed the record in the book (marked until the next).
bool changedBySync(const QJsonObject &data);

// Where the book syncs to and as whom (the password is never kept here).
struct SyncPlace {
    QString collection, user;
};
SyncPlace syncPlaceOf(const QJsonObject &bookSettings);
QJsonObject withSyncPlace(const QJsonObject &bookSettings, const SyncPlace &place);

} // namespace nvl
