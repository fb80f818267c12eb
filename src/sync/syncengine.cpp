#include "syncengine.h"

#include "contactcard.h"

#include <QCoreApplication>
#include <QHash>
#include <QJsonArray>
#include <QSet>
#include <QUuid>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::Sync", text);
}

const QString SyncKey = QStringLiteral("sync");

// A record's link to its contact: its UID, where it is, the ETag and the
// hash of what both sides held at the last sync.
struct Link {
    QString uid, href, etag;
    QByteArray hash;
    bool isSet() const { return !href.isEmpty(); }
};

Link linkOf(const QJsonObject &data) {
    const QJsonObject sync = data.value(SyncKey).toObject();
    return {sync.value(QStringLiteral("uid")).toString(),
            sync.value(QStringLiteral("href")).toString(),
            sync.value(QStringLiteral("etag")).toString(),
            sync.value(QStringLiteral("hash")).toString().toLatin1()};
}

QJsonObject withLink(QJsonObject data, const Link &link) {
    data.insert(SyncKey, QJsonObject{{QStringLiteral("uid"), link.uid},
                                     {QStringLiteral("href"), link.href},
                                     {QStringLiteral("etag"), link.etag},
                                     {QStringLiteral("hash"), QString::fromLatin1(link.hash)}});
    return data;
}

// The name as the first sync compares it: without blanks, NFKC.
QString nameKey(const AddressRecord &record) {
    QString key = record.field(AddressRecord::Name).normalized(QString::NormalizationForm_KC);
    key.remove(u' ');
    return key;
}

QString digitsOf(const QString &code) {
    QString digits;
    for (const QChar c : code.normalized(QString::NormalizationForm_KC))
        if (c.isDigit())
            digits += c;
    return digits;
}

QString describe(const AddressRecord &record) {
    return QStringLiteral("%1（〒%2 %3%4）")
        .arg(record.field(AddressRecord::Name), record.field(AddressRecord::PostalCode),
             record.field(AddressRecord::Address1), record.field(AddressRecord::Address2));
}

// The record with the server's fields, keeping the book's own data the
// server does not carry.
QJsonObject serverData(const QJsonObject &local, const QJsonObject &server) {
    QJsonObject data = server;
    if (local.contains(SyncKey))
        data.insert(SyncKey, local.value(SyncKey));
    return data;
}

} // namespace

SyncEngine::SyncEngine(BookDocument &book, CardDavClient &client, SyncOptions options)
    : m_book(book), m_client(client), m_options(options) {}

SyncReport SyncEngine::run() {
    SyncReport report;
    DavError error;
    const auto failed = [&report, &error] {
        report.error = error.message;
        return report;
    };
    if (!m_client.collection(&error))
        return failed();
    std::optional<QList<DavItem>> listed = m_client.list(&error);
    if (!listed)
        return failed();
    QHash<QString, QString> remoteEtag;
    for (const DavItem &item : std::as_const(*listed))
        remoteEtag.insert(item.href, item.etag);

    // What each record is linked to, and which contacts no record claims.
    const int count = m_book.recordCount();
    QList<Link> links;
    QSet<QString> claimed;
    for (int row = 0; row < count; ++row) {
        links.append(linkOf(m_book.recordData(row)));
        if (links.last().isSet())
            claimed.insert(links.last().href);
    }
    QStringList unclaimed;
    for (const DavItem &item : std::as_const(*listed))
        if (!claimed.contains(item.href))
            unclaimed.append(item.href);

    // Every vCard the sync may read: the contacts no record claims and
    // those that changed on the server or in the book.
    QStringList wanted = unclaimed;
    for (int row = 0; row < count; ++row) {
        const Link &link = links.at(row);
        if (!link.isSet() || !remoteEtag.contains(link.href))
            continue;
        const bool serverChanged = remoteEtag.value(link.href) != link.etag;
        const bool bookChanged =
            contactHash(m_book.record(row + 1), m_book.recordData(row)) != link.hash;
        if (serverChanged || bookChanged)
            wanted.append(link.href);
    }
    std::optional<QList<DavItem>> fetched = m_client.fetch(wanted, &error);
    if (!fetched)
        return failed();
    QHash<QString, DavItem> cards;
    for (const DavItem &item : std::as_const(*fetched))
        cards.insert(item.href, item);

    // The first sync links records to the contacts they are: by name and
    // postal code, or name and 住所１. One answer each way, or none.
    QHash<QString, QStringList> byKey;
    QHash<QString, ServerContact> unclaimedContacts;
    for (const QString &href : std::as_const(unclaimed)) {
        const std::optional<ServerContact> contact = readServerContact(cards.value(href).card);
        if (!contact)
            continue;
        unclaimedContacts.insert(href, *contact);
        const QString name = nameKey(contact->record);
        byKey[name + u'\t' + digitsOf(contact->record.field(AddressRecord::PostalCode))].append(
            href);
        byKey[name + u'\n' + contact->record.field(AddressRecord::Address1).trimmed()].append(href);
    }
    QHash<QString, QList<int>> candidatesOf; // href → rows that would link to it
    QSet<QString> undecided;
    QList<QString> choice(count);
    for (int row = 0; row < count; ++row) {
        if (links.at(row).isSet())
            continue;
        const AddressRecord &record = m_book.record(row + 1);
        const QString name = nameKey(record);
        QSet<QString> found;
        const QString byCode = name + u'\t' + digitsOf(record.field(AddressRecord::PostalCode));
        if (!digitsOf(record.field(AddressRecord::PostalCode)).isEmpty())
            for (const QString &href : byKey.value(byCode))
                found.insert(href);
        for (const QString &href :
             byKey.value(name + u'\n' + record.field(AddressRecord::Address1).trimmed()))
            found.insert(href);
        if (found.size() > 1) {
            // Left apart, and not added to the book as others either.
            undecided.unite(found);
            report.ambiguous.append(tr("%1: サーバーに同じ宛名が %2 件あります")
                                        .arg(describe(record))
                                        .arg(found.size()));
            choice[row] = QStringLiteral("-");
        } else if (found.size() == 1) {
            choice[row] = *found.begin();
            candidatesOf[choice[row]].append(row);
        }
    }
    for (int row = 0; row < count; ++row) {
        const QString href = choice.at(row);
        if (href.isEmpty() || href == QLatin1String("-"))
            continue;
        if (candidatesOf.value(href).size() > 1) {
            undecided.insert(href);
            report.ambiguous.append(
                tr("%1: 住所録に同じ宛名がほかにもあります").arg(describe(m_book.record(row + 1))));
            choice[row] = QStringLiteral("-");
            continue;
        }
        const ServerContact &contact = unclaimedContacts[href];
        const QByteArray serverHash = contactHash(contact.record, contact.data);
        Link link{contact.uid, href, remoteEtag.value(href), serverHash};
        if (serverHash != contactHash(m_book.record(row + 1), m_book.recordData(row)))
            report.conflicts.append(
                tr("%1: サーバーでは %2")
                    .arg(describe(m_book.record(row + 1)), describe(contact.record)));
        // Linked with the server's version as the last one both held: the
        // book's differing version shows as a change on both sides, again
        // a conflict, until the user settles it.
        links[row] = link;
        m_book.setRecordData(row, withLink(m_book.recordData(row), link));
        claimed.insert(href);
        ++report.linked;
    }

    // New contacts get their UIDs, kept before anything is uploaded: a sync
    // cut off and run again creates each at most once.
    bool newLinks = false;
    for (int row = 0; row < count; ++row) {
        if (links.at(row).isSet() || choice.at(row) == QLatin1String("-"))
            continue;
        const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        Link link{uid, m_client.account().collection.path() + uid + QStringLiteral(".vcf"), {}, {}};
        links[row] = link;
        m_book.setRecordData(row, withLink(m_book.recordData(row), link));
        newLinks = true;
    }
    if (newLinks) {
        if (const BookDocument::Saved saved = m_book.save(); !saved.ok()) {
            report.error = saved.error;
            return report;
        }
    }

    // Each record against its contact.
    QList<int> deletedRows;
    for (int row = 0; row < count; ++row) {
        Link link = links.at(row);
        if (!link.isSet())
            continue;
        const AddressRecord record = m_book.record(row + 1);
        const QJsonObject data = m_book.recordData(row);
        const QByteArray bookHash = contactHash(record, data);
        if (link.etag.isEmpty()) {
            // Not yet on the server (or created by a sync cut off after it).
            const std::optional<QString> etag =
                m_client.put(link.href, newContactCard(record, data, link.uid), {}, &error);
            if (!etag && error.failure != DavFailure::Precondition)
                return failed();
            if (!etag) {
                // Created by the earlier run: linked as it is there.
                std::optional<QList<DavItem>> there = m_client.fetch({link.href}, &error);
                if (!there || there->isEmpty())
                    return failed();
                cards.insert(link.href, there->first());
                remoteEtag.insert(link.href, there->first().etag);
                const std::optional<ServerContact> contact = readServerContact(there->first().card);
                link.etag = there->first().etag;
                link.hash = contact ? contactHash(contact->record, contact->data) : QByteArray();
                if (link.hash != bookHash)
                    report.conflicts.append(
                        tr("%1: サーバーの連絡先と違います").arg(describe(record)));
            } else {
                link.etag = *etag;
                link.hash = bookHash;
                ++report.uploaded;
            }
            if (link.etag.isEmpty()) {
                std::optional<QList<DavItem>> there = m_client.fetch({link.href}, &error);
                if (!there || there->isEmpty())
                    return failed();
                link.etag = there->first().etag;
            }
            m_book.setRecordData(row, withLink(data, link));
            continue;
        }
        if (!remoteEtag.contains(link.href)) {
            if (m_options.applyDeletions) {
                deletedRows.append(row);
                ++report.deleted;
            } else {
                report.deletions.append(
                    tr("%1: サーバーで削除されています（--delete で住所録からも削除）")
                        .arg(describe(record)));
            }
            continue;
        }
        const bool serverChanged = remoteEtag.value(link.href) != link.etag;
        const bool bookChanged = bookHash != link.hash;
        if (!serverChanged && !bookChanged)
            continue;
        const DavItem item = cards.value(link.href);
        const std::optional<ServerContact> contact = readServerContact(item.card);
        const QByteArray serverHash =
            contact ? contactHash(contact->record, contact->data) : QByteArray();
        if (serverHash == bookHash) {
            // Both sides came to the same: nothing to carry.
            link.etag = item.etag;
            link.hash = bookHash;
            m_book.setRecordData(row, withLink(data, link));
        } else if (serverChanged && bookChanged) {
            report.conflicts.append(tr("%1: サーバーでは %2")
                                        .arg(describe(record), contact ? describe(contact->record)
                                                                       : tr("住所のない連絡先")));
        } else if (serverChanged) {
            if (!contact) {
                report.conflicts.append(
                    tr("%1: サーバーの連絡先に住所がありません").arg(describe(record)));
                continue;
            }
            m_book.setRecord(row, contact->record);
            link.etag = item.etag;
            link.hash = serverHash;
            m_book.setRecordData(row, withLink(serverData(data, contact->data), link));
            ++report.updatedInBook;
        } else {
            const std::optional<QString> etag = m_client.put(
                link.href, mergedContactCard(item.card, record, data), item.etag, &error);
            if (!etag && error.failure == DavFailure::Precondition) {
                report.conflicts.append(tr("%1: サーバーでも変更されました（次の同期で確かめます）")
                                            .arg(describe(record)));
                continue;
            }
            if (!etag)
                return failed();
            link.etag = *etag;
            if (link.etag.isEmpty()) {
                std::optional<QList<DavItem>> there = m_client.fetch({link.href}, &error);
                if (!there || there->isEmpty())
                    return failed();
                link.etag = there->first().etag;
            }
            link.hash = bookHash;
            m_book.setRecordData(row, withLink(data, link));
            ++report.updatedOnServer;
        }
    }

    // Contacts the book lost since the last sync were deleted here.
    QSet<QString> removedHere;
    const QJsonObject settings = m_book.bookSettings();
    const QJsonObject state = settings.value(SyncKey).toObject();
    for (const QJsonValue value : state.value(QStringLiteral("linked")).toArray()) {
        const QString href = value.toString();
        if (claimed.contains(href) || !remoteEtag.contains(href))
            continue;
        if (!m_options.applyDeletions) {
            const std::optional<ServerContact> contact = readServerContact(cards.value(href).card);
            report.deletions.append(
                tr("%1: 住所録で削除されています（--delete でサーバーからも削除）")
                    .arg(contact ? describe(contact->record) : href));
            claimed.insert(href); // still linked: asked again next time
            continue;
        }
        if (!m_client.remove(href, remoteEtag.value(href), &error)) {
            if (error.failure != DavFailure::Precondition)
                return failed();
            report.conflicts.append(tr("%1: サーバーで変更されたため削除していません").arg(href));
            continue;
        }
        removedHere.insert(href);
        ++report.deleted;
    }

    // Contacts the book does not have yet, as far as the book has room.
    for (const QString &href : std::as_const(unclaimed)) {
        if (claimed.contains(href) || removedHere.contains(href) || undecided.contains(href) ||
            !unclaimedContacts.contains(href))
            continue;
        const ServerContact &contact = unclaimedContacts[href];
        if (m_book.recordCount() - int(deletedRows.size()) >= AddressBook::Capacity) {
            report.overLimit.append(
                tr("%1: 住所録が 300 件のため追加していません").arg(describe(contact.record)));
            continue;
        }
        const int row = m_book.recordCount();
        if (!m_book.insertRecord(row, contact.record))
            continue;
        const QByteArray hash = contactHash(contact.record, contact.data);
        m_book.setRecordData(
            row, withLink(contact.data, {contact.uid, href, remoteEtag.value(href), hash}));
        claimed.insert(href);
        ++report.added;
    }
    std::sort(deletedRows.begin(), deletedRows.end(), std::greater<>());
    for (const int row : std::as_const(deletedRows)) {
        claimed.remove(links.at(row).href);
        m_book.removeRecord(row);
    }

    QJsonArray linked;
    for (int row = 0; row < m_book.recordCount(); ++row)
        if (const Link link = linkOf(m_book.recordData(row)); link.isSet() && !link.etag.isEmpty())
            linked.append(link.href);
    for (const QString &href : std::as_const(claimed))
        if (!linked.contains(href) && remoteEtag.contains(href))
            linked.append(href);
    QJsonObject newSettings = settings;
    newSettings.insert(SyncKey,
                       QJsonObject{{QStringLiteral("collection"),
                                    m_client.account().collection.toString(QUrl::RemoveUserInfo)},
                                   {QStringLiteral("linked"), linked}});
    m_book.setBookSettings(newSettings);
    if (const BookDocument::Saved saved = m_book.save(); !saved.ok())
        report.error = saved.error;
    return report;
}

} // namespace nvl
