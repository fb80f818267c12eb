// nvl-hagaki sync against a server that misbehaves on purpose
// (tests/support/hostile_dav.py on 127.0.0.1): the password stays with its
// origin, every answer is bounded, each failure says what happened and
// leaves the book as it was.
#include "buildpaths.h"
#include "fakeplatform.h"
#include "testmain.h"

#include <QDir>
#include <QProcess>
#include <QtTest>
#include <csignal>

using namespace nvl::test;

namespace {

const QByteArray Password = "Zq7-hostile-pw";

QByteArray book() {
    return cp932(QStringLiteral("\"山田 太郎\",\"東京都千代田区\",\"1-1\",\"100-0001\",\"\",\"0\","
                                "\"\"\r\n"));
}

} // namespace

class TestSyncHostile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void refused_data();
    void refused();
    void foreignHrefsLeftAlone();
    void digestAuthentication();
    void quirkyEtags_data();
    void quirkyEtags();
    void coreDumpHoldsNoPassword();

private:
    void startServer(bool tls);
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString url(const QString &mode) const { return m_url + mode + QStringLiteral("/ab/"); }
    QStringList arguments(const QString &mode) const;
    int sync(const QString &mode, QString *errors, qint64 *residentKb = nullptr);

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_server;
    QString m_url;
    bool m_tls = false;
};

void TestSyncHostile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    writeBytes(path(QStringLiteral("password")), Password + '\n');
    writeBytes(path(QStringLiteral("book.dat")), book());
}

void TestSyncHostile::cleanup() {
    m_server.kill();
    m_server.waitForFinished();
}

void TestSyncHostile::startServer(bool tls) {
    m_tls = tls;
    QStringList args{QFINDTESTDATA("../support/hostile_dav.py"), m_dir->path()};
    if (tls)
        args << QFINDTESTDATA("../data/tls/localhost.pem")
             << QFINDTESTDATA("../data/tls/localhost.key");
    m_server.start(QStringLiteral("python3"), args);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path(QStringLiteral("url"))), 10000);
    m_url = QString::fromUtf8(readBytes(path(QStringLiteral("url")))).trimmed();
}

QStringList TestSyncHostile::arguments(const QString &mode) const {
    QStringList args{"sync",
                     path(QStringLiteral("book.dat")),
                     url(mode),
                     "--user",
                     "alice",
                     "--password-file",
                     path(QStringLiteral("password"))};
    if (m_tls)
        args << "--ca-file" << QFINDTESTDATA("../data/tls/localhost.pem");
    return args;
}

int TestSyncHostile::sync(const QString &mode, QString *errors, qint64 *residentKb) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A trickle is ended by the deadline, shortened here from its 2 minutes.
    if (mode == QLatin1String("trickle"))
        environment.insert(QStringLiteral("NVL_SYNC_DEADLINE_SECONDS"), QStringLiteral("4"));
    process.setProcessEnvironment(environment);
    // GNU time reports the most the program held resident.
    process.start(QStringLiteral("/usr/bin/time"),
                  QStringList{"-f", "%M", "-o", path(QStringLiteral("resident")), builtProgram()} +
                      arguments(mode));
    process.waitForFinished(120000);
    if (residentKb)
        *residentKb = readBytes(path(QStringLiteral("resident"))).trimmed().toLongLong();
    *errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestSyncHostile::refused_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QString>("said");
    QTest::newRow("redirect to another port") << "redirect" << false << "別のアドレス「http";
    QTest::newRow("redirect to another port, https") << "redirect" << true << "別のアドレス「https";
    QTest::newRow("a 2 GiB listing") << "huge" << false << "応答が大きすぎます";
    QTest::newRow("a listing that never ends") << "endless" << false << "応答が大きすぎます";
    QTest::newRow("a byte a second") << "trickle" << false << "4 秒たっても応答を終えません";
    QTest::newRow("a busy server") << "busy" << false << "混み合っている";
}

// Each ends in exit 1, holding little memory, saying what
// happened in Japanese only, with the book as it was; no password and no
// request reaches the other origin.
void TestSyncHostile::refused() {
    QFETCH(QString, mode);
    QFETCH(bool, tls);
    QFETCH(QString, said);
    startServer(tls);
    QString errors;
    qint64 resident = 0;
    const int status = sync(mode, &errors, &resident);
    QVERIFY2(status == 1, qPrintable(QStringLiteral("exit %1: %2").arg(status).arg(errors)));
    QVERIFY2(errors.contains(said), qPrintable(errors));
    QVERIFY2(!errors.contains(QStringLiteral("QIODevice")) &&
                 !errors.contains(QStringLiteral("canceled")),
             qPrintable(errors));
    QVERIFY2(resident < 100 * 1024, qPrintable(QString::number(resident)));
    QCOMPARE(readBytes(path(QStringLiteral("book.dat"))), book());
    QVERIFY(!QFile::exists(path(QStringLiteral("book.dat.nvl"))));
    QCOMPARE(readBytes(path(QStringLiteral("elsewhere.log"))), QByteArray());
}

// Hrefs on another origin or outside the address book are named and left
// alone; the address book's own contacts still sync.
void TestSyncHostile::foreignHrefsLeftAlone() {
    startServer(false);
    QString errors;
    QCOMPARE(sync(QStringLiteral("foreign"), &errors), 0);
    QVERIFY2(errors.contains(QStringLiteral("x.vcf")) && errors.contains(QStringLiteral("etc/c1")),
             qPrintable(errors));
    QCOMPARE(readBytes(path(QStringLiteral("elsewhere.log"))), QByteArray());
    const QStringList requests =
        QString::fromUtf8(readBytes(path(QStringLiteral("requests.log")))).split(u'\n');
    int puts = 0;
    for (const QString &request : requests) {
        QVERIFY2(request.isEmpty() ||
                     request.section(u' ', 1, 1).startsWith(QStringLiteral("/foreign/ab/")),
                 qPrintable(request));
        puts += request.startsWith(QStringLiteral("PUT ")) ? 1 : 0;
    }
    QCOMPARE(puts, 1);
    QVERIFY(readBytes(path(QStringLiteral("book.dat"))).contains(cp932(QStringLiteral("二の人"))));
}

void TestSyncHostile::digestAuthentication() {
    startServer(false);
    QString errors;
    QCOMPARE(sync(QStringLiteral("digest"), &errors), 0);
    const QByteArray requests = readBytes(path(QStringLiteral("requests.log")));
    QVERIFY2(requests.contains("PUT /digest/ab/") && requests.contains("Digest username=\"alice\""),
             requests.constData());
    QVERIFY(!requests.contains("Basic"));
}

void TestSyncHostile::quirkyEtags_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("puts"); // the upload, the edit (refused once when volatile)
    QTest::newRow("weak ETags, refused by If-Match") << "weak" << 2;
    QTest::newRow("ETags new at every listing") << "volatile" << 3;
}

// A book edit reaches the server however its ETags behave, and the syncs
// after it find nothing to do.
void TestSyncHostile::quirkyEtags() {
    QFETCH(QString, mode);
    QFETCH(int, puts);
    startServer(false);
    const QString file = path(QStringLiteral("book.dat"));
    writeBytes(file, book().replace("1-1", "5-5"));
    QString errors;
    QCOMPARE(sync(mode, &errors), 0);
    writeBytes(file, readBytes(file).replace("5-5", "9-9"));
    QCOMPARE(sync(mode, &errors), 0);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    QCOMPARE(sync(mode, &errors), 0);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    const QByteArray requests = readBytes(path(QStringLiteral("requests.log")));
    QCOMPARE(int(requests.count("PUT /" + mode.toUtf8())), puts);
    QVERIFY(!requests.contains("If-Match: W/"));
}

// A sync killed by SIGSEGV while it waits on the server, the password in
// its memory: any core it leaves holds no password in any form.
void TestSyncHostile::coreDumpHoldsNoPassword() {
    startServer(false);
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    QString command = QStringLiteral("ulimit -c unlimited; exec \"$0\" \"$@\"");
    process.start(QStringLiteral("/bin/sh"),
                  QStringList{"-c", command, builtProgram()} + arguments(QStringLiteral("stall")));
    QTRY_VERIFY_WITH_TIMEOUT(readBytes(path(QStringLiteral("requests.log"))).contains("Basic "),
                             10000);
    ::kill(pid_t(process.processId()), SIGSEGV);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    const QByteArray basic = QByteArray("alice:" + Password).toBase64();
    const QByteArray wide = QByteArray::fromRawData(
        reinterpret_cast<const char *>(QString::fromLatin1(Password).utf16()), Password.size() * 2);
    for (const QString &name : QDir(m_dir->path()).entryList({"core*"}, QDir::Files)) {
        const QByteArray core = readBytes(path(name));
        QVERIFY2(!core.contains(Password) && !core.contains(basic) && !core.contains(wide),
                 qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(TestSyncHostile)
#include "tst_synchostile.moc"
