#include "syncstate.h"

namespace nvl {

SyncLink syncLinkOf(const QJsonObject &data) {
    const QJsonObject sync = data.value(SyncKey).toObject();
    return {sync.value(QStringLiteral("uid")).toString(),
            sync.value(QStringLiteral("href")).toString(),
            sync.value(QStringLiteral("etag")).toString(),
            sync.value(QStringLiteral("hash")).toString().toLatin1(),
            sync.value(QStringLiteral("changed")).toBool()};
}

QJsonObject withSyncLink(QJsonObject data, const SyncLink &link) {
    QJsonObject sync{{QStringLiteral("uid"), link.uid},
                     {QStringLiteral("href"), link.href},
                     {QStringLiteral("etag"), link.etag},
                     {QStringLiteral("hash"), QString::fromLatin1(link.hash)}};
    if (link.changed)
        sync.insert(QStringLiteral("changed"), true);
    data.insert(SyncKey, sync);
    return data;
}

QJsonObject withoutSyncLink(QJsonObject data) {
    data.remove(SyncKey);
    return data;
}

bool changedBySync(const QJsonObject &data) {
    // Asked for every name the book list paints: the one flag only.
    return data.value(SyncKey).toObject().value(QStringLiteral("changed")).toBool();
}

SyncPlace syncPlaceOf(const QJsonObject &bookSettings) {
    const QJsonObject state = bookSettings.value(SyncKey).toObject();
    return {state.value(QStringLiteral("collection")).toString(),
            state.value(QStringLiteral("user")).toString()};
}

QJsonObject withSyncPlace(QJsonObject bookSettings, const SyncPlace &place) {
    QJsonObject state = bookSettings.value(SyncKey).toObject();
    state.insert(QStringLiteral("collection"), place.collection);
    state.insert(QStringLiteral("user"), place.user);
    bookSettings.insert(SyncKey, state);
    return bookSettings;
}

} // namespace nvl
