// nvl-hagaki sync as its own process beside the servers and clients a
// family uses: Radicale and Xandikos, with vdirsyncer editing the same
// address book as a phone would. Every function runs once on each server.
#include "bookdocument.h"
#include "buildpaths.h"
#include "davserver.h"
#include "fakeplatform.h"
#include "recordextras.h"
#include "syncbooks.h"
#include "testmain.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

QStringList numbered(const QString &stem, int count) {
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names.append(stem + QString::number(i));
    return names;
}

QString fnOf(const QByteArray &card) {
    for (const QByteArray &line : card.split('\n'))
        if (line.startsWith("FN:"))
            return QString::fromUtf8(line.mid(3)).trimmed();
    return {};
}

} // namespace

class TestSyncPeers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data();
    void init();
    void renmeiAndMarksSurviveAnotherClientsEdit();
    void twoBooksAndAPhoneConverge();
    void deleteAgainstANewEmptyCollection();
    void percentEncodedCollection();
    void contactsStayAsPhonesWroteThem();
    void addressBooksFoundFromTheRoot();

private:
    int sync(const QString &book, const QString &url, const QStringList &extra = {},
             QString *errors = nullptr);
    // vdirsyncer between the address book and a folder of vCards: the phone.
    void phoneSync(const QString &url);
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList serverNames(const QString &url);

    DavServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_counts; // what the last sync did, as it printed it
};

void TestSyncPeers::initTestCase_data() {
    QTest::addColumn<QString>("fixture");
    QTest::newRow("radicale") << qEnvironmentVariable("NVL_RADICALE");
    QTest::newRow("xandikos") << qEnvironmentVariable("NVL_XANDIKOS");
}

void TestSyncPeers::init() {
    QFETCH_GLOBAL(QString, fixture);
    if (!m_server.useFixture(fixture))
        NVL_SKIP_UNLESS_CI(QStringLiteral("no CardDAV server fixture (%1)").arg(fixture));
    m_dir = std::make_unique<QTemporaryDir>();
    writeBytes(path(QStringLiteral("password")), "secret\n");
}

int TestSyncPeers::sync(const QString &book, const QString &url, const QStringList &extra,
                        QString *errors) {
    QProcess process;
    process.start(builtProgram(), QStringList{"sync", book, url, "--user", "alice",
                                              "--password-file", path(QStringLiteral("password"))} +
                                      extra);
    process.waitForFinished(60000);
    m_counts = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    const QString said = QString::fromUtf8(process.readAllStandardError());
    if (errors)
        *errors = said;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestSyncPeers::phoneSync(const QString &url) {
    const QString config = path(QStringLiteral("phone.conf"));
    if (!QFile::exists(config)) {
        QDir(m_dir->path()).mkpath(QStringLiteral("phone"));
        writeBytes(config, QStringLiteral("[general]\nstatus_path = \"%1/status/\"\n"
                                          "[pair phone]\na = \"local\"\nb = \"server\"\n"
                                          "collections = null\nconflict_resolution = \"b wins\"\n"
                                          "[storage local]\ntype = \"filesystem\"\n"
                                          "path = \"%1/phone/\"\nfileext = \".vcf\"\n"
                                          "[storage server]\ntype = \"carddav\"\nurl = \"%2\"\n"
                                          "username = \"alice\"\npassword = \"secret\"\n")
                               .arg(m_dir->path(), url)
                               .toUtf8());
        QProcess discover;
        discover.start(QStringLiteral("vdirsyncer"), {"-c", config, "discover", "phone"});
        discover.write("y\ny\n");
        discover.closeWriteChannel();
        QVERIFY(discover.waitForFinished(60000));
    }
    QProcess phone;
    phone.start(QStringLiteral("vdirsyncer"), {"-c", config, "sync"});
    QVERIFY2(phone.waitForFinished(60000) && phone.exitCode() == 0,
             phone.readAllStandardError().constData());
}

QStringList TestSyncPeers::serverNames(const QString &url) {
    QStringList names;
    for (const QByteArray &card : m_server.cards(url))
        names.append(fnOf(card));
    names.sort();
    return names;
}

// Three 連名 and marks for two years stay whole through the server and
// another client's edit of the contact's phone: the book takes the edited
// contact and keeps every name, honorific and mark.
void TestSyncPeers::renmeiAndMarksSurviveAnotherClientsEdit() {
    const QString url = m_server.addressBook(QStringLiteral("peers-renmei"));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"山田 太郎"})));
    {
        BookDocument document;
        QVERIFY(document.load(book).ok());
        RecordExtras extras;
        extras.jointNames = {{QStringLiteral("花子"), QStringLiteral("様")},
                             {QStringLiteral("健太"), QStringLiteral("くん")},
                             {QStringLiteral("恵子;"), QStringLiteral("ちゃん")}};
        extras.history = {{2025, int(YearMark::Mourning)},
                          {2026, int(YearMark::Sent) | int(YearMark::Received)}};
        document.setRecordData(0, extras.toJson());
        QVERIFY(document.save().ok());
    }
    QCOMPARE(sync(book, url), 0);
    phoneSync(url);
    const QStringList files = QDir(path(QStringLiteral("phone"))).entryList({"*.vcf"});
    QCOMPARE(files.size(), 1);
    const QString file = path(QStringLiteral("phone/") + files.first());
    QByteArray card = readBytes(file);
    card.replace("END:VCARD", "TEL;TYPE=CELL:090-1234-5678\r\nEND:VCARD");
    writeBytes(file, card);
    phoneSync(url);

    QString errors;
    QCOMPARE(sync(book, url, {}, &errors), 0);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    BookDocument document;
    QVERIFY(document.load(book).ok());
    const RecordExtras extras = RecordExtras::fromJson(document.recordData(0));
    QCOMPARE(jointNamesText(extras.jointNames), QStringLiteral("花子 様・健太 くん・恵子; ちゃん"));
    QCOMPARE(extras.history.value(2025), int(YearMark::Mourning));
    QCOMPARE(extras.history.value(2026), int(YearMark::Sent) | int(YearMark::Received));
    QVERIFY(m_server.cards(url).first().contains("090-1234-5678"));
    // Nothing left standing between the two.
    QCOMPARE(sync(book, url, {}, &errors), 0);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
}

// Two PCs and a phone over three rounds of edits, additions and deletions
// on all three: every side ends with the same people, each once.
void TestSyncPeers::twoBooksAndAPhoneConverge() {
    const QString url = m_server.addressBook(QStringLiteral("peers-family"));
    const QString first = path(QStringLiteral("first.dat"));
    const QString second = path(QStringLiteral("second.dat"));
    writeBytes(first, cp932(bookText(numbered(QStringLiteral("家族"), 8))));
    writeBytes(second, cp932(bookText(numbered(QStringLiteral("家族"), 4) +
                                      QStringList{"友人1", "友人2"})));
    const QStringList both{"--delete"};
    QCOMPARE(sync(first, url, both), 0);
    QCOMPARE(sync(second, url, both), 0);
    phoneSync(url);
    for (int round = 1; round <= 3; ++round) {
        BookDocument document;
        QVERIFY(document.load(first).ok());
        AddressRecord edited = document.record(round);
        edited.setField(AddressRecord::Address2, QStringLiteral("一台目の番地%1").arg(round));
        document.setRecord(round - 1, edited);
        QVERIFY(document.save().ok());
        QVERIFY(document.load(second).ok());
        QVERIFY(document.insertRecord(document.recordCount(), [round] {
            AddressRecord record;
            record.setField(AddressRecord::Name, QStringLiteral("二台目%1").arg(round));
            record.setField(AddressRecord::Address1, QStringLiteral("大阪府大阪市"));
            record.setField(AddressRecord::Honorific, QStringLiteral("0"));
            return record;
        }()));
        QVERIFY(document.save().ok());
        // The phone adds one and deletes the one the round before added.
        QDir phone(path(QStringLiteral("phone")));
        writeBytes(phone.filePath(QStringLiteral("p%1.vcf").arg(round)),
                   QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:p%1\r\nFN:電話%1\r\n"
                                  "N:電話;%1;;;\r\nADR;TYPE=HOME:;;1-%1;港区;東京都;108-0075;\r\n"
                                  "END:VCARD\r\n")
                       .arg(round)
                       .toUtf8());
        if (round > 1)
            QVERIFY(phone.remove(QStringLiteral("p%1.vcf").arg(round - 1)));
        QCOMPARE(sync(first, url, both), 0);
        phoneSync(url);
        QCOMPARE(sync(second, url, both), 0);
        QCOMPARE(sync(first, url, both), 0);
    }
    phoneSync(url);
    QString errors;
    for (const QString &book : {first, second}) {
        QCOMPARE(sync(book, url, both, &errors), 0);
        QVERIFY2(errors.isEmpty(), qPrintable(errors));
    }
    const QStringList names = serverNames(url);
    QCOMPARE(names.size(), 8 + 2 + 3 + 1);
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    QVERIFY(names.contains(QStringLiteral("電話3")) && !names.contains(QStringLiteral("電話2")));
    QCOMPARE(namesIn(first), names);
    QCOMPARE(namesIn(second), names);
    QCOMPARE(int(QDir(path(QStringLiteral("phone"))).entryList({"*.vcf"}).size()), names.size());
    BookDocument document;
    QVERIFY(document.load(second).ok());
    for (int row = 1; row <= document.recordCount(); ++row)
        if (document.record(row).field(AddressRecord::Name) == QStringLiteral("家族3"))
            QCOMPARE(document.record(row).field(AddressRecord::Address2),
                     QStringLiteral("一台目の番地3"));
}

// A new address book, empty, is not "every contact deleted": the book is
// linked again there and stays whole, even with --delete.
void TestSyncPeers::deleteAgainstANewEmptyCollection() {
    const QString used = m_server.addressBook(QStringLiteral("peers-used"));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText(numbered(QStringLiteral("宛名"), 20))));
    QCOMPARE(sync(book, used), 0);
    const QString fresh = m_server.addressBook(QStringLiteral("peers-fresh"));
    QString errors;
    QCOMPARE(sync(book, fresh, {"--delete"}, &errors), 0);
    QCOMPARE(namesIn(book).size(), 20);
    QVERIFY2(errors.contains(QStringLiteral("同期先が")), qPrintable(errors));
    QCOMPARE(serverNames(fresh).size(), 20);
    QCOMPARE(serverNames(used).size(), 20);
}

// An address book whose name is percent-encoded in its URL keeps its 20
// contacts and the book its 20 records, sync after sync.
void TestSyncPeers::percentEncodedCollection() {
    const QString url = m_server.addressBook(QStringLiteral("peers 家族 2026"));
    QVERIFY2(url.contains(QStringLiteral("%20%E5%AE%B6%E6%97%8F%202026")), qPrintable(url));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText(numbered(QStringLiteral("宛名"), 20))));
    for (int round = 0; round < 3; ++round) {
        QString errors;
        QCOMPARE(sync(book, url, {"--delete"}, &errors), 0);
        QVERIFY2(errors.isEmpty(), qPrintable(errors));
        QCOMPARE(namesIn(book).size(), 20);
        QCOMPARE(serverNames(url).size(), 20);
        if (round > 0)
            QVERIFY2(m_counts.startsWith(QStringLiteral("送信 0 件、サーバーで更新 0 件、"
                                                        "住所録で更新 0 件、追加 0 件")) &&
                         m_counts.endsWith(QStringLiteral("削除 0 件")),
                     qPrintable(m_counts));
    }
}

// Contacts as Apple, Google, Nextcloud and DAVx5 write them
// (tests/data/sync-shapes): the first sync links people by every name and
// leaves groups out; differences only of writing are no conflict; a book
// edit rewrites the one address it was read from and nothing else.
void TestSyncPeers::contactsStayAsPhonesWroteThem() {
    const QString url = m_server.addressBook(QStringLiteral("peers-shapes"));
    const QDir shapes(QFINDTESTDATA("../data/sync-shapes"));
    for (const QString &name : shapes.entryList({"*.vcf"})) {
        m_server.send("PUT", QUrl(url).path() + name, readBytes(shapes.filePath(name)));
        QVERIFY2(m_server.status == 201 || m_server.status == 204, qPrintable(name));
    }
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book,
               cp932(QStringLiteral(
                   "\"山本 花子\",\"東京都武蔵野市\",\"緑町1-2-3\",\"180-0012\",\"\",\"0\",\"\"\r\n"
                   "\"加藤 誠\",\"東京都千代田区\",\"大手町1-1\",\"100-0004\",\"\",\"0\",\"\"\r\n"
                   "\"株式会社さくら商事\",\"東京都渋谷区\",\"神南1-2-3\",\"150-0041\",\"\",\"2\","
                   "\"\"\r\n"
                   "\"小川 直樹\",\"東京都新宿区\",\"西新宿2-8-1\",\"163-8001\",\"\",\"0\",\"\"\r\n"
                   "\"佐々木 健\",\"福岡県福岡市中央区\",\"大濠公園1-5\",\"810-0051\",\"\",\"0\","
                   "\"\"\r\n"
                   "\"岡本 美穂\",\"東京都中野区\",\"本町3-3\",\"164-0012\",\"\",\"0\",\"\"\r\n")));
    const QMap<QString, QByteArray> before = m_server.cards(url);
    QString errors;
    // 小川's card says Naoki Ogawa: linked, the names left to the user.
    QCOMPARE(sync(book, url, {}, &errors), 3);
    QVERIFY2(errors.contains(QStringLiteral("宛名 住所録「小川 直樹」／サーバー「Naoki Ogawa」")),
             qPrintable(errors));
    QCOMPARE(namesIn(book).size(), 6);
    QCOMPARE(m_server.cards(url).size(), before.size());
    for (const char *unchanged : {"davx5-written-otherwise.vcf", "davx5-full-width-blank.vcf",
                                  "apple-group.vcf", "nextcloud-group.vcf"})
        QCOMPARE(m_server.cards(url).value(QLatin1String(unchanged)),
                 before.value(QLatin1String(unchanged)));
    QCOMPARE(sync(book, url, {"--prefer", "book"}, &errors), 0);

    BookDocument document;
    QVERIFY(document.load(book).ok());
    for (int row = 1; row <= document.recordCount(); ++row) {
        AddressRecord record = document.record(row);
        record.setField(AddressRecord::Address2,
                        QString(record.field(AddressRecord::Address2)).replace(u'1', u'9'));
        document.setRecord(row - 1, record);
    }
    QVERIFY(document.save().ok());
    const QMap<QString, QByteArray> edited = m_server.cards(url);
    QCOMPARE(sync(book, url, {}, &errors), 0);
    QMap<QString, QByteArray> after = m_server.cards(url);
    for (QByteArray &card : after)
        card.replace("\r\n ", ""); // unfolded, as a reader sees it
    const auto adrs = [](QByteArray card) {
        QList<QByteArray> lines;
        for (const QByteArray &line : card.replace("\r\n ", "").split('\n'))
            if (line.contains("ADR") && !line.contains("X-ABADR"))
                lines.append(line.trimmed());
        return lines;
    };
    // Google's: the home address edited; work, the second home, other alike.
    QList<QByteArray> was = adrs(edited.value(QStringLiteral("google-four-addresses.vcf")));
    QList<QByteArray> now = adrs(after.value(QStringLiteral("google-four-addresses.vcf")));
    QCOMPARE(now.size(), 4);
    QCOMPARE(int(now.count(was.at(0)) + now.count(was.at(2)) + now.count(was.at(3))), 3);
    QVERIFY(now.at(1).contains(QStringLiteral("緑町9-2-3").toUtf8()));
    // Nextcloud's work-only contact: still one address, the edited one.
    now = adrs(after.value(QStringLiteral("nextcloud-work-only.vcf")));
    QCOMPARE(now.size(), 1);
    QVERIFY(now.first().contains(QStringLiteral("大手町9-9").toUtf8()));
    QVERIFY(now.first().toUpper().contains("WORK"));
    // Apple's company card: its group, pref, country and empty N kept.
    const QString apple = QString::fromUtf8(after.value(QStringLiteral("apple-company.vcf")));
    for (const QString &kept :
         {QStringLiteral("item1.ADR"), QStringLiteral("神南9-2-3;渋谷区;東京都;150-0041;日本"),
          QStringLiteral("pref"), QStringLiteral("item1.X-ABADR:jp"), QStringLiteral("N:;;;;")})
        QVERIFY2(apple.contains(kept, Qt::CaseInsensitive), qPrintable(kept + u'\n' + apple));
    for (const char *group : {"apple-group.vcf", "nextcloud-group.vcf"})
        QCOMPARE(m_server.cards(url).value(QLatin1String(group)),
                 before.value(QLatin1String(group)));
    QCOMPARE(sync(book, url, {}, &errors), 0);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
}

// From the server's root alone, on either server: --list names the address
// books there with their contacts, several need --addressbook, and the one
// named is synced and kept.
void TestSyncPeers::addressBooksFoundFromTheRoot() {
    const QString name = QStringLiteral("found-%1").arg(QDateTime::currentMSecsSinceEpoch());
    const QString url = m_server.addressBook(name);
    const QString root = m_server.base.toString();
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"甲"})));
    QCOMPARE(sync(book, root, {"--list"}), 0);
    QVERIFY2(m_counts.contains(name + QStringLiteral("\t")), qPrintable(m_counts));
    QVERIFY(!QFile::exists(book + QStringLiteral(".nvl")));
    QString errors;
    QCOMPARE(sync(book, root, {}, &errors), 2);
    QVERIFY2(errors.contains(name), qPrintable(errors));
    QCOMPARE(sync(book, root, {"--addressbook", name}, &errors), 0);
    QCOMPARE(serverNames(url), QStringList{"甲"});
    QVERIFY(readBytes(book + QStringLiteral(".nvl")).contains(QUrl(url).path().toUtf8()));
}

QTEST_MAIN(TestSyncPeers)
#include "tst_syncpeers.moc"
