#include "syncengine.h"

#include "bookfile.h"

#include <QCoreApplication>
#include <QHash>
#include <QJsonArray>
#include <QUuid>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::Sync", text);
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
    RecordExtras data = RecordExtras::fromJson(server);
    data.takeSyncFrom(RecordExtras::fromJson(local));
    return data.toJson();
}

SyncQuestion question(SyncQuestion::Kind kind, const QString &text, int row,
                      const AddressRecord &record, const QString &href = {},
                      const QString &etag = {}) {
    SyncQuestion asked;
    asked.kind = kind;
    asked.text = text;
    asked.row = row;
    asked.record = record;
    asked.href = href;
    asked.etag = etag;
    return asked;
}

QString newUid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace

QStringList SyncReport::texts(SyncQuestion::Kind kind) const {
    QStringList lines;
    for (const SyncQuestion &question : questions)
        if (question.kind == kind)
            lines.append(question.text);
    return lines;
}

SyncEngine::SyncEngine(SyncBook &book, CardDavClient &client, SyncOptions options,
                       Checkpoint checkpoint)
    : m_book(book), m_client(client), m_options(std::move(options)),
      m_checkpoint(std::move(checkpoint)) {}

SyncReport SyncEngine::run() {
    SyncReport report;
    DavError error;
    const auto failed = [&report, &error] {
        report.error = error.message;
        report.failure = error.failure;
        return report;
    };
    const int count = m_book.recordCount();
    const auto progressed = [this, count](int done) {
        if (progress)
            progress(done, count + 2);
    };
    progressed(0);
    if (!m_client.collection(&error))
        return failed();
    std::optional<QList<DavItem>> listed = m_client.list(&error);
    if (!listed)
        return failed();
    progressed(1);
    QHash<QString, QString> remoteEtag;
    for (const DavItem &item : std::as_const(*listed))
        remoteEtag.insert(item.href, item.etag);

    BookExtras bookExtras = BookExtras::fromJson(m_book.settings());
    const QStringList detachedList = bookExtras.syncDetached;
    const QSet<QString> detached(detachedList.begin(), detachedList.end());

    // What each record is linked to, and which contacts no record claims.
    QList<SyncLink> links;
    QSet<QString> claimed = detached;
    for (int row = 0; row < count; ++row) {
        links.append(m_book.isRemoved(row) ? SyncLink() : syncLinkOf(m_book.recordData(row)));
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
        const SyncLink &link = links.at(row);
        if (!link.isSet() || !remoteEtag.contains(link.href))
            continue;
        const bool serverChanged = remoteEtag.value(link.href) != link.etag;
        const bool bookChanged =
            contactHash(m_book.record(row), m_book.recordData(row)) != link.hash;
        if (serverChanged || bookChanged)
            wanted.append(link.href);
    }
    std::optional<QList<DavItem>> fetched = m_client.fetch(wanted, &error);
    if (!fetched)
        return failed();
    progressed(2);
    QHash<QString, DavItem> cards;
    for (const DavItem &item : std::as_const(*fetched))
        cards.insert(item.href, item);

    // The first sync links records to the contacts they are: by name and
    // postal code, or name and 住所１. One answer each way, or the user's.
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
    const auto ambiguous = [&](int row, const QStringList &hrefs, const QString &text) {
        SyncQuestion asked = question(SyncQuestion::Kind::Ambiguous, text, row, m_book.record(row));
        for (const QString &href : hrefs) {
            asked.candidates.append({href, remoteEtag.value(href)});
            asked.candidateContacts.append(unclaimedContacts.value(href));
        }
        report.questions.append(asked);
    };
    QHash<QString, QList<int>> candidatesOf; // href → rows that would link to it
    QSet<QString> undecided;
    QList<QString> choice(count);
    for (int row = 0; row < count; ++row) {
        if (links.at(row).isSet() || m_book.isRemoved(row))
            continue;
        const AddressRecord &record = m_book.record(row);
        const QString name = nameKey(record);
        QStringList found;
        const auto add = [&found](const QStringList &hrefs) {
            for (const QString &href : hrefs)
                if (!found.contains(href))
                    found.append(href);
        };
        if (!digitsOf(record.field(AddressRecord::PostalCode)).isEmpty())
            add(byKey.value(name + u'\t' + digitsOf(record.field(AddressRecord::PostalCode))));
        add(byKey.value(name + u'\n' + record.field(AddressRecord::Address1).trimmed()));
        if (found.size() > 1) {
            // Left apart, and not added to the book as others either.
            undecided.unite(QSet<QString>(found.begin(), found.end()));
            ambiguous(row, found,
                      tr("%1: サーバーに同じ宛名が %2 件あります")
                          .arg(describe(record))
                          .arg(found.size()));
            choice[row] = QStringLiteral("-");
        } else if (found.size() == 1) {
            choice[row] = found.first();
            candidatesOf[choice[row]].append(row);
        }
    }
    for (int row = 0; row < count; ++row) {
        const QString href = choice.at(row);
        if (href.isEmpty() || href == QLatin1String("-"))
            continue;
        if (candidatesOf.value(href).size() > 1) {
            undecided.insert(href);
            ambiguous(
                row, {href},
                tr("%1: 住所録に同じ宛名がほかにもあります").arg(describe(m_book.record(row))));
            choice[row] = QStringLiteral("-");
            continue;
        }
        const ServerContact &contact = unclaimedContacts[href];
        const QByteArray serverHash = contactHash(contact.record, contact.data);
        // Where the two differ, the link waits for the user's choice.
        const bool same = serverHash == contactHash(m_book.record(row), m_book.recordData(row));
        links[row] = {contact.uid, href, remoteEtag.value(href), same ? serverHash : QByteArray(),
                      false};
        m_book.setRecordData(row, withSyncLink(m_book.recordData(row), links.at(row)));
        claimed.insert(href);
        ++report.linked;
    }

    // New contacts get their UIDs, kept before anything is uploaded: a sync
    // cut off and run again creates each at most once.
    bool newLinks = false;
    for (int row = 0; row < count; ++row) {
        if (links.at(row).isSet() || m_book.isRemoved(row) || choice.at(row) == QLatin1String("-"))
            continue;
        const QString uid = newUid();
        links[row] = {uid,
                      m_client.account().collection.path() + uid + QStringLiteral(".vcf"),
                      {},
                      {},
                      false};
        m_book.setRecordData(row, withSyncLink(m_book.recordData(row), links.at(row)));
        newLinks = true;
    }
    if (newLinks && m_checkpoint) {
        if (const QString problem = m_checkpoint(m_book); !problem.isEmpty()) {
            report.error = problem;
            return report;
        }
    }

    // Each record against its contact.
    const auto conflict = [&](int row, const SyncLink &link,
                              const std::optional<ServerContact> &contact, const QString &text) {
        SyncQuestion asked = question(SyncQuestion::Kind::Conflict, text, row, m_book.record(row),
                                      link.href, remoteEtag.value(link.href));
        asked.data = m_book.recordData(row);
        asked.server = contact;
        report.questions.append(asked);
    };
    QList<int> deletedRows;
    for (int row = 0; row < count; ++row) {
        progressed(2 + row);
        SyncLink link = links.at(row);
        if (!link.isSet())
            continue;
        const AddressRecord record = m_book.record(row);
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
                remoteEtag.insert(link.href, there->first().etag);
                const std::optional<ServerContact> contact = readServerContact(there->first().card);
                link.etag = there->first().etag;
                link.hash = contact ? contactHash(contact->record, contact->data) : QByteArray();
                if (link.hash != bookHash) {
                    link.hash.clear();
                    conflict(row, link, contact,
                             tr("%1: サーバーの連絡先と違います").arg(describe(record)));
                }
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
            m_book.setRecordData(row, withSyncLink(data, link));
            continue;
        }
        if (!remoteEtag.contains(link.href)) {
            if (m_options.applyDeletions) {
                deletedRows.append(row);
                ++report.deleted;
            } else {
                report.questions.append(
                    question(SyncQuestion::Kind::DeletedOnServer,
                             tr("%1: サーバーで削除されています（--delete で住所録からも削除）")
                                 .arg(describe(record)),
                             row, record, link.href));
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
            m_book.setRecordData(row, withSyncLink(data, link));
        } else if (link.pending() || (serverChanged && bookChanged)) {
            conflict(row, link, contact,
                     tr("%1: サーバーでは %2")
                         .arg(describe(record),
                              contact ? describe(contact->record) : tr("住所のない連絡先")));
        } else if (serverChanged) {
            if (!contact) {
                conflict(row, link, contact,
                         tr("%1: サーバーの連絡先に住所がありません").arg(describe(record)));
                continue;
            }
            m_book.setRecord(row, contact->record);
            link.etag = item.etag;
            link.hash = serverHash;
            link.changed = true;
            m_book.setRecordData(row, withSyncLink(serverData(data, contact->data), link));
            ++report.updatedInBook;
        } else {
            const std::optional<QString> etag = m_client.put(
                link.href, mergedContactCard(item.card, record, data), item.etag, &error);
            if (!etag && error.failure == DavFailure::Precondition) {
                report.notes.append(tr("%1: サーバーでも変更されました（次の同期で確かめます）")
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
            m_book.setRecordData(row, withSyncLink(data, link));
            ++report.updatedOnServer;
        }
    }

    // Contacts the book lost since the last sync were deleted here.
    QSet<QString> removedHere;
    for (const QString &href : std::as_const(bookExtras.syncLinked)) {
        if (claimed.contains(href) || !remoteEtag.contains(href))
            continue;
        if (!m_options.applyDeletions && !m_options.deleteOnServer.contains(href)) {
            const std::optional<ServerContact> contact = readServerContact(cards.value(href).card);
            SyncQuestion asked = question(
                SyncQuestion::Kind::DeletedInBook,
                tr("%1: 住所録で削除されています（--delete でサーバーからも削除）")
                    .arg(contact ? describe(contact->record) : href),
                -1, contact ? contact->record : AddressRecord(), href, remoteEtag.value(href));
            asked.server = contact;
            report.questions.append(asked);
            claimed.insert(href); // still linked: asked again next time
            continue;
        }
        if (!m_client.remove(href, remoteEtag.value(href), &error)) {
            if (error.failure != DavFailure::Precondition)
                return failed();
            report.notes.append(tr("%1: サーバーで変更されたため削除していません").arg(href));
            claimed.insert(href);
            continue;
        }
        removedHere.insert(href);
        ++report.deleted;
    }

    // Contacts the book does not have yet, as far as the book has room.
    for (const int row : std::as_const(deletedRows))
        m_book.removeRecord(row);
    for (const QString &href : std::as_const(unclaimed)) {
        if (claimed.contains(href) || removedHere.contains(href) || undecided.contains(href) ||
            !unclaimedContacts.contains(href))
            continue;
        const ServerContact &contact = unclaimedContacts[href];
        if (m_book.keptCount() >= AddressBook::Capacity) {
            report.overLimit.append(
                tr("%1: 住所録が 300 件のため追加していません").arg(describe(contact.record)));
            continue;
        }
        SyncLink link{contact.uid, href, remoteEtag.value(href),
                      contactHash(contact.record, contact.data), true};
        m_book.appendRecord(contact.record, withSyncLink(contact.data, link));
        claimed.insert(href);
        ++report.added;
    }

    QStringList linked;
    for (int row = 0; row < m_book.recordCount(); ++row) {
        if (m_book.isRemoved(row))
            continue;
        if (const SyncLink link = syncLinkOf(m_book.recordData(row)); link.isSet() && !link.isNew())
            linked.append(link.href);
    }
    for (const QString &href : std::as_const(claimed))
        if (!linked.contains(href) && remoteEtag.contains(href) && !detached.contains(href))
            linked.append(href);
    QStringList stillDetached;
    for (const QString &href : detachedList)
        if (remoteEtag.contains(href))
            stillDetached.append(href);
    bookExtras.syncCollection = m_client.account().collection.toString(QUrl::RemoveUserInfo);
    bookExtras.syncLinked = linked;
    bookExtras.syncDetached = stillDetached;
    m_book.setSettings(bookExtras.toJson());
    progressed(count + 2);
    return report;
}

void applyAnswers(SyncBook &book, const QList<SyncQuestion> &questions,
                  const QList<SyncAnswer> &answers, const QString &collectionPath,
                  SyncOptions *options) {
    QSet<QString> claimed;
    for (int row = 0; row < book.recordCount(); ++row)
        if (!book.isRemoved(row))
            claimed.insert(syncLinkOf(book.recordData(row)).href);
    BookExtras bookExtras = BookExtras::fromJson(book.settings());
    for (qsizetype i = 0; i < questions.size() && i < answers.size(); ++i) {
        const SyncQuestion &question = questions.at(i);
        const SyncAnswer &answer = answers.at(i);
        const int row = question.row;
        const QJsonObject data = row >= 0 ? book.recordData(row) : QJsonObject();
        SyncLink link = syncLinkOf(data);
        switch (answer.choice) {
        case SyncChoice::Unanswered:
            break;
        case SyncChoice::Book:
            // The server's version as the last one both held: the next run
            // sees a change in the book only, and sends it (If-Match).
            link.etag = question.etag;
            link.hash = question.server
                            ? contactHash(question.server->record, question.server->data)
                            : QByteArrayLiteral("-");
            book.setRecordData(row, withSyncLink(data, link));
            break;
        case SyncChoice::Server:
            if (!question.server)
                break;
            link.etag = question.etag;
            link.hash = contactHash(question.server->record, question.server->data);
            link.changed = true;
            book.setRecord(row, question.server->record);
            book.setRecordData(row, withSyncLink(serverData(data, question.server->data), link));
            break;
        case SyncChoice::Delete:
            if (question.kind == SyncQuestion::Kind::DeletedOnServer)
                book.removeRecord(row);
            else if (question.kind == SyncQuestion::Kind::DeletedInBook)
                options->deleteOnServer.insert(question.href);
            break;
        case SyncChoice::Keep:
            if (question.kind == SyncQuestion::Kind::DeletedOnServer) {
                // Unlinked: the next run sends it as a new contact.
                book.setRecordData(row, withoutSyncLink(data));
            } else if (question.kind == SyncQuestion::Kind::DeletedInBook) {
                bookExtras.syncDetached.append(question.href);
            }
            break;
        case SyncChoice::Link: {
            if (answer.candidate < 0 || answer.candidate >= question.candidates.size())
                break;
            const auto &[href, etag] = question.candidates.at(answer.candidate);
            if (claimed.contains(href))
                break; // another record took it: asked again
            claimed.insert(href);
            book.setRecordData(
                row, withSyncLink(data, {question.candidateContacts.value(answer.candidate).uid,
                                         href,
                                         etag,
                                         {},
                                         false}));
            break;
        }
        case SyncChoice::Apart: {
            const QString uid = newUid();
            book.setRecordData(
                row,
                withSyncLink(data,
                             {uid, collectionPath + uid + QStringLiteral(".vcf"), {}, {}, false}));
            break;
        }
        }
    }
    book.setSettings(bookExtras.toJson());
}

} // namespace nvl
