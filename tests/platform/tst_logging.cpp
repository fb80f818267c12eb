// The window's log file: what is switched on goes there, and a full one is
// set aside as .1 rather than growing without end.
#include "bookdocument.h"
#include "fakeplatform.h"
#include "logging.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestLogging : public QObject {
    Q_OBJECT
private slots:
    void offUnlessSwitchedOn();
    void savesGoToTheFileWhichRotates();
};

void TestLogging::offUnlessSwitchedOn() {
    QVERIFY(!loggingEnabled());
    enableVerboseLogging();
    QVERIFY(loggingEnabled());
}

void TestLogging::savesGoToTheFileWhichRotates() {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("nvl-hagaki.log"));
    enableVerboseLogging();
    logToFile(log);
    BookDocument book;
    AddressRecord record;
    record.setField(AddressRecord::Name, QStringLiteral("山田"));
    QVERIFY(book.appendRecords({record}));
    QVERIFY(book.saveAs(dir.filePath(QStringLiteral("book.dat"))).ok());
    QVERIFY2(readBytes(log).contains("nvl.book info: saved"), readBytes(log).constData());
    const QByteArray line(1000, 'x');
    for (int i = 0; i < 1100; ++i)
        qCInfo(lcPrint) << line;
    qInstallMessageHandler(nullptr);
    QVERIFY(QFile::exists(log + QStringLiteral(".1")));
    QVERIFY(QFileInfo(log + QStringLiteral(".1")).size() > 1024 * 1024);
    QVERIFY(QFileInfo(log).size() < 200 * 1000);
}

QTEST_MAIN(TestLogging)
#include "tst_logging.moc"
