#include "syncplan.h"

#include "bookfile.h"
#include "davurl.h"
#include "syncstate.h"

#include <QCoreApplication>
#include <QSet>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::Sync", text);
}

// The name as the first sync compares it: without blanks, NFKC.
QString nameKey(const AddressRecord &record) {
    return comparableName(record.field(AddressRecord::Name));
}

QString digitsOf(const QString &code) {
    QString digits;
    for (const QChar c : code.normalized(QString::NormalizationForm_KC))
        if (c.isDigit())
            digits += c;
    return digits;
}

// Works out one plan; each step a member, each reading what the ones
// before left.
class Planner {
public:
    Planner(const SyncBook &book, const ServerView &server, const QString &collectionPath,
            const SyncOptions &options, const std::function<QString()> &newUid)
        : m_book(book), m_server(server), m_collectionPath(collectionPath), m_options(options),
          m_newUid(newUid), m_extras(BookExtras::fromJson(book.settings())) {}

    SyncPlan plan();

private:
    void readLinks();
    void linkFirstTime();
    QString matchRecord(int row, const QHash<QString, QStringList> &byKey,
                        QHash<QString, QList<int>> &rowsOf);
    void giveNewContacts();
    bool emptied();
    void planRecord(int row);
    void planChanged(int row, const SyncLink &link, const QByteArray &bookHash);
    void planBookDeletions();
    void planAdditions();

    SyncQuestion question(SyncQuestion::Kind kind, const QString &text, int row,
                          const QString &href = {}) const;
    void conflict(int row, const SyncLink &link, const std::optional<ServerContact> &contact,
                  const QString &text);
    SyncAction action(SyncAction::Kind kind, int row, const SyncLink &link) const;
    std::optional<ServerContact> contactAt(const QString &href) const {
        return readServerContact(m_server.cards.value(href));
    }

    const SyncBook &m_book;
    const ServerView &m_server;
    const QString m_collectionPath;
    const SyncOptions &m_options;
    const std::function<QString()> &m_newUid;
    const BookExtras m_extras;
    SyncPlan m_plan;
    QList<SyncLink> m_links;                  // each row's, as the plan goes
    QSet<QString> m_claimed;                  // contacts a record or the user holds
    QStringList m_unclaimed;                  // listed contacts no record claimed before
    QHash<QString, ServerContact> m_readable; // those of them with an address
    QSet<QString> m_undecided;                // first-sync matches left to the user
    QSet<int> m_waiting;                      // rows whose match the user settles
    QSet<QString> m_deletedOnServer;
    int m_deletedInBook = 0;
};

SyncPlan Planner::plan() {
    readLinks();
    linkFirstTime();
    if (emptied())
        return m_plan;
    giveNewContacts();
    for (int row = 0; row < m_book.recordCount(); ++row)
        planRecord(row);
    planBookDeletions();
    planAdditions();
    return m_plan;
}

void Planner::readLinks() {
    for (const QString &href : m_extras.syncDetached)
        m_claimed.insert(normalPath(href));
    for (int row = 0; row < m_book.recordCount(); ++row) {
        SyncLink link = m_book.isRemoved(row) ? SyncLink() : syncLinkOf(m_book.recordData(row));
        if (link.isSet()) {
            // Older books kept some hrefs decoded: one form from here on.
            link.href = normalPath(link.href);
            m_claimed.insert(link.href);
        }
        m_links.append(link);
    }
    for (const QString &href : m_server.hrefs)
        if (!m_claimed.contains(href))
            m_unclaimed.append(href);
}

// The first sync links records to the contacts they are: by name and
// postal code, or name and 住所１. One answer each way, or the user's.
void Planner::linkFirstTime() {
    QHash<QString, QStringList> byKey;
    for (const QString &href : std::as_const(m_unclaimed)) {
        const std::optional<ServerContact> contact = contactAt(href);
        if (!contact)
            continue;
        m_readable.insert(href, *contact);
        // By the name shown (FN) and by the name's parts (N): a phone may
        // show 小川 直樹 as Naoki Ogawa.
        QStringList names{nameKey(contact->record)};
        if (const QString parts = comparableName(contact->nName);
            !parts.isEmpty() && parts != names.first())
            names.append(parts);
        const QString code = digitsOf(contact->record.field(AddressRecord::PostalCode));
        const QString line1 = comparableName(contact->record.field(AddressRecord::Address1));
        for (const QString &name : std::as_const(names)) {
            byKey[name + u'\t' + code].append(href);
            byKey[name + u'\n' + line1].append(href);
        }
    }
    QHash<QString, QList<int>> rowsOf; // href → rows that would link to it
    QList<QString> choice(m_book.recordCount());
    for (int row = 0; row < m_book.recordCount(); ++row)
        if (!m_links.at(row).isSet() && !m_book.isRemoved(row))
            choice[row] = matchRecord(row, byKey, rowsOf);
    for (int row = 0; row < m_book.recordCount(); ++row) {
        const QString &href = choice.at(row);
        if (href.isEmpty())
            continue;
        if (rowsOf.value(href).size() > 1) {
            m_undecided.insert(href);
            SyncQuestion asked = question(SyncQuestion::Kind::Ambiguous,
                                          tr("%1: 住所録に同じ宛名がほかにもあります")
                                              .arg(describeRecord(m_book.record(row))),
                                          row);
            asked.candidates.append({href, m_server.etags.value(href)});
            asked.candidateContacts.append(m_readable.value(href));
            m_plan.questions.append(asked);
            m_waiting.insert(row);
            continue;
        }
        const ServerContact contact = m_readable.value(href);
        const QByteArray serverSeen = comparableHash(contact.record, contact.data);
        // Where the two differ, the link waits for the user's choice; where
        // they are one text written two ways, the book's stays as it is.
        const bool same = serverSeen == comparableHash(m_book.record(row), m_book.recordData(row));
        m_links[row] = {contact.uid,
                        href,
                        m_server.etags.value(href),
                        same ? contactHash(m_book.record(row), m_book.recordData(row))
                             : QByteArray(),
                        false,
                        serverSeen};
        m_plan.actions.append(action(SyncAction::Kind::Link, row, m_links.at(row)));
        m_claimed.insert(href);
    }
}

// The one contact the record would link to; empty for none or several.
QString Planner::matchRecord(int row, const QHash<QString, QStringList> &byKey,
                             QHash<QString, QList<int>> &rowsOf) {
    const AddressRecord &record = m_book.record(row);
    const QString name = nameKey(record);
    QStringList found;
    const auto add = [&found](const QStringList &hrefs) {
        for (const QString &href : hrefs)
            if (!found.contains(href))
                found.append(href);
    };
    if (const QString digits = digitsOf(record.field(AddressRecord::PostalCode)); !digits.isEmpty())
        add(byKey.value(name + u'\t' + digits));
    add(byKey.value(name + u'\n' + comparableName(record.field(AddressRecord::Address1))));
    if (found.size() == 1) {
        rowsOf[found.first()].append(row);
        return found.first();
    }
    if (found.size() > 1) {
        // Left apart, and not added to the book as others either.
        m_undecided.unite(QSet<QString>(found.begin(), found.end()));
        SyncQuestion asked = question(SyncQuestion::Kind::Ambiguous,
                                      tr("%1: サーバーに同じ宛名が %2 件あります")
                                          .arg(describeRecord(record))
                                          .arg(found.size()),
                                      row);
        for (const QString &href : std::as_const(found)) {
            asked.candidates.append({href, m_server.etags.value(href)});
            asked.candidateContacts.append(m_readable.value(href));
        }
        m_plan.questions.append(asked);
        m_waiting.insert(row);
    }
    return {};
}

// Every contact a deletion would remove, on one side or the other, is
// rather a new or emptied address book, or another book: never applied
// unless forced.
bool Planner::emptied() {
    int onServerBefore = 0;
    int stillThere = 0;
    for (int row = 0; row < m_book.recordCount(); ++row) {
        const SyncLink &link = m_links.at(row);
        if (!link.isSet() || link.isNew())
            continue;
        ++onServerBefore;
        stillThere += m_server.etags.contains(link.href) ? 1 : 0;
    }
    int linkedBefore = 0;
    int recordsGone = 0;
    for (const QString &linked : m_extras.syncLinked) {
        const QString href = normalPath(linked);
        if (!m_server.etags.contains(href))
            continue;
        ++linkedBefore;
        recordsGone += m_claimed.contains(href) ? 0 : 1;
    }
    if (onServerBefore > 0 && stillThere == 0)
        m_plan.emptied = {EmptiedSide::Side::Server, onServerBefore};
    else if (linkedBefore > 0 && recordsGone == linkedBefore)
        m_plan.emptied = {EmptiedSide::Side::Book, linkedBefore};
    if (m_options.forceDelete)
        m_plan.emptied = {};
    if (m_plan.emptied.side == EmptiedSide::Side::None)
        return false;
    m_plan.actions.clear();
    m_plan.questions.clear();
    return true;
}

// New contacts get their UIDs, kept before anything is uploaded: a sync
// cut off and run again creates each at most once.
void Planner::giveNewContacts() {
    for (int row = 0; row < m_book.recordCount(); ++row) {
        if (m_links.at(row).isSet() || m_book.isRemoved(row) || m_waiting.contains(row))
            continue;
        const QString uid = m_newUid();
        m_links[row] = {uid, m_collectionPath + uid + QStringLiteral(".vcf"), {}, {}, false, {}};
        m_plan.actions.append(action(SyncAction::Kind::NewContact, row, m_links.at(row)));
    }
}

void Planner::planRecord(int row) {
    SyncLink link = m_links.at(row);
    if (!link.isSet())
        return;
    const AddressRecord &record = m_book.record(row);
    const QJsonObject &data = m_book.recordData(row);
    const QByteArray bookHash = contactHash(record, data);
    if (link.isNew()) {
        // Not yet on the server (or created by a sync cut off after it).
        SyncAction upload = action(SyncAction::Kind::Upload, row, link);
        upload.card = newContactCard(record, data, link.uid);
        m_plan.actions.append(upload);
        return;
    }
    if (!m_server.etags.contains(link.href)) {
        const bool edited = bookHash != link.hash;
        if (m_options.applyDeletions && !edited) {
            m_plan.actions.append(action(SyncAction::Kind::DeleteInBook, row, link));
            ++m_deletedInBook;
            return;
        }
        SyncQuestion asked =
            question(SyncQuestion::Kind::DeletedOnServer,
                     edited ? tr("%1: サーバーで削除されましたが、住所録で変更されています"
                                 "（住所録の内容を残しました）")
                                  .arg(describeRecord(record))
                            : tr("%1: サーバーで削除されています（--delete で住所録からも削除）")
                                  .arg(describeRecord(record)),
                     row, link.href);
        asked.edited = edited;
        m_plan.questions.append(asked);
        return;
    }
    planChanged(row, link, bookHash);
}

void Planner::planChanged(int row, const SyncLink &planned, const QByteArray &bookHash) {
    SyncLink link = planned;
    const QString etag = m_server.etags.value(link.href);
    const bool etagChanged = etag != link.etag;
    const bool bookChanged = bookHash != link.hash;
    if (!etagChanged && !bookChanged)
        return;
    const AddressRecord &record = m_book.record(row);
    const std::optional<ServerContact> contact = contactAt(link.href);
    const QByteArray serverSeen =
        contact ? comparableHash(contact->record, contact->data) : QByteArray();
    // Changed on the server by its content: an ETag that changes alone (a
    // server that makes new ones at every listing) is no change.
    const bool serverChanged =
        etagChanged && (link.serverHash.isEmpty() || serverSeen != link.serverHash);
    link.etag = etag;
    SyncAction next = action(SyncAction::Kind::Settle, row, link);
    next.etag = etag;
    next.contact = contact;
    next.serverSeen = serverSeen;
    if (contact && serverSeen == comparableHash(record, m_book.recordData(row))) {
        next.link.hash = bookHash;
        next.link.serverHash = serverSeen;
    } else if (link.pending() || (serverChanged && bookChanged)) {
        conflict(row, planned, contact,
                 tr("%1: %2").arg(describeRecord(record),
                                  contact ? differenceText(record, m_book.recordData(row),
                                                           contact->record, contact->data)
                                          : tr("サーバーでは住所のない連絡先")));
        return;
    } else if (serverChanged) {
        if (!contact) {
            conflict(row, planned, contact,
                     tr("%1: サーバーの連絡先に住所がありません").arg(describeRecord(record)));
            return;
        }
        next.kind = SyncAction::Kind::TakeIntoBook;
        next.link.hash = contactHash(contact->record, contact->data);
        next.link.serverHash = serverSeen;
        next.link.changed = true;
    } else if (bookChanged) {
        next.kind = SyncAction::Kind::UpdateServer;
        next.card =
            mergedContactCard(m_server.cards.value(link.href), record, m_book.recordData(row));
        next.link.hash = bookHash;
        next.link.serverHash = comparableHash(record, m_book.recordData(row));
        next.serverSeen = serverSeen;
    } else {
        next.link.serverHash = serverSeen; // only the ETag moved on
    }
    m_plan.actions.append(next);
}

// Contacts the book lost since the last sync were deleted here; sent only
// for the version the last sync saw, or the user agreed to.
void Planner::planBookDeletions() {
    for (const QString &linked : m_extras.syncLinked) {
        const QString href = normalPath(linked);
        if (m_claimed.contains(href) || !m_server.etags.contains(href))
            continue;
        m_claimed.insert(href);
        const QString now = m_server.etags.value(href);
        if (const auto agreed = m_options.deleteOnServer.constFind(href);
            agreed != m_options.deleteOnServer.cend()) {
            SyncAction remove = action(SyncAction::Kind::DeleteOnServer, -1, {});
            remove.href = href;
            remove.etag = agreed.value();
            m_plan.actions.append(remove);
            m_deletedOnServer.insert(href);
            continue;
        }
        // Books synced before the ETags were kept: the version listed now.
        const QString last =
            m_extras.syncLinkedEtags.value(href, m_extras.syncLinkedEtags.value(linked, now));
        const bool edited = last != now;
        if (m_options.applyDeletions && !edited) {
            SyncAction remove = action(SyncAction::Kind::DeleteOnServer, -1, {});
            remove.href = href;
            remove.etag = last;
            m_plan.actions.append(remove);
            m_deletedOnServer.insert(href);
            continue;
        }
        const std::optional<ServerContact> contact = contactAt(href);
        const QString who = contact ? describeRecord(contact->record) : href;
        SyncQuestion asked = question(
            SyncQuestion::Kind::DeletedInBook,
            edited ? tr("%1: 住所録で削除されましたが、サーバーで変更されています"
                        "（サーバーの連絡先を残しました）")
                         .arg(who)
                   : tr("%1: 住所録で削除されています（--delete でサーバーからも削除）").arg(who),
            -1, href);
        asked.record = contact ? contact->record : AddressRecord();
        asked.etag = now;
        asked.server = contact;
        asked.edited = edited;
        m_plan.questions.append(asked);
        m_plan.keptLinked.append(href);
    }
}

// Contacts the book does not have yet, as far as the book has room.
void Planner::planAdditions() {
    int kept = m_book.keptCount() - m_deletedInBook;
    for (const QString &href : std::as_const(m_unclaimed)) {
        if (m_claimed.contains(href) || m_deletedOnServer.contains(href) ||
            m_undecided.contains(href))
            continue;
        const std::optional<ServerContact> contact = contactAt(href);
        if (!contact) {
            if (!m_server.cards.contains(href) &&
                m_extras.syncLeftOut.value(href) == m_server.etags.value(href)) {
                m_plan.leftOut.insert(href, m_server.etags.value(href));
                ++m_plan.leftOutUnread;
            }
            continue;
        }
        if (kept >= AddressBook::Capacity) {
            m_plan.overLimit.append(tr("%1: 住所録が 300 件のため追加していません")
                                        .arg(describeRecord(contact->record)));
            m_plan.leftOut.insert(href, m_server.etags.value(href));
            continue;
        }
        SyncAction add = action(SyncAction::Kind::AddToBook, -1,
                                {contact->uid, href, m_server.etags.value(href),
                                 contactHash(contact->record, contact->data), true,
                                 comparableHash(contact->record, contact->data)});
        add.contact = contact;
        m_plan.actions.append(add);
        m_claimed.insert(href);
        ++kept;
    }
}

SyncQuestion Planner::question(SyncQuestion::Kind kind, const QString &text, int row,
                               const QString &href) const {
    SyncQuestion asked;
    asked.kind = kind;
    asked.text = text;
    asked.row = row;
    if (row >= 0) {
        asked.record = m_book.record(row);
        asked.data = m_book.recordData(row);
    }
    asked.href = href;
    asked.etag = m_server.etags.value(href);
    return asked;
}

void Planner::conflict(int row, const SyncLink &link, const std::optional<ServerContact> &contact,
                       const QString &text) {
    SyncQuestion asked = question(SyncQuestion::Kind::Conflict, text, row, link.href);
    asked.server = contact;
    m_plan.questions.append(asked);
}

SyncAction Planner::action(SyncAction::Kind kind, int row, const SyncLink &link) const {
    SyncAction next;
    next.kind = kind;
    next.row = row;
    next.href = link.href;
    next.etag = link.etag;
    next.link = link;
    return next;
}

} // namespace

QString differenceText(const AddressRecord &book, const QJsonObject &bookData,
                       const AddressRecord &server, const QJsonObject &serverData) {
    QStringList lines;
    const auto compare = [&lines](const QString &what, const QString &here, const QString &there) {
        if (comparableName(here) != comparableName(there))
            lines.append(tr("%1 住所録「%2」／サーバー「%3」").arg(what, here, there));
    };
    const std::pair<AddressRecord::Field, const char *> fields[] = {
        {AddressRecord::Name, "宛名"},       {AddressRecord::PostalCode, "郵便番号"},
        {AddressRecord::Address1, "住所１"}, {AddressRecord::Address2, "住所２"},
        {AddressRecord::Address3, "建物名"}, {AddressRecord::Honorific, "敬称"},
        {AddressRecord::Code, "コード"},
    };
    for (const auto &[field, what] : fields)
        compare(tr(what), book.field(field), server.field(field));
    const RecordExtras here = RecordExtras::fromJson(bookData);
    const RecordExtras there = RecordExtras::fromJson(serverData);
    compare(tr("連名"), jointNamesText(here.jointNames), jointNamesText(there.jointNames));
    compare(tr("フリガナ"), here.reading, there.reading);
    compare(tr("タグ"), here.tags.join(u'・'), there.tags.join(u'・'));
    if (here.history != there.history)
        lines.append(tr("送受信・喪中の記録が違います"));
    return lines.join(tr("、"));
}

QString describeRecord(const AddressRecord &record) {
    return QStringLiteral("%1（〒%2 %3%4）")
        .arg(record.field(AddressRecord::Name), record.field(AddressRecord::PostalCode),
             record.field(AddressRecord::Address1), record.field(AddressRecord::Address2));
}

QStringList hrefsToRead(const SyncBook &book, const ServerView &server) {
    const QHash<QString, QString> &etags = server.etags;
    const BookExtras extras = BookExtras::fromJson(book.settings());
    QSet<QString> claimed;
    for (const QString &href : extras.syncDetached)
        claimed.insert(normalPath(href));
    // Left out last time for want of room, unchanged, and still no room.
    if (book.keptCount() >= AddressBook::Capacity)
        for (auto it = extras.syncLeftOut.cbegin(); it != extras.syncLeftOut.cend(); ++it)
            if (etags.value(it.key()) == it.value())
                claimed.insert(it.key());
    QStringList wanted;
    for (int row = 0; row < book.recordCount(); ++row) {
        if (book.isRemoved(row))
            continue;
        SyncLink link = syncLinkOf(book.recordData(row));
        if (!link.isSet())
            continue;
        link.href = normalPath(link.href);
        claimed.insert(link.href);
        if (!etags.contains(link.href))
            continue;
        if (etags.value(link.href) != link.etag ||
            contactHash(book.record(row), book.recordData(row)) != link.hash)
            wanted.append(link.href);
    }
    for (const QString &href : server.hrefs)
        if (!claimed.contains(href))
            wanted.append(href);
    return wanted;
}

SyncPlan planSync(const SyncBook &book, const ServerView &server, const QString &collectionPath,
                  const SyncOptions &options, const std::function<QString()> &newUid) {
    return Planner(book, server, collectionPath, options, newUid).plan();
}

} // namespace nvl
