#include "syncstate.h"

namespace nvl {

SyncLink syncLinkOf(const QJsonObject &data) {
    return RecordExtras::fromJson(data).sync;
}

QJsonObject withSyncLink(const QJsonObject &data, const SyncLink &link) {
    RecordExtras extras = RecordExtras::fromJson(data);
    extras.sync = link;
    return extras.toJson();
}

QJsonObject withoutSyncLink(const QJsonObject &data) {
    return withSyncLink(data, {});
}

bool changedBySync(const QJsonObject &data) {
    return RecordExtras::changedBySync(data);
}

SyncPlace syncPlaceOf(const QJsonObject &bookSettings) {
    const BookExtras extras = BookExtras::fromJson(bookSettings);
    return {extras.syncCollection, extras.syncUser};
}

QJsonObject withSyncPlace(const QJsonObject &bookSettings, const SyncPlace &place) {
    BookExtras extras = BookExtras::fromJson(bookSettings);
    extras.syncCollection = place.collection;
    extras.syncUser = place.user;
    return extras.toJson();
}

} // namespace nvl
