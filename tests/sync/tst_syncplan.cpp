// The sync decided without a server: the planner over scripted states of
// the book and the address book, and the engine over an address book held
// in memory.
#include "bookdocument.h"
#include "davurl.h"
#include "syncengine.h"
#include "syncflow.h"
#include "vcard.h"

#include <QJsonArray>
#include <QtTest>

using namespace nvl;

namespace {

const QString Collection = QStringLiteral("/dav/%E5%AE%B6%E6%97%8F/");

AddressRecord person(const QString &name) {
    AddressRecord record;
    record.setField(AddressRecord::Name, name);
    record.setField(AddressRecord::PostalCode, QStringLiteral("100-0001"));
    record.setField(AddressRecord::Address1, QStringLiteral("東京都千代田区"));
    record.setField(AddressRecord::Address2, name + QStringLiteral("1-1"));
    record.setField(AddressRecord::Honorific, QStringLiteral("0"));
    return record;
}

QJsonObject withJoint(const QString &name) {
    return {{QStringLiteral("jointNames"),
             QJsonArray{QJsonObject{{QStringLiteral("name"), name},
                                    {QStringLiteral("honorific"), QStringLiteral("様")}}}}};
}

// An address book in memory: ETags count up, every request is logged as
// "VERB href If-…", and `between` runs before each write, as another client.
class MemoryDav : public DavClient {
public:
    QMap<QString, std::pair<QString, QByteArray>> contacts; // href → ETag, vCard
    QStringList log;
    std::function<void()> between;

    QUrl collectionUrl() const override {
        return QUrl(QStringLiteral("http://dav.test") + Collection);
    }
    std::optional<DavCollection> collection(DavError *) override {
        return DavCollection{QStringLiteral("家族"), true};
    }
    std::optional<QList<DavItem>> list(DavError *) override {
        QList<DavItem> items;
        for (auto it = contacts.cbegin(); it != contacts.cend(); ++it)
            items.append({it.key(), it.value().first, {}});
        return items;
    }
    std::optional<QList<DavItem>> fetch(const QStringList &hrefs, DavError *) override {
        QList<DavItem> items;
        for (const QString &href : hrefs)
            if (contacts.contains(href))
                items.append({href, contacts[href].first, contacts[href].second});
        return items;
    }
    std::optional<QString> put(const QString &href, const QByteArray &card, const QString &etag,
                               DavError *error) override {
        log.append(QStringLiteral("PUT %1 %2").arg(href, etag.isEmpty() ? "*" : etag));
        if (between)
            between();
        if (etag.isEmpty() ? contacts.contains(href) : contacts.value(href).first != etag) {
            *error = {DavFailure::Precondition, QStringLiteral("412")};
            return std::nullopt;
        }
        contacts[href] = {next(), card};
        return contacts[href].first;
    }
    bool remove(const QString &href, const QString &etag, DavError *error) override {
        log.append(QStringLiteral("DELETE %1 %2").arg(href, etag));
        if (between)
            between();
        if (contacts.contains(href) && contacts[href].first != etag) {
            *error = {DavFailure::Precondition, QStringLiteral("412")};
            return false;
        }
        contacts.remove(href);
        return true;
    }
    void edit(const QString &href, const QByteArray &from, const QByteArray &to) {
        contacts[href].second.replace(from, to);
        contacts[href].first = next();
    }
    QString hrefOf(const QString &name) const {
        for (auto it = contacts.cbegin(); it != contacts.cend(); ++it)
            if (it.value().second.contains(("FN:" + name).toUtf8()))
                return it.key();
        return {};
    }

private:
    QString next() { return QStringLiteral("\"e%1\"").arg(++m_etag); }
    int m_etag = 0;
};

// 甲, 乙 and 丙, synced once with `dav` (甲 with a 連名): the state every
// row starts from.
struct Synced {
    BookDocument book;
    MemoryDav dav;
    int uids = 0;
    SyncReport sync(SyncOptions options = {}) {
        SyncFlow flow(book, [](const std::function<void()> &edit) {
            edit();
            return QString();
        });
        flow.adopt(dav.collectionUrl());
        SyncBook copy = flow.copy();
        SyncEngine engine(copy, dav, options, flow.checkpoint());
        engine.newUid = [this] {
            return QStringLiteral("u%1").arg(++uids);
        };
        SyncReport report = engine.run();
        if (report.ok())
            flow.finish(copy);
        return report;
    }
    int row(const QString &name) const {
        for (int row = 0; row < book.recordCount(); ++row)
            if (book.record(row + 1).field(AddressRecord::Name) == name)
                return row;
        return -1;
    }
    void editInBook(const QString &name) {
        AddressRecord record = book.record(row(name) + 1);
        record.setField(AddressRecord::Address2, QStringLiteral("住所録で直した番地"));
        book.setRecord(row(name), record);
    }
    QStringList names() const {
        QStringList list;
        for (int row = 0; row < book.recordCount(); ++row)
            list.append(book.record(row + 1).field(AddressRecord::Name));
        list.sort();
        return list;
    }
};

QString summary(const SyncReport &report) {
    QStringList parts;
    const auto count = [&parts](const char *what, int n) {
        if (n > 0)
            parts.append(QStringLiteral("%1 %2").arg(QLatin1String(what)).arg(n));
    };
    count("uploaded", report.uploaded);
    count("server", report.updatedOnServer);
    count("book", report.updatedInBook);
    count("added", report.added);
    count("linked", report.linked);
    count("deleted", report.deleted);
    for (const SyncQuestion &question : report.questions)
        parts.append(QStringLiteral("?%1%2 %3")
                         .arg(int(question.kind))
                         .arg(question.edited ? QStringLiteral("e") : QString())
                         .arg(question.record.field(AddressRecord::Name)));
    if (!report.notes.isEmpty())
        parts.append(QStringLiteral("notes %1").arg(report.notes.size()));
    if (report.emptied.side != EmptiedSide::Side::None)
        parts.append(QStringLiteral("emptied %1 %2")
                         .arg(int(report.emptied.side))
                         .arg(report.emptied.count));
    return parts.join(QStringLiteral(", "));
}

} // namespace

class TestSyncPlan : public QObject {
    Q_OBJECT
private slots:
    void init();
    void planned_data();
    void planned();
    void deleteCarriesTheLastSyncsEtag();
    void ownValuesInEveryServerForm_data();
    void ownValuesInEveryServerForm();
    void hrefsInOneForm_data();
    void hrefsInOneForm();

private:
    std::unique_ptr<Synced> m_synced;
};

void TestSyncPlan::init() {
    m_synced = std::make_unique<Synced>();
    BookDocument &book = m_synced->book;
    for (const char *name : {"甲", "乙", "丙"})
        QVERIFY(book.insertRecord(book.recordCount(), person(QString::fromUtf8(name))));
    book.setRecordData(0, withJoint(QStringLiteral("花子")));
    QCOMPARE(summary(m_synced->sync()), QStringLiteral("uploaded 3"));
    QCOMPARE(summary(m_synced->sync()), QString());
}

// Each row changes the synced state, syncs once, and says what the sync
// did and left; then what the book and the server hold.
void TestSyncPlan::planned_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("bookAfter");
    QTest::addColumn<int>("serverAfter");

    QTest::newRow("nothing changed") << ""
                                     << ""
                                     << ""
                                     << "丙 乙 甲" << 3;
    QTest::newRow("edited in the book") << "book-edit 甲"
                                        << ""
                                        << "server 1"
                                        << "丙 乙 甲" << 3;
    QTest::newRow("edited on the server") << "server-edit 甲"
                                          << ""
                                          << "book 1"
                                          << "丙 乙 甲" << 3;
    QTest::newRow("edited on both sides") << "book-edit 甲,server-edit 甲"
                                          << ""
                                          << "?0 甲"
                                          << "丙 乙 甲" << 3;
    QTest::newRow("new on each side") << "book-new 丁,server-new 戊"
                                      << ""
                                      << "uploaded 1, added 1"
                                      << "丁 丙 乙 戊 甲" << 5;
    QTest::newRow("deleted on the server, kept without --delete") << "server-delete 乙"
                                                                  << ""
                                                                  << "?1 乙"
                                                                  << "丙 乙 甲" << 2;
    QTest::newRow("deleted on the server, --delete") << "server-delete 乙"
                                                     << "delete"
                                                     << "deleted 1"
                                                     << "丙 甲" << 2;
    QTest::newRow("deleted in the book, kept without --delete") << "book-delete 乙"
                                                                << ""
                                                                << "?2 乙"
                                                                << "丙 甲" << 3;
    QTest::newRow("deleted in the book, --delete") << "book-delete 乙"
                                                   << "delete"
                                                   << "deleted 1"
                                                   << "丙 甲" << 2;
    QTest::newRow("deleted on the server, edited in the book: kept and listed")
        << "server-delete 乙,book-edit 乙"
        << "delete"
        << "?1e 乙"
        << "丙 乙 甲" << 2;
    QTest::newRow("deleted in the book, edited on the server: kept and listed")
        << "book-delete 乙,server-edit 乙"
        << "delete"
        << "?2e 乙"
        << "丙 甲" << 3;
    QTest::newRow("server emptied: refused") << "server-delete 甲,server-delete 乙,server-delete 丙"
                                             << "delete"
                                             << "emptied 1 3"
                                             << "丙 乙 甲" << 0;
    QTest::newRow("server emptied, --force-delete")
        << "server-delete 甲,server-delete 乙,server-delete 丙"
        << "force"
        << "deleted 3"
        << "" << 0;
    QTest::newRow("book emptied: refused") << "book-delete 甲,book-delete 乙,book-delete 丙"
                                           << "delete"
                                           << "emptied 2 3"
                                           << "" << 3;
    QTest::newRow("book emptied, --force-delete") << "book-delete 甲,book-delete 乙,book-delete 丙"
                                                  << "force"
                                                  << "deleted 3"
                                                  << "" << 0;
    QTest::newRow("another collection: linked again by name, nothing doubled") << "new-collection"
                                                                               << "delete"
                                                                               << "linked 3"
                                                                               << "丙 乙 甲" << 3;
    QTest::newRow("a new, empty collection with --delete: the book stays whole")
        << "new-collection,server-delete 甲,server-delete 乙,server-delete 丙"
        << "delete"
        << "uploaded 3"
        << "丙 乙 甲" << 3;
    QTest::newRow("連名 escaped by the server reads as written") << "server-escape 甲"
                                                                 << ""
                                                                 << ""
                                                                 << "丙 乙 甲" << 3;
    QTest::newRow("hrefs kept decoded by an older build") << "decoded-hrefs"
                                                          << ""
                                                          << ""
                                                          << "丙 乙 甲" << 3;
    QTest::newRow("first sync: the same contact is linked, not doubled") << "unlinked"
                                                                         << ""
                                                                         << "linked 3"
                                                                         << "丙 乙 甲" << 3;
    QTest::newRow("first sync, the server's differs: linked, asked") << "unlinked,server-edit 乙"
                                                                     << ""
                                                                     << "linked 3, ?0 乙"
                                                                     << "丙 乙 甲" << 3;
}

void TestSyncPlan::planned() {
    QFETCH(QString, change);
    QFETCH(QString, options);
    QFETCH(QString, expected);
    QFETCH(QString, bookAfter);
    QFETCH(int, serverAfter);
    Synced &s = *m_synced;
    for (const QString &step : change.split(u',', Qt::SkipEmptyParts)) {
        const QString what = step.section(u' ', 0, 0);
        const QString name = step.section(u' ', 1);
        const QString href = s.dav.hrefOf(name);
        if (what == QLatin1String("book-edit")) {
            s.editInBook(name);
        } else if (what == QLatin1String("book-delete")) {
            s.book.removeRecord(s.row(name));
        } else if (what == QLatin1String("book-new")) {
            QVERIFY(s.book.insertRecord(s.book.recordCount(), person(name)));
        } else if (what == QLatin1String("server-edit")) {
            s.dav.edit(href, "1-1", "9-9");
        } else if (what == QLatin1String("server-delete")) {
            s.dav.contacts.remove(href);
        } else if (what == QLatin1String("server-new")) {
            s.dav.contacts[Collection + QStringLiteral("phone.vcf")] = {
                QStringLiteral("\"p\""), writeVCards({person(name)})};
        } else if (what == QLatin1String("server-escape")) {
            s.dav.edit(href, "X-NVL-RENMEI:花子\\;様", "X-NVL-RENMEI:花子;様");
            QVERIFY(s.dav.contacts[href].second.contains("X-NVL-RENMEI:花子;様"));
        } else if (what == QLatin1String("new-collection")) {
            BookExtras extras = BookExtras::fromJson(s.book.bookSettings());
            extras.syncCollection = QStringLiteral("http://old.test/dav/ab/");
            s.book.setBookSettings(extras.toJson());
        } else if (what == QLatin1String("decoded-hrefs") || what == QLatin1String("unlinked")) {
            for (int row = 0; row < s.book.recordCount(); ++row) {
                SyncLink link = syncLinkOf(s.book.recordData(row));
                link.href = QUrl::fromPercentEncoding(link.href.toUtf8());
                s.book.setRecordData(row, what == QLatin1String("unlinked")
                                              ? withoutSyncLink(s.book.recordData(row))
                                              : withSyncLink(s.book.recordData(row), link));
            }
            if (what == QLatin1String("unlinked")) {
                BookExtras extras = BookExtras::fromJson(s.book.bookSettings());
                extras.forgetSync();
                s.book.setBookSettings(extras.toJson());
            }
        }
    }
    SyncOptions chosen;
    chosen.applyDeletions = !options.isEmpty();
    chosen.forceDelete = options == QLatin1String("force");
    QCOMPARE(summary(s.sync(chosen)), expected);
    QCOMPARE(s.names().join(u' '), bookAfter);
    QCOMPARE(int(s.dav.contacts.size()), serverAfter);
    // Whatever was left to the user, nothing is done twice.
    const QStringList writes = s.dav.log;
    const SyncReport again = s.sync(chosen);
    QVERIFY2(again.uploaded + again.updatedOnServer + again.added + again.linked == 0,
             qPrintable(summary(again)));
    QCOMPARE(s.dav.log.size(), writes.size());
}

// A contact deleted in the book goes only if the server still holds the
// version the last sync saw: the DELETE says which, and a change made
// meanwhile by another client stops it.
void TestSyncPlan::deleteCarriesTheLastSyncsEtag() {
    Synced &s = *m_synced;
    const QString href = s.dav.hrefOf(QStringLiteral("乙"));
    const QString seen = s.dav.contacts[href].first;
    s.book.removeRecord(s.row(QStringLiteral("乙")));
    s.dav.between = [&s, &href] {
        s.dav.between = nullptr;
        s.dav.edit(href, "1-1", "5-5");
    };
    SyncOptions options;
    options.applyDeletions = true;
    const SyncReport report = s.sync(options);
    QCOMPARE(s.dav.log.last(), QStringLiteral("DELETE %1 %2").arg(href, seen));
    QCOMPARE(summary(report), QStringLiteral("notes 1"));
    QVERIFY(s.dav.contacts.contains(href));
    // The next sync sees the edit and leaves it to the user.
    QCOMPARE(summary(s.sync(options)), QStringLiteral("?2e 乙"));
    QVERIFY(s.dav.contacts.contains(href));
}

// The forms the program's own values take on servers: as written today
// (escaped text), as older builds wrote them (bare separators, which
// Xandikos keeps), and as Radicale re-serialises the older form.
void TestSyncPlan::ownValuesInEveryServerForm_data() {
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("joint");
    QTest::addColumn<QString>("marks");
    QTest::newRow("older build, bare")
        << QByteArray("X-NVL-RENMEI:恵子;様\r\nX-NVL-HISTORY:2025=mourning;2026=sent,received\r\n")
        << "恵子/様"
        << "2025:mourning 2026:sent,received";
    QTest::newRow("re-escaped by a server")
        << QByteArray(
               "X-NVL-RENMEI:恵子\\;様\r\nX-NVL-HISTORY:2025=mourning\\;2026=sent\\,received\r\n")
        << "恵子/様"
        << "2025:mourning 2026:sent,received";
    QTest::newRow("a name holding ; and ,")
        << QByteArray("X-NVL-RENMEI:a\\;b\\,c\\;くん\r\n") << "a;b,c/くん"
        << "";
    QTest::newRow("older build, a name holding ;")
        << QByteArray("X-NVL-RENMEI:a\\;b;くん\r\n") << "a;b/くん"
        << "";
    QTest::newRow("no honorific") << QByteArray("X-NVL-RENMEI:恵子\\;\r\n") << "恵子/"
                                  << "";
}

void TestSyncPlan::ownValuesInEveryServerForm() {
    QFETCH(QByteArray, lines);
    QFETCH(QString, joint);
    QFETCH(QString, marks);
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:甲\r\nADR;TYPE=HOME:;;1-1;千代田区;"
                            "東京都;100-0001;\r\n" +
                            lines + "END:VCARD\r\n";
    const std::optional<ServerContact> read = readServerContact(card);
    QVERIFY(read);
    const JointNames names = jointNamesOf(read->data);
    QCOMPARE(names.size(), 1);
    QCOMPARE(names.first().name + u'/' + names.first().honorific, joint);
    QStringList years;
    const YearMarks history = yearMarksOf(read->data);
    for (auto it = history.cbegin(); it != history.cend(); ++it)
        years.append(
            QStringLiteral("%1:%2").arg(it.key()).arg(yearMarkKeys(it.value()).join(u',')));
    QCOMPARE(years.join(u' '), marks);
    // Written back, it is the same contact, in the escaped form.
    const QByteArray again = newContactCard(read->record, read->data, QStringLiteral("u"));
    QCOMPARE(contactHash(readServerContact(again)->record, readServerContact(again)->data),
             contactHash(read->record, read->data));
    for (const QByteArray &line : again.split('\n'))
        if (line.startsWith("X-NVL-"))
            QVERIFY2(!line.contains(';') || line.count(';') == line.count("\\;"), line);
}

void TestSyncPlan::hrefsInOneForm_data() {
    QTest::addColumn<QString>("collection");
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("expected");
    const QString encoded = QStringLiteral("/dav/%E5%AE%B6%E6%97%8F/");
    QTest::newRow("decoded") << "http://h/dav/家族/"
                             << "/dav/家族/a.vcf" << encoded + "a.vcf";
    QTest::newRow("lower-case escapes") << "http://h/dav/%e5%ae%b6%e6%97%8f/"
                                        << "/dav/%e5%ae%b6%e6%97%8f/a.vcf" << encoded + "a.vcf";
    QTest::newRow("unreserved escaped") << "http://h/ab/"
                                        << "/ab/%7Ea%2Db.vcf"
                                        << "/ab/~a-b.vcf";
    QTest::newRow("a space") << "http://h/my book/"
                             << "/my%20book/x.vcf"
                             << "/my%20book/x.vcf";
    QTest::newRow("absolute, host case, default port") << "http://h/ab/"
                                                       << "HTTP://H:80/ab/x.vcf"
                                                       << "/ab/x.vcf";
    QTest::newRow("relative") << "http://h/ab/"
                              << "x.vcf"
                              << "/ab/x.vcf";
    QTest::newRow("another origin") << "http://h/ab/"
                                    << "http://evil:81/ab/x.vcf"
                                    << "";
    QTest::newRow("outside the collection") << "http://h/ab/"
                                            << "/ab/../etc/x.vcf"
                                            << "";
    QTest::newRow("the collection itself") << "http://h/ab/"
                                           << "/ab/"
                                           << "";
}

void TestSyncPlan::hrefsInOneForm() {
    QFETCH(QString, collection);
    QFETCH(QString, href);
    QFETCH(QString, expected);
    QCOMPARE(hrefInCollection(QUrl(collection), href), expected);
    QVERIFY(sameCollection(collection, normalCollection(QUrl(collection)).toString()));
    QVERIFY(!sameCollection(collection, QStringLiteral("http://h/other/")));
}

QTEST_GUILESS_MAIN(TestSyncPlan)
#include "tst_syncplan.moc"
