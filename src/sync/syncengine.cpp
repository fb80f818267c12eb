#include "syncengine.h"

#include "bookfile.h"
#include "davurl.h"

#include <QCoreApplication>
#include <QHash>
#include <QJsonArray>
#include <QUuid>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::Sync", text);
}

// The record with the server's fields, keeping the book's own data the
// server does not carry.
QJsonObject serverData(const QJsonObject &local, const QJsonObject &server) {
    RecordExtras data = RecordExtras::fromJson(server);
    data.takeSyncFrom(RecordExtras::fromJson(local));
    return data.toJson();
}

QString randomUid() {
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

void SyncReport::add(const SyncReport &round) {
    uploaded += round.uploaded;
    updatedOnServer += round.updatedOnServer;
    updatedInBook += round.updatedInBook;
    added += round.added;
    linked += round.linked;
    deleted += round.deleted;
    notes += round.notes;
    overLimit += round.overLimit;
    warnings += round.warnings;
    questions = round.questions;
}

QString emptiedText(const EmptiedSide &emptied, const QString &collection) {
    if (emptied.side == EmptiedSide::Side::Server)
        return tr("「%1」には、前回の同期で結び付けた連絡先が 1 件もありません"
                  "（住所録で結び付いている宛名 %2 件）。空にされたか、別のアドレス帳です。"
                  "住所録の宛名は削除していません。")
            .arg(collection)
            .arg(emptied.count);
    if (emptied.side == EmptiedSide::Side::Book)
        return tr("住所録には、前回の同期で「%1」の連絡先と結び付けた宛名が 1 件もありません"
                  "（サーバーの連絡先 %2 件）。別の住所録か、宛名が消されています。"
                  "サーバーの連絡先は削除していません。")
            .arg(collection)
            .arg(emptied.count);
    return {};
}

SyncEngine::SyncEngine(SyncBook &book, DavClient &client, SyncOptions options,
                       Checkpoint checkpoint)
    : newUid(randomUid), m_book(book), m_client(client), m_options(std::move(options)),
      m_checkpoint(std::move(checkpoint)) {}

SyncReport SyncEngine::run() {
    SyncReport report;
    DavError error;
    const auto failed = [&report, &error] {
        report.error = error.message;
        report.failure = error.failure;
        return report;
    };
    const auto progressed = [this](int done, int total) {
        if (progress)
            progress(done, total);
    };
    progressed(0, 1);
    if (!m_client.collection(&error))
        return failed();
    const std::optional<QList<DavItem>> listed = m_client.list(&error);
    if (!listed)
        return failed();
    for (const QString &href : m_client.ignored())
        report.warnings.append(
            tr("サーバーが挙げた「%1」はこのアドレス帳の外にあるため、読み書きしていません。")
                .arg(href));
    ServerView server;
    for (const DavItem &item : *listed) {
        if (server.etags.contains(item.href))
            continue;
        server.hrefs.append(item.href);
        server.etags.insert(item.href, item.etag);
    }
    const std::optional<QList<DavItem>> fetched =
        m_client.fetch(hrefsToRead(m_book, server), &error);
    if (!fetched)
        return failed();
    for (const DavItem &item : *fetched)
        server.cards.insert(item.href, item.card);

    const QString collectionPath = m_client.collectionUrl().path(QUrl::FullyEncoded);
    const SyncPlan plan = planSync(m_book, server, collectionPath, m_options, newUid);
    if (plan.emptied.side != EmptiedSide::Side::None) {
        report.emptied = plan.emptied;
        report.error = emptiedText(plan.emptied, m_client.collectionUrl().toDisplayString());
        return report;
    }
    report.questions = plan.questions;
    report.overLimit = plan.overLimit;
    if (plan.leftOutUnread > 0)
        report.overLimit.append(tr("ほかに %1 件の連絡先を、住所録が 300 件のため追加していません"
                                   "（前の同期から変わっていません）。")
                                    .arg(plan.leftOutUnread));
    m_leftOut = plan.leftOut;
    m_keptLinked = QSet<QString>(plan.keptLinked.begin(), plan.keptLinked.end());

    // Links first: the new contacts' UIDs are saved before any is sent.
    bool newContacts = false;
    for (const SyncAction &action : plan.actions) {
        if (action.kind != SyncAction::Kind::Link && action.kind != SyncAction::Kind::NewContact)
            continue;
        m_book.setRecordData(action.row, withSyncLink(m_book.recordData(action.row), action.link));
        report.linked += action.kind == SyncAction::Kind::Link ? 1 : 0;
        newContacts = newContacts || action.kind == SyncAction::Kind::NewContact;
    }
    if (newContacts && m_checkpoint) {
        if (const QString problem = m_checkpoint(m_book); !problem.isEmpty()) {
            report.error = problem;
            return report;
        }
    }
    for (qsizetype i = 0; i < plan.actions.size(); ++i) {
        progressed(int(i), int(plan.actions.size()));
        if (!carryOut(plan.actions.at(i), report, error))
            return failed();
    }
    keepSyncState(server);
    progressed(1, 1);
    return report;
}

bool SyncEngine::carryOut(const SyncAction &action, SyncReport &report, DavError &error) {
    using Kind = SyncAction::Kind;
    switch (action.kind) {
    case Kind::Link:
    case Kind::NewContact:
        return true;
    case Kind::Upload:
        return upload(action, report, error);
    case Kind::UpdateServer:
        return updateServer(action, report, error);
    case Kind::DeleteOnServer:
        return deleteOnServer(action, report, error);
    case Kind::Settle:
        m_book.setRecordData(action.row, withSyncLink(m_book.recordData(action.row), action.link));
        return true;
    case Kind::TakeIntoBook:
        if (!action.contact)
            return true;
        m_book.setRecord(action.row, action.contact->record);
        m_book.setRecordData(action.row, withSyncLink(serverData(m_book.recordData(action.row),
                                                                 action.contact->data),
                                                      action.link));
        ++report.updatedInBook;
        return true;
    case Kind::DeleteInBook:
        m_book.removeRecord(action.row);
        ++report.deleted;
        return true;
    case Kind::AddToBook:
        if (!action.contact)
            return true;
        m_book.appendRecord(action.contact->record,
                            withSyncLink(action.contact->data, action.link));
        ++report.added;
        return true;
    }
    return true;
}

// The ETag a write left: the one the server answered with, or read back.
std::optional<QString> SyncEngine::etagAfterWrite(const QString &href,
                                                  const std::optional<QString> &written,
                                                  DavError &error) {
    if (written && !written->isEmpty())
        return written;
    const std::optional<QList<DavItem>> there = m_client.fetch({href}, &error);
    if (!there || there->isEmpty())
        return std::nullopt;
    return there->first().etag;
}

bool SyncEngine::upload(const SyncAction &action, SyncReport &report, DavError &error) {
    const int row = action.row;
    SyncLink link = action.link;
    const QByteArray bookHash = contactHash(m_book.record(row), m_book.recordData(row));
    const std::optional<QString> written = m_client.put(link.href, action.card, {}, &error);
    if (written) {
        const std::optional<QString> etag = etagAfterWrite(link.href, written, error);
        if (!etag)
            return false;
        link.etag = *etag;
        link.hash = bookHash;
        link.serverHash = comparableHash(m_book.record(row), m_book.recordData(row));
        ++report.uploaded;
    } else if (error.failure == DavFailure::Precondition) {
        // Created by an earlier run cut off: linked as it is there.
        const std::optional<QList<DavItem>> there = m_client.fetch({link.href}, &error);
        if (!there || there->isEmpty())
            return false;
        const std::optional<ServerContact> contact = readServerContact(there->first().card);
        link.etag = there->first().etag;
        link.hash = contact ? contactHash(contact->record, contact->data) : QByteArray();
        link.serverHash = contact ? comparableHash(contact->record, contact->data) : QByteArray();
        if (link.hash != bookHash) {
            link.hash.clear();
            SyncQuestion asked;
            asked.text =
                tr("%1: サーバーの連絡先と違います").arg(describeRecord(m_book.record(row)));
            asked.row = row;
            asked.record = m_book.record(row);
            asked.data = m_book.recordData(row);
            asked.href = link.href;
            asked.etag = link.etag;
            asked.server = contact;
            report.questions.append(asked);
        }
        error = {};
    } else {
        return false;
    }
    m_book.setRecordData(row, withSyncLink(m_book.recordData(row), link));
    return true;
}

// The contact as the server holds it now, when its content is still what
// the write was planned on: its ETag, to write again with.
std::optional<QString> SyncEngine::etagIfUnchanged(const SyncAction &action, DavError &error) {
    const std::optional<QList<DavItem>> there = m_client.fetch({action.href}, &error);
    if (!there || there->isEmpty())
        return std::nullopt;
    const std::optional<ServerContact> contact = readServerContact(there->first().card);
    if (!contact || comparableHash(contact->record, contact->data) != action.serverSeen)
        return std::nullopt;
    return there->first().etag;
}

bool SyncEngine::updateServer(const SyncAction &action, SyncReport &report, DavError &error) {
    // A weak ETag cannot make a write conditional (RFC 7232): the contact is
    // read again and written while it still holds what was planned on.
    QString etag = action.etag;
    if (etag.startsWith(QLatin1String("W/"))) {
        const std::optional<QString> fresh = etagIfUnchanged(action, error);
        if (error)
            return false;
        etag = fresh ? QStringLiteral("*") : QString();
    }
    std::optional<QString> written;
    if (!etag.isEmpty())
        written = m_client.put(action.href, action.card, etag, &error);
    // Refused: when the contact still holds what was planned on (a server
    // whose ETags change by themselves), written again with its new ETag.
    if (!written && !etag.isEmpty() && error.failure == DavFailure::Precondition) {
        error = {};
        if (const std::optional<QString> fresh = etagIfUnchanged(action, error))
            written = m_client.put(action.href, action.card, *fresh, &error);
        else if (error)
            return false;
    }
    if (!written && (etag.isEmpty() || error.failure == DavFailure::Precondition)) {
        report.notes.append(tr("%1: サーバーでも変更されました（次の同期で確かめます）")
                                .arg(describeRecord(m_book.record(action.row))));
        error = {};
        return true;
    }
    const std::optional<QString> after =
        written ? etagAfterWrite(action.href, written, error) : std::nullopt;
    if (!after)
        return false;
    SyncLink link = action.link;
    link.etag = *after;
    m_book.setRecordData(action.row, withSyncLink(m_book.recordData(action.row), link));
    ++report.updatedOnServer;
    return true;
}

bool SyncEngine::deleteOnServer(const SyncAction &action, SyncReport &report, DavError &error) {
    if (m_client.remove(action.href, action.etag, &error)) {
        ++report.deleted;
        return true;
    }
    if (error.failure != DavFailure::Precondition)
        return false;
    report.notes.append(tr("%1: サーバーで変更されたため削除していません").arg(action.href));
    m_keptLinked.insert(action.href);
    error = {};
    return true;
}

// What the next sync compares with: the contacts linked now and the
// ETags they had, and the address book they are in.
void SyncEngine::keepSyncState(const ServerView &server) {
    BookExtras extras = BookExtras::fromJson(m_book.settings());
    const QHash<QString, QString> etagsBefore = extras.syncLinkedEtags;
    QStringList linked;
    QHash<QString, QString> etags;
    for (int row = 0; row < m_book.recordCount(); ++row) {
        if (m_book.isRemoved(row))
            continue;
        if (const SyncLink link = syncLinkOf(m_book.recordData(row));
            link.isSet() && !link.isNew()) {
            const QString href = normalPath(link.href);
            linked.append(href);
            etags.insert(href, link.etag);
        }
    }
    for (const QString &href : std::as_const(m_keptLinked)) {
        if (linked.contains(href) || !server.etags.contains(href))
            continue;
        linked.append(href);
        etags.insert(href, etagsBefore.value(href, server.etags.value(href)));
    }
    QStringList stillDetached;
    for (const QString &href : std::as_const(extras.syncDetached))
        if (server.etags.contains(normalPath(href)))
            stillDetached.append(normalPath(href));
    extras.syncCollection = m_client.collectionUrl().toString();
    extras.syncLinked = linked;
    extras.syncLinkedEtags = etags;
    extras.syncDetached = stillDetached;
    extras.syncLeftOut = m_leftOut;
    m_book.setSettings(extras.toJson());
}

void applyAnswers(SyncBook &book, const QList<SyncQuestion> &questions,
                  const QList<SyncAnswer> &answers, const QString &collectionPath,
                  SyncOptions *options) {
    QSet<QString> claimed;
    for (int row = 0; row < book.recordCount(); ++row)
        if (!book.isRemoved(row))
            claimed.insert(normalPath(syncLinkOf(book.recordData(row)).href));
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
                options->deleteOnServer.insert(question.href, question.etag);
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
                                         false,
                                         {}}));
            break;
        }
        case SyncChoice::Apart: {
            const QString uid = randomUid();
            book.setRecordData(
                row,
                withSyncLink(
                    data, {uid, collectionPath + uid + QStringLiteral(".vcf"), {}, {}, false, {}}));
            break;
        }
        }
    }
    book.setSettings(bookExtras.toJson());
}

} // namespace nvl
