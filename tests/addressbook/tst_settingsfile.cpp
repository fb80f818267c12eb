#include "fakeplatform.h"
#include "settingsfile.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
    void writesOneQuotedLine();
};

void TestSettingsFile::reads_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("mode");

    QTest::newRow("missing") << QByteArray() << false << QString() << QString();
    QTest::newRow("empty") << QByteArray() << true << QString() << QString();
    QTest::newRow("one value") << QByteArray("\"C:\\a.dat\"\r\n") << true
                               << QStringLiteral("C:\\a.dat") << QString();
    QTest::newRow("both") << test::cp932(QStringLiteral("\"新規作成\",\"2\"\r\n")) << true
                          << QStringLiteral("新規作成") << QStringLiteral("2");
    QTest::newRow("extra values ignored") << QByteArray("\"/a\",\"3\",\"x\"\r\n") << true
                                          << QStringLiteral("/a") << QStringLiteral("3");
    QTest::newRow("binary") << QByteArray("\0\1\2\3", 4) << true << QString() << QString();
}

void TestSettingsFile::reads() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, present);
    QFETCH(QString, file);
    QFETCH(QString, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath("Nuvel.ini");
    if (present)
        test::writeBytes(path, bytes);
    const BookSettings settings = readBookSettings(path);
    QCOMPARE(settings.currentFile, file);
    QCOMPARE(settings.bookMode, mode);
}

void TestSettingsFile::writesOneQuotedLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Nuvel.ini");
    QVERIFY(writeBookSettings(path, {QStringLiteral("/home/u/住所.dat"), QStringLiteral("3")}).ok);
    QCOMPARE(test::readBytes(path), test::cp932(QStringLiteral("\"/home/u/住所.dat\",\"3\"\r\n")));
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
