#include "fakeplatform.h"
#include "offsetfile.h"
#include "pdfsubsetnames.h"
#include "printlist.h"
#include "senderfile.h"

#include <QTemporaryDir>
#include <QtTest>
#ifndef _WIN32
#include <sys/stat.h>
#endif

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
    void damagedSenderFileCostsOnlyTheBadValue();
    void specialFilesAreNotRead();
    void unreadableOffsetsAreNeutral_data();
    void unreadableOffsetsAreNeutral();
    void subsetFontNames();
    void recordLists_data();
    void recordLists();
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
    QVERIFY(writeSenderFile(path, SenderTable{}).ok);
    QCOMPARE(test::readBytes(path), QByteArray("\"\",\"\",\"\",\"\"\r\n").repeated(4));
    QCOMPARE(readSenderFile(path), SenderTable{});

    SenderTable table;
    table[0] = {"100-0001", QStringLiteral("東京都千代田区1-1, 2F"), QStringLiteral("ビル"),
                QStringLiteral("山田 太郎")};
    table[3] = {"", QStringLiteral("四番目"), "", QStringLiteral("名")};
    QVERIFY(writeSenderFile(path, table).ok);
    QCOMPARE(readSenderFile(path), table);
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
    const SenderTable table = readSenderFile(path);
    QCOMPARE(table[0].name, firstName);
    QCOMPARE(table[1].postalCode, secondZip);
    QCOMPARE(table[3], SenderEntry{});
}

void TestPrintCore::damagedSenderFileCostsOnlyTheBadValue() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Wolt.tds");
    QByteArray bytes;
    for (int i = 1; i <= 4; ++i)
        bytes += test::cp932(QStringLiteral("\"10%1\",\"住所%1\",\"\",\"差出人%1\"\r\n").arg(i));
    // One byte that is text in no encoding, in entry 2's address.
    bytes.replace(test::cp932(QStringLiteral("住所2")), QByteArray("\x82\xff"));
    test::writeBytes(path, bytes);
    QString problem;
    const SenderTable table = readSenderFile(path, &problem);
    QVERIFY(problem.contains(path));
    QCOMPARE(table[1].address1, QString());
    QCOMPARE(table[1].name, QStringLiteral("差出人2"));
    for (int i : {0, 2, 3}) {
        QCOMPARE(table[i].address1, QStringLiteral("住所%1").arg(i + 1));
        QCOMPARE(table[i].name, QStringLiteral("差出人%1").arg(i + 1));
    }
}

void TestPrintCore::specialFilesAreNotRead() {
    // A FIFO would block the reader for ever.
#ifdef _WIN32
    QSKIP("Windows has no FIFOs in its file system");
#endif
    QTemporaryDir dir;
    const QString path = dir.filePath("Wolt.tds");
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QString problem;
    QCOMPARE(readSenderFile(path, &problem), SenderTable{});
    QVERIFY(problem.contains(path));
    QCOMPARE(readOffsetFile(path, &problem).x, OffsetRecord::NeutralX);
    QVERIFY(problem.contains(path));
}

void TestPrintCore::unreadableOffsetsAreNeutral_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<bool>("told");
    QTest::newRow("numbers") << QByteArray("\"1460\",\"900\",\"-2\"\r\n") << "1460"
                             << "900" << false;
    QTest::newRow("not a number") << QByteArray("\"abc\",\"900\",\"0\"\r\n") << "1440"
                                  << "900" << true;
    QTest::newRow("number and rubbish") << QByteArray("\"1460\",\"9x\",\"0\"\r\n") << "1460"
                                        << "880" << true;
    QTest::newRow("short") << QByteArray("\"1460\"\r\n") << "1460"
                           << "880" << false;
}

void TestPrintCore::unreadableOffsetsAreNeutral() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(bool, told);
    QTemporaryDir dir;
    const QString path = dir.filePath("Nuvel.opt");
    test::writeBytes(path, bytes);
    QString problem;
    const OffsetRecord offsets = readOffsetFile(path, &problem);
    QCOMPARE(offsets.x, x);
    QCOMPARE(offsets.y, y);
    QCOMPARE(problem.contains(path), told);
}

namespace {

// A minimal PDF in Qt's shape: objects, one classic cross-reference table.
QByteArray miniPdf(const QList<QByteArray> &objects) {
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace

void TestPrintCore::subsetFontNames() {
    const QByteArray pdf =
        miniPdf({"<< /Type /Catalog >>", "<< /Type /Font /BaseFont /IPAMincho >>",
                 "<< /FontName /ABCDEF+IPAMincho >>", "<< /BaseFont /Other >>"});
    const QByteArray tagged = tagSubsetFontNames(pdf);
    QVERIFY(tagged.contains("/BaseFont /ABCDEF+IPAMincho"));
    QVERIFY(tagged.contains("/BaseFont /Other"));
    // Every cross-reference entry still points at its object.
    const qsizetype xref = tagged.lastIndexOf("\nxref\n") + 1;
    QCOMPARE(tagged.mid(tagged.lastIndexOf("startxref\n") + 10)
                 .trimmed()
                 .split('\n')
                 .first()
                 .toLongLong(),
             xref);
    const QList<QByteArray> lines = tagged.mid(xref).split('\n');
    for (int i = 1; i <= 4; ++i) {
        const qint64 offset = lines.at(2 + i).left(10).toLongLong();
        QVERIFY2(tagged.mid(offset).startsWith(QByteArray::number(i) + " 0 obj"),
                 qPrintable(QStringLiteral("object %1").arg(i)));
    }
    // Nothing to tag, or not a shape it knows: unchanged.
    const QByteArray plain = miniPdf({"<< /BaseFont /IPAMincho >>"});
    QCOMPARE(tagSubsetFontNames(plain), plain);
    QByteArray twoTables = pdf + pdf;
    QCOMPARE(tagSubsetFontNames(twoTables), twoTables);
}

void TestPrintCore::recordLists_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<bool>("ok");
    QTest::newRow("single") << "3" << QList<int>{3} << true;
    QTest::newRow("list and range") << "1,3,5-7" << QList<int>{1, 3, 5, 6, 7} << true;
    QTest::newRow("order kept") << "4,2" << QList<int>{4, 2} << true;
    QTest::newRow("out of range") << "9" << QList<int>{} << false;
    QTest::newRow("zero") << "0" << QList<int>{} << false;
    QTest::newRow("backwards range") << "5-3" << QList<int>{} << false;
    QTest::newRow("junk") << "a" << QList<int>{} << false;
    QTest::newRow("empty part") << "1,,2" << QList<int>{} << false;
}

void TestPrintCore::recordLists() {
    QFETCH(QString, text);
    QFETCH(QList<int>, numbers);
    QFETCH(bool, ok);
    const auto parsed = parseRecordList(text, 8);
    QCOMPARE(parsed.has_value(), ok);
    if (ok)
        QCOMPARE(*parsed, numbers);
}

QTEST_APPLESS_MAIN(TestPrintCore)
#include "tst_printcore.moc"
