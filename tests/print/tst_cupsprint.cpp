// Printing through a real CUPS queue: a private cupsd in a temporary folder
// (never the system's configuration) with a raw queue whose own backend
// writes each job to a file.
#include "fonts.h"
#include "pdftools.h"
#include "printfixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using namespace nvl;
using namespace nvl::test;

class TestCupsPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void printsTwoSheetsForFiveLabels();

private:
    QString m_skipReason;
    QTemporaryDir m_dir;
    QProcess m_cupsd;
};

namespace {

bool writeText(const QString &path, const QString &text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

void TestCupsPrint::initTestCase() {
    installFontSubstitutions();
    const QString cupsd = QStringLiteral("/usr/sbin/cupsd");
    const QString daemonDir = QStringLiteral("/usr/lib/cups/daemon");
    if (!QFile::exists(cupsd) ||
        QStandardPaths::findExecutable(QStringLiteral("lpadmin")).isEmpty())
        QSKIP("CUPS (cups-daemon, cups-client) is not installed");
    if (geteuid() != 0)
        QSKIP("a private cupsd needs to run as root here");

    const QDir root(m_dir.path());
    QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                           QFile::ExeOther);
    for (const char *sub : {"spool", "tmp", "cache", "state", "log", "out", "bin/backend"})
        root.mkpath(QLatin1String(sub));
    QFile::link(daemonDir, root.filePath(QStringLiteral("bin/daemon")));
    const QString socket = root.filePath(QStringLiteral("cups.sock"));
    QVERIFY(writeText(root.filePath(QStringLiteral("cupsd.conf")),
                      QStringLiteral("Listen %1\nLogLevel warn\nWebInterface No\nBrowsing No\n"
                                     "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                     "<Policy default>\n  <Limit All>\n    Order allow,deny\n"
                                     "    Allow all\n  </Limit>\n</Policy>\n")
                          .arg(socket)));
    QVERIFY(writeText(root.filePath(QStringLiteral("cups-files.conf")),
                      QStringLiteral("ServerRoot %1\nServerBin %1/bin\nRequestRoot %1/spool\n"
                                     "TempDir %1/tmp\nCacheDir %1/cache\nStateDir %1/state\n"
                                     "ErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                     "PageLog %1/log/page_log\n")
                          .arg(root.path())));
    const QString backend = root.filePath(QStringLiteral("bin/backend/nvlfile"));
    QVERIFY(writeText(backend, QStringLiteral("#!/bin/sh\n"
                                              "[ $# -eq 0 ] && { echo 'file nvlfile \"Unknown\" "
                                              "\"test\"'; exit 0; }\n"
                                              "out=\"${DEVICE_URI#nvlfile:}\"\n"
                                              "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi "
                                              "> \"$out.part\" && mv \"$out.part\" \"$out\"\n")));
    QFile::setPermissions(backend, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.start(cupsd, {"-f", "-c", root.filePath(QStringLiteral("cupsd.conf")), "-s",
                          root.filePath(QStringLiteral("cups-files.conf"))});
    if (!m_cupsd.waitForStarted(5000))
        QSKIP("cupsd could not be started");
    QElapsedTimer wait;
    wait.start();
    while (!QFile::exists(socket) && wait.elapsed() < 10000 && m_cupsd.state() == QProcess::Running)
        QTest::qWait(100);
    if (!QFile::exists(socket)) {
        qWarning("%s", m_cupsd.readAll().constData());
        QSKIP("cupsd did not open its socket");
    }
    QProcess lpadmin;
    lpadmin.start(QStringLiteral("lpadmin"),
                  {"-h", socket, "-p", "nvltest", "-v",
                   QStringLiteral("nvlfile:%1").arg(root.filePath(QStringLiteral("out/job.pdf"))),
                   "-E"});
    QVERIFY(lpadmin.waitForFinished(10000));
    QCOMPARE(lpadmin.exitCode(), 0);
    // Every CUPS client of this process talks to the private server.
    qputenv("CUPS_SERVER", socket.toUtf8());
}

void TestCupsPrint::cleanupTestCase() {
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(5000))
            m_cupsd.kill();
    }
}

void TestCupsPrint::printsTwoSheetsForFiveLabels() {
    FakeDesktop desk;
    registerWindows(desk.context);
    writeSenders(desk);
    PrintWindow *print = openPrintWindow(desk, labels(5));
    desk.printerDialog.printerName = QStringLiteral("nvltest");
    desk.printerDialog.answers = {true};
    desk.messages.answers = {MessageAnswer::Ok};
    print->control<QAbstractButton>("cmdPrint")->click();
    QCOMPARE(desk.messages.texts(), QStringList{QStringLiteral("シート数は2枚です。")});
    const QString job = QDir(m_dir.path()).filePath(QStringLiteral("out/job.pdf"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job), 20000);
    QCOMPARE(pdfPageCount(job), 2);
    QStringList texts;
    for (const PdfWord &word : pdfWords(job))
        texts.append(word.text);
    QVERIFY(texts.contains(QStringLiteral("宛名5")));
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
