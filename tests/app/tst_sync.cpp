// nvl-hagaki sync run as its own process against a real CardDAV server
// (Radicale, started by the CTest fixture on 127.0.0.1).
#include "bookdocument.h"
#include "buildpaths.h"
#include "davserver.h"
#include "fakeplatform.h"
#include "syncbooks.h"
#include "syncengine.h"
#include "synctask.h"
#include "testmain.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

QByteArray card(const QString &uid, const QString &name, const QString &street,
                const QByteArray &extra = {}) {
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\n"
                          "ADR;TYPE=HOME:;;%3;千代田区;東京都;100-0001;\r\n")
               .arg(uid, name, street)
               .toUtf8() +
           extra + "END:VCARD\r\n";
}

// Forwards connections to the server until `requests` requests have gone
// through, then drops every connection and listens no more: a server
// killed between two requests.
class CuttingProxy : public QTcpServer {
public:
    CuttingProxy(quint16 target, int requests) : m_target(target), m_left(requests) {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = nextPendingConnection())
                relay(client);
        });
        listen(QHostAddress::LocalHost);
    }

private:
    void relay(QTcpSocket *client) {
        auto *upstream = new QTcpSocket(this);
        upstream->connectToHost(QHostAddress::LocalHost, m_target);
        m_open.append(std::pair{client, upstream});
        connect(client, &QTcpSocket::readyRead, this, [this, client, upstream] {
            const QByteArray bytes = client->readAll();
            for (const char *verb : {"PROPFIND ", "REPORT ", "PUT ", "DELETE ", "GET "})
                m_left -=
                    int(bytes.count(QByteArray("\r\n") + verb) + (bytes.startsWith(verb) ? 1 : 0));
            if (m_left < 0) {
                cut();
                return;
            }
            upstream->write(bytes);
        });
        connect(upstream, &QTcpSocket::readyRead, this,
                [client, upstream] { client->write(upstream->readAll()); });
    }
    void cut() {
        close();
        for (const auto &[client, upstream] : std::as_const(m_open)) {
            client->abort();
            upstream->abort();
        }
    }
    quint16 m_target;
    int m_left;
    QList<std::pair<QTcpSocket *, QTcpSocket *>> m_open;
};

// Radicale behind TLS, with the test's own certificate for 127.0.0.1
// (tests/data/tls, self-signed, valid until 2126).
class TlsFront : public QSslServer {
public:
    TlsFront(quint16 target, const QByteArray &certificate, const QByteArray &key)
        : m_target(target) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate(certificate));
        tls.setPrivateKey(QSslKey(key, QSsl::Rsa));
        setSslConfiguration(tls);
        connect(this, &QSslServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket *client = nextPendingConnection())
                relay(client);
        });
        listen(QHostAddress::LocalHost);
    }

private:
    void relay(QTcpSocket *client) {
        auto *upstream = new QTcpSocket(client);
        upstream->connectToHost(QHostAddress::LocalHost, m_target);
        connect(client, &QTcpSocket::readyRead, upstream,
                [client, upstream] { upstream->write(client->readAll()); });
        connect(upstream, &QTcpSocket::readyRead, client,
                [client, upstream] { client->write(upstream->readAll()); });
        connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    }
    quint16 m_target;
};

} // namespace

class TestSync : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void firstSyncLinksThenCarriesEditsBothWays();
    void conflictsAndDeletionsLeftToTheUser();
    void thousandContactsWithinTheLimit();
    void wrongPassword();
    void cutOffThenCompleted();
    void twoBooksConverge();
    void answersCarriedOutByTheNextRound();
    void connectionTestSaysWhatFailed_data();
    void connectionTestSaysWhatFailed();
    void addressCorrectedInAnEditor();
    void verboseLogsRequestsNotThePassword();
    void upgradeWritesNothing();
    void preferSettlesConflicts();
    void addressBooksFoundFromTheServer();

private:
    int sync(const QString &book, const QString &url, QStringList extra = {},
             QString *errors = nullptr);
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // One round as the window runs it, in this process; saved at the end.
    SyncReport round(BookDocument &book, SyncBook &copy, const QString &url,
                     const SyncOptions &options = {});

    DavServer m_server;
    QString m_passwordFile;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_missing;
};

void TestSync::initTestCase() {
    m_server.base = radicaleUrl();
    if (m_server.base.isEmpty())
        m_missing = QStringLiteral("no Radicale server (the radicale fixture, NVL_RADICALE)");
}

void TestSync::init() {
    if (!m_missing.isEmpty())
        NVL_SKIP_UNLESS_CI(m_missing);
    m_dir = std::make_unique<QTemporaryDir>();
    m_passwordFile = path(QStringLiteral("password"));
    writeBytes(m_passwordFile, "secret\n");
}

int TestSync::sync(const QString &book, const QString &url, QStringList extra, QString *errors) {
    QProcess process;
    process.start(builtProgram(), QStringList{"sync", book, url, "--user", "alice",
                                              "--password-file", m_passwordFile} +
                                      extra);
    // The cutting proxy lives on this thread's loop: waited for without blocking it.
    QEventLoop loop;
    connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit
               ? process.exitCode()
               : -1;
}

// The first sync links the contact both sides have, uploads the book's
// other record and adds the server's other contact; then an edit on the
// server reaches the book, and the book's edits of 住所２, 建物名 and the
// honorific reach the server, which keeps the photo and both phones.
void TestSync::firstSyncLinksThenCarriesEditsBothWays() {
    const QString url = m_server.addressBook(QStringLiteral("first"));
    const QByteArray extra = "TEL;TYPE=CELL:090-1111-2222\r\nTEL;TYPE=HOME:03-1234-5678\r\n"
                             "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\n";
    m_server.send("PUT", QUrl(url).path() + QStringLiteral("yamada.vcf"),
                  card(QStringLiteral("yamada"), QStringLiteral("山田 太郎"),
                       QStringLiteral("山田 太郎の番地"), extra));
    m_server.send(
        "PUT", QUrl(url).path() + QStringLiteral("suzuki.vcf"),
        card(QStringLiteral("suzuki"), QStringLiteral("鈴木 一郎"), QStringLiteral("丸の内1")));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"山田 太郎", "佐藤 花子"})));
    QString errors;
    QCOMPARE(sync(book, url, {}, &errors), 0);
    QCOMPARE(namesIn(book), QStringList({"佐藤 花子", "山田 太郎", "鈴木 一郎"}));
    QMap<QString, QByteArray> cards = m_server.cards(url);
    QCOMPARE(cards.size(), 3); // 山田 linked, not uploaded again
    // Two contacts a record could be: listed, neither linked nor sent.
    const QString twice = m_server.addressBook(QStringLiteral("twice"));
    for (const char *uid : {"one", "two"})
        m_server.send("PUT", QUrl(twice).path() + QLatin1String(uid) + QStringLiteral(".vcf"),
                      card(QLatin1String(uid), QStringLiteral("山田 太郎"),
                           QStringLiteral("山田 太郎の番地")));
    const QString other = path(QStringLiteral("other.dat"));
    writeBytes(other, cp932(bookText({"山田 太郎"})));
    QCOMPARE(sync(other, twice, {}, &errors), 3);
    QVERIFY2(errors.contains(QStringLiteral("同じ宛名が 2 件")), qPrintable(errors));
    QCOMPARE(m_server.cards(twice).size(), 2);
    QCOMPARE(namesIn(other), QStringList{"山田 太郎"});
    QCOMPARE(sync(book, url), 0);
    QCOMPARE(m_server.cards(url).size(), 3);

    // The server's edit comes into the book.
    QByteArray edited = cards.value(QStringLiteral("yamada.vcf"));
    edited.replace(QStringLiteral("山田 太郎の番地").toUtf8(), QStringLiteral("大手町9").toUtf8());
    m_server.send("PUT", QUrl(url).path() + QStringLiteral("yamada.vcf"), edited);
    QCOMPARE(sync(book, url), 0);
    BookDocument document;
    QVERIFY(document.load(book).ok());
    int yamada = 1;
    while (document.record(yamada).field(AddressRecord::Name) != QStringLiteral("山田 太郎"))
        ++yamada;
    QCOMPARE(document.record(yamada).field(AddressRecord::Address2), QStringLiteral("大手町9"));

    // The book's edits go to the server; what the program does not own stays.
    AddressRecord record = document.record(yamada);
    record.setField(AddressRecord::Address2, QStringLiteral("大手町10"));
    record.setField(AddressRecord::Address3, QStringLiteral("ハイツ大手町"));
    record.setField(AddressRecord::Honorific, QStringLiteral("1"));
    document.setRecord(yamada - 1, record);
    QVERIFY(document.save().ok());
    QCOMPARE(sync(book, url), 0);
    const QString onServer =
        QString::fromUtf8(m_server.cards(url).value(QStringLiteral("yamada.vcf")));
    QVERIFY2(onServer.contains(QStringLiteral("ハイツ大手町;大手町10;")), qPrintable(onServer));
    QVERIFY2(onServer.contains(QStringLiteral("X-NVL-HONORIFIC:殿")), qPrintable(onServer));
    for (const char *kept : {"TEL;TYPE=CELL:090-1111-2222", "TEL;TYPE=HOME:03-1234-5678",
                             "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==", "UID:yamada"})
        QVERIFY2(onServer.contains(QLatin1String(kept)), kept);
    // A contact that brings a character CP932 lacks: the book becomes UTF-8,
    // and the warning names the character.
    m_server.send(
        "PUT", QUrl(url).path() + QStringLiteral("yoshida.vcf"),
        card(QStringLiteral("yoshida"), QStringLiteral("𠮷田 一"), QStringLiteral("丸の内2")));
    QCOMPARE(sync(book, url, {}, &errors), 0);
    QVERIFY2(errors.contains(QStringLiteral("書けない文字があります：𠮷")), qPrintable(errors));
    QVERIFY(readBytes(book).startsWith("\xEF\xBB\xBF"));
}

// A change on both sides keeps the book's version and lists the server's;
// deletions on either side are listed and applied only with --delete.
void TestSync::conflictsAndDeletionsLeftToTheUser() {
    const QString url = m_server.addressBook(QStringLiteral("conflicts"));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"甲", "乙", "丙"})));
    QCOMPARE(sync(book, url), 0);
    QMap<QString, QByteArray> cards = m_server.cards(url);
    QCOMPARE(cards.size(), 3);
    const auto fileOf = [&cards](const char *name) {
        for (auto it = cards.cbegin(); it != cards.cend(); ++it)
            if (it.value().contains(QByteArray("FN:") + name))
                return it.key();
        return QString();
    };
    // 甲 edited on both sides.
    QByteArray serverEdit = cards.value(fileOf("甲"));
    serverEdit.replace(QStringLiteral("甲の番地").toUtf8(),
                       QStringLiteral("サーバーの番地").toUtf8());
    m_server.send("PUT", QUrl(url).path() + fileOf("甲"), serverEdit);
    BookDocument document;
    QVERIFY(document.load(book).ok());
    AddressRecord first = document.record(1);
    first.setField(AddressRecord::Address2, QStringLiteral("住所録の番地"));
    document.setRecord(0, first);
    // 乙 deleted in the book, 丙 on the server.
    document.removeRecord(1);
    QVERIFY(document.save().ok());
    m_server.send("DELETE", QUrl(url).path() + fileOf("丙"));
    QString errors;
    QCOMPARE(sync(book, url, {}, &errors), 3);
    for (const QString &said : {QStringLiteral("サーバーの番地"), QStringLiteral("乙"),
                                QStringLiteral("丙"), QStringLiteral("--delete")})
        QVERIFY2(errors.contains(said), qPrintable(errors));
    QVERIFY(document.load(book).ok());
    QCOMPARE(document.record(1).field(AddressRecord::Address2), QStringLiteral("住所録の番地"));
    QCOMPARE(namesIn(book), QStringList({"丙", "甲"}));
    QCOMPARE(m_server.cards(url).size(), 2); // 甲 and 乙

    QCOMPARE(sync(book, url, {"--delete"}, &errors), 3); // the conflict remains
    QCOMPARE(namesIn(book), QStringList{"甲"});
    cards = m_server.cards(url);
    QCOMPARE(cards.size(), 1);
    QVERIFY(cards.first().contains(QStringLiteral("サーバーの番地").toUtf8()));
}

// 1,000 contacts on the server: 300 come into the book, the rest are listed.
void TestSync::thousandContactsWithinTheLimit() {
    const QString url = m_server.addressBook(QStringLiteral("thousand"));
    // Written into the server's storage as it keeps them, not one request each.
    const QString folder = qEnvironmentVariable("NVL_RADICALE") +
                           QStringLiteral("/collections/collection-root/alice/thousand/");
    QVERIFY(QDir(folder).exists());
    for (int i = 0; i < 1000; ++i)
        writeBytes(folder + QStringLiteral("c%1.vcf").arg(i),
                   card(QStringLiteral("c%1").arg(i), QStringLiteral("宛名%1").arg(i),
                        QStringLiteral("番地%1").arg(i)));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"先客"})));
    QString errors;
    QCOMPARE(sync(book, url, {}, &errors), 3);
    QCOMPARE(namesIn(book).size(), 300);
    QCOMPARE(errors.count(QStringLiteral("300 件のため")), 701);
    QCOMPARE(m_server.cards(url).size(), 1001);
    // Left out again, unread: they have not changed and there is no room.
    QCOMPARE(sync(book, url, {"--verbose"}, &errors), 3);
    QVERIFY2(errors.contains(QStringLiteral("ほかに 701 件")), qPrintable(errors.right(400)));
    QVERIFY2(!errors.contains(QStringLiteral("REPORT")), qPrintable(errors.right(400)));
}

void TestSync::wrongPassword() {
    const QString url = m_server.addressBook(QStringLiteral("password"));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"甲"})));
    writeBytes(m_passwordFile, "wrong\n");
    QString errors;
    QCOMPARE(sync(book, url, {}, &errors), 1);
    // The user's words first, the server's status on later lines.
    QVERIFY2(
        errors.startsWith(QStringLiteral("nvl-hagaki sync: ユーザー名かパスワードが違います。")),
        qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("401")), qPrintable(errors));
    QVERIFY(!errors.contains(QStringLiteral("wrong")));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"book.dat", "password"}));
    QCOMPARE(sync(book, QStringLiteral("ftp://127.0.0.1/alice/password/")), 2);
}

// The server gone between two requests: the book's records stay as they
// were; the next sync completes, and no contact is on the server twice.
void TestSync::cutOffThenCompleted() {
    const QString url = m_server.addressBook(QStringLiteral("cut"));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"甲", "乙", "丙", "丁"})));
    const QByteArray before = readBytes(book);
    // The check that the URL is an address book (challenged, then with the
    // password), the sync's own probe likewise, the list, then two of the
    // four uploads.
    CuttingProxy proxy(QUrl(url).port(), 7);
    QVERIFY(proxy.isListening());
    QUrl cut(url);
    cut.setPort(proxy.serverPort());
    QString errors;
    QCOMPARE(sync(book, cut.toString(), {}, &errors), 1);
    QVERIFY2(errors.contains(QStringLiteral("サーバーにつながりません")), qPrintable(errors));
    QCOMPARE(readBytes(book), before);
    QCOMPARE(m_server.cards(url).size(), 2);
    // The UIDs were kept before the first upload: the contacts get them.
    const auto files = [&book] {
        BookDocument document;
        QStringList names;
        if (document.load(book).ok())
            for (const QJsonObject &data : document.recordDataList())
                names.append(data.value(QStringLiteral("sync"))
                                 .toObject()
                                 .value(QStringLiteral("href"))
                                 .toString()
                                 .section(u'/', -1));
        names.sort();
        return names;
    };
    const QStringList chosen = files();
    QCOMPARE(chosen.size(), 4);
    QVERIFY(!chosen.contains(QString()));
    QCOMPARE(sync(book, url, {}, &errors), 0);
    QCOMPARE(m_server.cards(url).keys(), chosen);
    QCOMPARE(files(), chosen);
    QCOMPARE(readBytes(book), before);
}

// Two books in two folders, as on two PCs, through one server.
void TestSync::twoBooksConverge() {
    const QString url = m_server.addressBook(QStringLiteral("two-pcs"));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("pc1")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("pc2")));
    const QString first = path(QStringLiteral("pc1/book.dat"));
    const QString second = path(QStringLiteral("pc2/book.dat"));
    writeBytes(first, cp932(bookText({"甲", "乙"})));
    writeBytes(second, cp932(bookText({"乙", "丙"})));
    for (const QString &book : {first, second, first})
        QCOMPARE(sync(book, url), 0);
    QCOMPARE(namesIn(first), QStringList({"丙", "乙", "甲"}));
    QCOMPARE(namesIn(second), namesIn(first));
    QCOMPARE(m_server.cards(url).size(), 3);
    // A new address typed on one PC is printed from the other.
    BookDocument document;
    QVERIFY(document.load(second).ok());
    AddressRecord moved = document.record(1);
    moved.setField(AddressRecord::Address2, QStringLiteral("新しい番地"));
    document.setRecord(0, moved);
    QVERIFY(document.save().ok());
    QCOMPARE(sync(second, url), 0);
    QCOMPARE(sync(first, url), 0);
    QVERIFY(document.load(first).ok());
    QStringList streets;
    for (const AddressRecord &record : document.book().records)
        streets.append(record.field(AddressRecord::Address2));
    QVERIFY2(streets.contains(QStringLiteral("新しい番地")), qPrintable(streets.join(u',')));
}

SyncReport TestSync::round(BookDocument &book, SyncBook &copy, const QString &url,
                           const SyncOptions &options) {
    CardDavClient client({QUrl(url), QStringLiteral("alice"), QStringLiteral("secret"), {}});
    SyncEngine engine(copy, client, options, [&book](const SyncBook &current) {
        current.applyNewLinksTo(book);
        return book.save().error;
    });
    return engine.run();
}

// The window's answers, each carried out by the next round: a contact
// deleted on the server kept (sent again), a record deleted in the book
// deleted on the server too, a conflict settled each way, an unclear match
// linked to the contact the user picked.
void TestSync::answersCarriedOutByTheNextRound() {
    const QString url = m_server.addressBook(QStringLiteral("answers"));
    const QString file = path(QStringLiteral("book.dat"));
    writeBytes(file, cp932(bookText({"甲", "乙", "丙", "丁"})));
    BookDocument book;
    QVERIFY(book.load(file).ok());
    SyncBook copy = SyncBook::of(book);
    SyncReport report = round(book, copy, url);
    QVERIFY2(report.ok(), qPrintable(report.error));
    copy.applyTo(book);
    QVERIFY(book.save().ok());
    QMap<QString, QByteArray> cards = m_server.cards(url);
    QCOMPARE(cards.size(), 4);
    const auto hrefOf = [&book](const QString &name) {
        for (int row = 0; row < book.recordCount(); ++row)
            if (book.record(row + 1).field(AddressRecord::Name) == name)
                return book.recordData(row).value("sync").toObject().value("href").toString();
        return QString();
    };
    const QString hrefOfOtsu = hrefOf(QStringLiteral("乙"));

    m_server.send("DELETE", hrefOf(QStringLiteral("甲")));
    QCOMPARE(m_server.status, 200);
    QVERIFY(book.removeRecord(1)); // 乙: 丙 and 丁 are rows 1 and 2 now
    for (const int row : {1, 2}) {
        AddressRecord record = book.record(row + 1);
        const QString name = record.field(AddressRecord::Name);
        QByteArray vcard = m_server.send("GET", hrefOf(name));
        vcard.replace((name + QStringLiteral("の番地")).toUtf8(), "サーバーの番地");
        m_server.send("PUT", hrefOf(name), vcard);
        QVERIFY(m_server.status == 201 || m_server.status == 204);
        record.setField(AddressRecord::Address2, QStringLiteral("住所録の番地"));
        book.setRecord(row, record);
    }
    // Two contacts named 戊 at the same code; the book's 戊 is the first.
    for (const QString &uid : {QStringLiteral("bo1"), QStringLiteral("bo2")})
        m_server.send("PUT", QUrl(url).path() + uid + QStringLiteral(".vcf"),
                      card(uid, QStringLiteral("戊"), QStringLiteral("戊の番地")));
    QVERIFY(book.insertRecord(
        book.recordCount(),
        AddressRecord::fromList({"戊", "東京都千代田区", "戊の番地", "100-0001", "", "0", ""})));
    QVERIFY(book.save().ok());

    copy = SyncBook::of(book);
    report = round(book, copy, url);
    QVERIFY2(report.ok(), qPrintable(report.error));
    QCOMPARE(report.questions.size(), 5);
    QList<SyncAnswer> answers;
    for (const SyncQuestion &question : std::as_const(report.questions)) {
        const QString name = question.record.field(AddressRecord::Name);
        using Kind = SyncQuestion::Kind;
        switch (question.kind) {
        case Kind::DeletedOnServer:
            QCOMPARE(name, QStringLiteral("甲"));
            answers.append({SyncChoice::Keep, 0});
            break;
        case Kind::DeletedInBook:
            QCOMPARE(question.href, hrefOfOtsu);
            answers.append({SyncChoice::Delete, 0});
            break;
        case Kind::Conflict:
            answers.append(
                {name == QStringLiteral("丙") ? SyncChoice::Server : SyncChoice::Book, 0});
            break;
        case Kind::Ambiguous:
            QCOMPARE(question.candidates.size(), 2);
            answers.append(
                {SyncChoice::Link, question.candidates.at(0).first.endsWith("bo1.vcf") ? 0 : 1});
            break;
        }
    }
    SyncOptions options;
    applyAnswers(copy, report.questions, answers, QUrl(url).path(), &options);
    report = round(book, copy, url, options);
    QVERIFY2(report.ok() && report.questions.isEmpty(),
             qPrintable(report.error + report.texts(SyncQuestion::Kind::Conflict).join(u'\n')));
    copy.applyTo(book);
    QVERIFY(book.save().ok());

    BookDocument saved;
    QVERIFY(saved.load(file).ok());
    QStringList rows;
    for (int number = 1; number <= saved.recordCount(); ++number)
        rows.append(saved.record(number).field(AddressRecord::Name) + u' ' +
                    saved.record(number).field(AddressRecord::Address2));
    // 丙 took the server's address; the second 戊 joined as someone else.
    QCOMPARE(rows, QStringList({"甲 甲の番地", "丙 サーバーの番地", "丁 住所録の番地",
                                "戊 戊の番地", "戊 戊の番地"}));
    cards = m_server.cards(url);
    QCOMPARE(cards.size(), 5); // 甲 sent again, 乙 deleted, 戊 not sent
    QVERIFY(!cards.contains(hrefOfOtsu.section(u'/', -1)));
    for (const QByteArray &vcard : std::as_const(cards))
        if (vcard.contains("FN:丁"))
            QVERIFY(vcard.contains("住所録の番地"));
    QCOMPARE(saved.recordData(3).value("sync").toObject().value("href").toString(),
             QUrl(url).path() + QStringLiteral("bo1.vcf"));
}

void TestSync::connectionTestSaysWhatFailed_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QString>("tls"); // "", "untrusted", "trusted": with the CA file
    QTest::addColumn<QString>("said");
    const QString tested = QStringLiteral("/alice/tested/");
    const QString secret = QStringLiteral("secret");
    QTest::newRow("found") << tested << secret << true << QString() << QString();
    QTest::newRow("password") << tested << QStringLiteral("wrong") << true << QString()
                              << QStringLiteral("ユーザー名かパスワードが違います。");
    QTest::newRow("address") << QStringLiteral("/alice/none/") << secret << true << QString()
                             << QStringLiteral("アドレス帳の URL を確かめてください。");
    QTest::newRow("network")
        << tested << secret << false << QString()
        << QStringLiteral("サーバーにつながりません。ネットワークとアドレスを確かめてください。");
    QTest::newRow("certificate") << tested << secret << true << QStringLiteral("untrusted")
                                 << QStringLiteral("サーバーの証明書を確かめられません。");
    QTest::newRow("certificate trusted")
        << tested << secret << true << QStringLiteral("trusted") << QString();
}

// 接続テスト, as the settings window runs it on a thread of its own.
void TestSync::connectionTestSaysWhatFailed() {
    QFETCH(QString, path);
    QFETCH(QString, password);
    QFETCH(bool, listening);
    QFETCH(QString, tls);
    QFETCH(QString, said);
    m_server.addressBook(QStringLiteral("tested"));
    m_server.send("PUT", QStringLiteral("/alice/tested/one.vcf"),
                  card(QStringLiteral("one"), QStringLiteral("甲"), QStringLiteral("番地")));
    QUrl url = m_server.base.resolved(QUrl(path));
    if (!listening) {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        url.setPort(closed.serverPort());
    }
    const QString pem = QFINDTESTDATA("../data/tls/localhost.pem");
    std::unique_ptr<TlsFront> front;
    if (!tls.isEmpty()) {
        front = std::make_unique<TlsFront>(quint16(url.port()), readBytes(pem),
                                           readBytes(QFINDTESTDATA("../data/tls/localhost.key")));
        QVERIFY(front->isListening());
        url.setScheme(QStringLiteral("https"));
        url.setPort(front->serverPort());
    }
    const QByteArray ca = tls == QLatin1String("trusted") ? readBytes(pem) : QByteArray();
    SyncTask task;
    QSignalSpy finished(&task, &SyncTask::finished);
    task.testConnection({url, QStringLiteral("alice"), password, ca});
    QVERIFY(finished.wait(30000));
    const SyncTask::Found &found = task.found();
    QCOMPARE(failureHeading(found.error.failure), said);
    if (said.isEmpty())
        QCOMPARE(found.contacts, 1);
    if (tls == QLatin1String("trusted")) {
        // The command line trusts the same certificate through --ca-file.
        const QString book = m_dir->filePath(QStringLiteral("tls.dat"));
        writeBytes(book, cp932(bookText({"乙"})));
        QString errors;
        m_server.addressBook(QStringLiteral("tls"));
        url.setPath(QStringLiteral("/alice/tls/"));
        QCOMPARE(sync(book, url.toString(), {"--ca-file", pem}, &errors), 0);
        QCOMPARE(m_server.cards(QStringLiteral("/alice/tls/")).size(), 1);
    }
}

QTEST_MAIN(TestSync)
// A synced book's address corrected in a text editor keeps its record's
// link: the next sync sends the correction, with no conflict to settle.
void TestSync::addressCorrectedInAnEditor() {
    const QString url = m_server.addressBook(QStringLiteral("corrected"));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"山田 太郎", "佐藤 花子"})));
    QCOMPARE(sync(book, url), 0);
    QByteArray bytes = readBytes(book);
    const int at = int(bytes.indexOf(cp932(QStringLiteral("東京都千代田区"))));
    QVERIFY(at > 0);
    bytes.replace(at, cp932(QStringLiteral("東京都千代田区")).size(),
                  cp932(QStringLiteral("東京都港区")));
    writeBytes(book, bytes);
    QString errors;
    QCOMPARE(sync(book, url, {}, &errors), 0);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    const QMap<QString, QByteArray> cards = m_server.cards(url);
    QCOMPARE(cards.size(), 2);
    int corrected = 0;
    for (const QByteArray &card : cards)
        corrected += QString::fromUtf8(card).contains(QStringLiteral(";港区;東京都;"));
    QCOMPARE(corrected, 1);
    QCOMPARE(sync(book, url, {}, &errors), 0);
    QCOMPARE(m_server.cards(url).size(), 2);
}

// --verbose logs each request with its status, size and time, and never
// the password, in the clear or as the Basic header carries it.
void TestSync::verboseLogsRequestsNotThePassword() {
    const QString url = m_server.addressBook(QStringLiteral("logged"));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"山田 太郎", "佐藤 花子"})));
    QString log;
    QCOMPARE(sync(book, url, {"--verbose"}, &log), 0);
    const QString collection = QUrl(url).path();
    for (const QString &request :
         {QStringLiteral("PROPFIND ") + collection + QStringLiteral(" → 207"),
          QStringLiteral("PUT ") + collection})
        QVERIFY2(log.contains(request), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("saved ")) && log.contains(book), qPrintable(log));
    for (const QString &secret :
         {QStringLiteral("secret"), QString::fromLatin1(QByteArray("alice:secret").toBase64()),
          QStringLiteral("Authorization"), QStringLiteral("Basic")})
        QVERIFY2(!log.contains(secret), qPrintable(log));
}

// A book and its address book as the previous release left them after a
// sync (tests/data/sync-upgrade: 連名 and marks Radicale re-escaped, a
// contact made by a phone): this build's first sync writes nothing on
// either side and asks nothing.
void TestSync::upgradeWritesNothing() {
    const QString saved = QFINDTESTDATA("../data/sync-upgrade");
    const QString storage = qEnvironmentVariable("NVL_RADICALE") +
                            QStringLiteral("/collections/collection-root/alice/family/");
    QDir(storage).removeRecursively();
    QVERIFY(QDir().mkpath(storage));
    const QString from = saved + QStringLiteral("/collections/collection-root/alice/family/");
    QMap<QString, QByteArray> before;
    for (const QString &name : QDir(from).entryList(QDir::Files | QDir::Hidden)) {
        before.insert(name, readBytes(from + name));
        writeBytes(storage + name, before.value(name));
    }
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, readBytes(saved + QStringLiteral("/book.dat")));
    // The same server, on the port this run's fixture listens on.
    QByteArray companion = readBytes(saved + QStringLiteral("/book.dat.nvl"));
    companion.replace("http://127.0.0.1:52691/", m_server.base.toString().toUtf8());
    writeBytes(book + QStringLiteral(".nvl"), companion);
    const QByteArray bookBytes = readBytes(book);

    QString errors;
    QCOMPARE(sync(book, m_server.base.resolved(QUrl(QStringLiteral("/alice/family/"))).toString(),
                  {}, &errors),
             0);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    QMap<QString, QByteArray> after;
    for (const QString &name : before.keys())
        after.insert(name, readBytes(storage + name));
    QCOMPARE(after, before);
    QCOMPARE(QDir(storage).entryList(QDir::Files).size(), 5);
    QCOMPARE(readBytes(book), bookBytes);
    BookDocument document;
    QVERIFY(document.load(book).ok());
    QCOMPARE(jointNamesText(jointNamesOf(document.recordData(0))),
             QStringLiteral("花子 様・健太 くん・恵子 様"));
}

// A change on both sides is listed with the field and both values; the
// command line settles it one way or the other with --prefer, and the
// next run has nothing left.
void TestSync::preferSettlesConflicts() {
    const QString url = m_server.addressBook(QStringLiteral("prefer"));
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"甲"})));
    QCOMPARE(sync(book, url), 0);
    const QString file = m_server.cards(url).firstKey();
    for (const QString &side : {QStringLiteral("server"), QStringLiteral("book")}) {
        QByteArray card = m_server.cards(url).value(file);
        card.replace(QRegularExpression(QStringLiteral(";[^;]*番地[^;]*;"))
                         .match(QString::fromUtf8(card))
                         .captured()
                         .toUtf8(),
                     QStringLiteral(";サーバーの番地%1;").arg(side).toUtf8());
        m_server.send("PUT", QUrl(url).path() + file, card);
        BookDocument document;
        QVERIFY(document.load(book).ok());
        AddressRecord record = document.record(1);
        record.setField(AddressRecord::Address2, QStringLiteral("住所録の番地") + side);
        document.setRecord(0, record);
        QVERIFY(document.save().ok());
        QString errors;
        QCOMPARE(sync(book, url, {}, &errors), 3);
        QVERIFY2(errors.contains(
                     QStringLiteral("住所２ 住所録「住所録の番地%1」／サーバー「サーバーの番地%1」")
                         .arg(side)),
                 qPrintable(errors));
        QCOMPARE(sync(book, url, {"--prefer", side}, &errors), 0);
        QCOMPARE(sync(book, url, {}, &errors), 0);
        QVERIFY(document.load(book).ok());
        const QString kept = (side == QLatin1String("server") ? QStringLiteral("サーバーの番地")
                                                              : QStringLiteral("住所録の番地")) +
                             side;
        QCOMPARE(document.record(1).field(AddressRecord::Address2), kept);
        QVERIFY(QString::fromUtf8(m_server.cards(url).value(file)).contains(kept));
    }
}

// Given the server's address, the user's address books are found: one is
// synced and kept in the companion, several are listed (exit 2) until
// --addressbook names one, --list lists and writes nothing, and a user
// without any is told what to do. .well-known/carddav leads there too.
void TestSync::addressBooksFoundFromTheServer() {
    DavServer bob;
    bob.base = m_server.base;
    bob.user = "bob";
    bob.home = QStringLiteral("/bob/");
    const QString family = bob.addressBook(QStringLiteral("family"));
    QCOMPARE(bob.status, 201);
    bob.send("PUT", QUrl(family).path() + QStringLiteral("one.vcf"),
             card(QStringLiteral("one"), QStringLiteral("甲"), QStringLiteral("番地")));
    const QString root = m_server.base.toString();
    const QString book = path(QStringLiteral("book.dat"));
    writeBytes(book, cp932(bookText({"乙"})));
    const QStringList asBob{"--user", "bob"};
    QString errors;
    QCOMPARE(sync(book, root, asBob, &errors), 0);
    QVERIFY2(errors.contains(QStringLiteral("family")) && errors.contains(QUrl(family).path()),
             qPrintable(errors));
    QVERIFY(readBytes(book + QStringLiteral(".nvl")).contains(QUrl(family).path().toUtf8()));
    QCOMPARE(namesIn(book), QStringList({"乙", "甲"}));

    bob.addressBook(QStringLiteral("work"));
    const QByteArray before = readBytes(book) + readBytes(book + QStringLiteral(".nvl"));
    for (const QString &start : {root, root + QStringLiteral(".well-known/carddav")}) {
        QVERIFY2(sync(book, start, asBob, &errors) == 2, qPrintable(start + u' ' + errors));
        QVERIFY2(errors.contains(QStringLiteral("family")) &&
                     errors.contains(QStringLiteral("work")),
                 qPrintable(errors));
    }
    QProcess listing;
    listing.start(builtProgram(),
                  QStringList{"sync", book, root, "--list", "--password-file", m_passwordFile} +
                      asBob);
    QVERIFY(listing.waitForFinished(60000));
    const QString listed = QString::fromUtf8(listing.readAllStandardOutput());
    QCOMPARE(listing.exitCode(), 0);
    QVERIFY2(listed.contains(QStringLiteral("family\t")) &&
                 listed.contains(QStringLiteral("family/\t2 件")) &&
                 listed.contains(QStringLiteral("work\t")),
             qPrintable(listed));
    QCOMPARE(readBytes(book) + readBytes(book + QStringLiteral(".nvl")), before);
    QCOMPARE(sync(book, root, asBob + QStringList{"--addressbook", "work"}, &errors), 0);
    QVERIFY(readBytes(book + QStringLiteral(".nvl")).contains("/bob/work/"));

    const QString carols = path(QStringLiteral("carol.dat"));
    writeBytes(carols, cp932(bookText({"丙"})));
    QCOMPARE(sync(carols, root, {"--user", "carol"}, &errors), 1);
    QVERIFY2(errors.contains(QStringLiteral("アドレス帳がありません")), qPrintable(errors));
}

#include "tst_sync.moc"
