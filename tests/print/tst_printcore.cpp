#include "fakeplatform.h"
#include "printlist.h"
#include "senderfile.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;

class TestPrintCore : public QObject {
    Q_OBJECT
private slots:
    void postalBoxes_data();
    void postalBoxes();
    void nameLine_data();
    void nameLine();
    void senderFileRoundTrip();
    void senderFileShortOrMissing_data();
    void senderFileShortOrMissing();
};

void TestPrintCore::postalBoxes_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("with hyphen") << "123-4567" << QStringList{"1", "2", "3", "4", "5", "6", "7"};
    QTest::newRow("seven digits") << "1234567" << QStringList{"1", "2", "3", "4", "5", "6", "7"};
    QTest::newRow("short") << "123-45" << QStringList{"1", "2", "3", "4", "5", "", ""};
    QTest::newRow("empty") << "" << QStringList{"", "", "", "", "", "", ""};
    QTest::newRow("hyphen elsewhere kept")
        << "12-34567" << QStringList{"1", "2", "-", "3", "4", "5", "6"};
    QTest::newRow("long") << "123-45678" << QStringList{"1", "2", "3", "4", "5", "6", "7"};
}

void TestPrintCore::postalBoxes() {
    QFETCH(QString, code);
    QFETCH(QStringList, boxes);
    const auto result = nvl::postalBoxes(code);
    QCOMPARE(QStringList(result.begin(), result.end()), boxes);
}

void TestPrintCore::nameLine_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("honorific");
    QTest::addColumn<QString>("line");
    QTest::newRow("御中") << "山田商事"
                          << "2" << QStringLiteral("山田商事　御中");
    QTest::newRow("blank before index") << "佐藤"
                                        << " 4" << QStringLiteral("佐藤　先生");
    QTest::newRow("none chosen") << "鈴木"
                                 << "-1" << QStringLiteral("鈴木");
    QTest::newRow("out of range") << "鈴木"
                                  << "7" << QStringLiteral("鈴木");
    QTest::newRow("empty reads as 様") << "田中"
                                       << "" << QStringLiteral("田中　様");
}

void TestPrintCore::nameLine() {
    QFETCH(QString, name);
    QFETCH(QString, honorific);
    QFETCH(QString, line);
    AddressRecord record;
    record.setField(AddressRecord::Name, name);
    record.setField(AddressRecord::Honorific, honorific);
    QCOMPARE(previewNameLine(record), line);
}

void TestPrintCore::senderFileRoundTrip() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Wolt.tds");
    QVERIFY(WriteSenderFile(path, SenderTable{}).ok);
    QCOMPARE(test::readBytes(path), QByteArray("\"\",\"\",\"\",\"\"\r\n").repeated(4));
    QCOMPARE(ReadSenderFile(path), SenderTable{});

    SenderTable table;
    table[0] = {"100-0001", QStringLiteral("東京都千代田区1-1, 2F"), QStringLiteral("ビル"),
                QStringLiteral("山田 太郎")};
    table[3] = {"", QStringLiteral("四番目"), "", QStringLiteral("名")};
    QVERIFY(WriteSenderFile(path, table).ok);
    QCOMPARE(ReadSenderFile(path), table);
}

void TestPrintCore::senderFileShortOrMissing_data() {
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("secondZip");
    QTest::newRow("missing") << false << QByteArray() << QString() << QString();
    QTest::newRow("empty") << true << QByteArray() << QString() << QString();
    QTest::newRow("one entry") << true << QByteArray("\"1\",\"a\",\"b\",\"N\"\r\n")
                               << QStringLiteral("N") << QString();
    QTest::newRow("five values") << true << QByteArray("\"1\",\"a\",\"b\",\"N\"\r\n\"2\"")
                                 << QStringLiteral("N") << QStringLiteral("2");
    QTest::newRow("binary") << true << QByteArray("\0\0\0", 3) << QString() << QString();
}

void TestPrintCore::senderFileShortOrMissing() {
    QFETCH(bool, present);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, firstName);
    QFETCH(QString, secondZip);
    QTemporaryDir dir;
    const QString path = dir.filePath("Wolt.tds");
    if (present)
        test::writeBytes(path, bytes);
    const SenderTable table = ReadSenderFile(path);
    QCOMPARE(table[0].name, firstName);
    QCOMPARE(table[1].postalCode, secondZip);
    QCOMPARE(table[3], SenderEntry{});
}

QTEST_APPLESS_MAIN(TestPrintCore)
#include "tst_printcore.moc"
