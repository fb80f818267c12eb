#include "bookfile.h"
#include "fakeplatform.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;
using nvl::test::cp932;
using nvl::test::readBytes;
using nvl::test::writeBytes;

namespace {

QString sampleLine(int i) {
    return QStringLiteral("\"山田 太郎%1\",\"東京都千代田区%1\",\"丸の内1-2, 3F\",\"123-4567\","
                          "\"C%1\",\"%2\",\"ＮＶＬビル\"\r\n")
        .arg(i)
        .arg(i % 6);
}

QByteArray sampleFile(int records) {
    QString text;
    for (int i = 1; i <= records; ++i)
        text += sampleLine(i);
    return cp932(text);
}

} // namespace

class TestBookFile : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void fullBookRoundTripsByteForByte();
    void tooManyRecordsFails();
    void layouts_data();
    void layouts();
    void honorificWords_data();
    void honorificWords();
    void unrepresentableTextSurvives();
    void oldFormat_data();
    void oldFormat();
    void oldFormatConversion();
    void strayFieldIsNotOldFormat();
    void everyAcceptedTextReadsBack_data();
    void everyAcceptedTextReadsBack();
    void nulRefused();

private:
    QString path(const char *name) { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
};

void TestBookFile::fullBookRoundTripsByteForByte() {
    const QByteArray original = sampleFile(300);
    writeBytes(path("in.dat"), original);
    const BookRead read = readBookFile(path("in.dat"));
    QVERIFY(read.ok());
    QCOMPARE(read.book.recordCount(), 300);
    QCOMPARE(read.book.record(300).field(AddressRecord::Name), QStringLiteral("山田 太郎300"));
    QCOMPARE(read.book.record(2).field(AddressRecord::Address2), QStringLiteral("丸の内1-2, 3F"));
    QVERIFY(writeBookFile(path("out.dat"), read.book).ok);
    QCOMPARE(readBytes(path("out.dat")), original);
}

void TestBookFile::tooManyRecordsFails() {
    writeBytes(path("301.dat"), sampleFile(301));
    const BookRead read = readBookFile(path("301.dat"));
    QCOMPARE(read.status, BookRead::Status::TooManyRecords);
}

void TestBookFile::layouts_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("lastName");

    const int ok = int(BookRead::Status::Ok);
    QTest::newRow("empty file") << QByteArray() << ok << 0 << QString();
    QTest::newRow("no final CR LF")
        << QByteArray("\"a\",\"1\",\"2\",\"3\",\"4\",\"0\",\"5\"\r\n\"b\",\"1\",\"2\",\"3\",\"4\","
                      "\"0\",\"5\"")
        << ok << 2 << QStringLiteral("b");
    QTest::newRow("seven fields over two lines")
        << QByteArray("\"a\",\"1\",\"2\"\r\n\"3\",\"4\",\"0\",\"5\"\r\n") << ok << 1
        << QStringLiteral("a");
    QTest::newRow("trailing blank lines")
        << QByteArray("\"a\",\"1\",\"2\",\"3\",\"4\",\"0\",\"5\"\r\n\r\n\r\n") << ok << 1
        << QStringLiteral("a");
    QTest::newRow("ends inside a record")
        << QByteArray("\"a\",\"1\",\"2\",\"3\",\"4\",\"0\",\"5\"\r\n\"b\",\"1\"\r\n")
        << int(BookRead::Status::EndInsideRecord) << 1 << QStringLiteral("a");
    QTest::newRow("six-field line shifts what follows")
        << QByteArray(
               "\"a\",\"1\",\"2\",\"3\",\"4\",\"0\"\r\n\"b\",\"1\",\"2\",\"3\",\"4\",\"0\",\"5\","
               "\"c\"\r\n")
        << ok << 2 << QStringLiteral("1");
}

void TestBookFile::layouts() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(int, records);
    QFETCH(QString, lastName);
    writeBytes(path("l.dat"), bytes);
    const BookRead read = readBookFile(path("l.dat"));
    QCOMPARE(int(read.status), status);
    QCOMPARE(read.book.recordCount(), records);
    if (records > 0)
        QCOMPARE(read.book.record(records).field(AddressRecord::Name), lastName);
    if (status == int(BookRead::Status::Ok)) {
        // Writing back gives every record on a line of its own.
        QVERIFY(writeBookFile(path("w.dat"), read.book).ok);
        QCOMPARE(readBytes(path("w.dat")).count("\r\n"), records);
    }
}

void TestBookFile::honorificWords_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("word");
    QTest::newRow("0") << "0" << QStringLiteral("様");
    QTest::newRow("leading blank") << " 2" << QStringLiteral("御中");
    QTest::newRow("3") << "3" << QStringLiteral("君");
    QTest::newRow("5") << "5" << QStringLiteral("行");
    QTest::newRow("none chosen") << "-1" << QString();
    QTest::newRow("empty reads as 0") << "" << QStringLiteral("様");
    QTest::newRow("a word is printed as written") << " 各位 " << QStringLiteral("各位");
    QTest::newRow("out of range") << "9" << QString();
    QTest::newRow("2.5 to even") << "2.5" << QStringLiteral("御中");
    QTest::newRow("3.5 to even") << "3.5" << QStringLiteral("先生");
    QTest::newRow("5.5 to even is 6") << "5.5" << QString();
    QTest::newRow("-0.5 to even is 0") << "-0.5" << QStringLiteral("様");
    QTest::newRow("huge") << "99999999999" << QString();
}

void TestBookFile::honorificWords() {
    QFETCH(QString, field);
    QFETCH(QString, word);
    QCOMPARE(honorificWord(field), word);
}

void TestBookFile::unrepresentableTextSurvives() {
    AddressBook book;
    AddressRecord record;
    record.setField(AddressRecord::Name, QStringLiteral("𠮷田 \"よし\""));
    record.setField(AddressRecord::Address1, QStringLiteral("森鷗外記念館, 1F"));
    record.setField(AddressRecord::Honorific, QStringLiteral("0"));
    book.records.append(record);
    QVERIFY(writeBookFile(path("u.dat"), book).ok);
    QVERIFY(readBytes(path("u.dat")).startsWith("\xEF\xBB\xBF"));
    const BookRead read = readBookFile(path("u.dat"));
    QVERIFY(read.ok());
    QCOMPARE(read.encoding, TextEncoding::Utf8Bom);
    QCOMPARE(read.book.recordCount(), 1);
    QCOMPARE(read.book.record(1).field(AddressRecord::Name), QStringLiteral("𠮷田 ＂よし＂"));
    QCOMPARE(read.book.record(1).field(AddressRecord::Address1),
             QStringLiteral("森鷗外記念館, 1F"));
}

void TestBookFile::oldFormat_data() {
    QTest::addColumn<int>("oldRecords");
    QTest::addColumn<int>("currentStatus");
    QTest::addColumn<int>("currentRecords");
    QTest::addColumn<bool>("mayBeOld");

    // 30 fields do not divide into sevens: the current read fails.
    QTest::newRow("5 old records") << 5 << int(BookRead::Status::EndInsideRecord) << 4 << true;
    // 42 fields do: read as 6 current records, no failure, no conversion.
    QTest::newRow("7 old records") << 7 << int(BookRead::Status::Ok) << 6 << false;
}

void TestBookFile::oldFormat() {
    QFETCH(int, oldRecords);
    QFETCH(int, currentStatus);
    QFETCH(int, currentRecords);
    QFETCH(bool, mayBeOld);
    QString text;
    for (int i = 1; i <= oldRecords; ++i)
        text += QStringLiteral("\"名%1\",\"住所%1\",\"番地\",\"100-000%1\",\"\",\"0\"\r\n").arg(i);
    const BookRead read = parseBook(text);
    QCOMPARE(int(read.status), currentStatus);
    QCOMPARE(read.book.recordCount(), currentRecords);
    if (!read.ok())
        QCOMPARE(mayBeOldFormat(read), mayBeOld);
    const OldBookRead old = parseOldBook(text);
    QVERIFY(old.ok);
    QCOMPARE(old.records.size(), oldRecords);
}

void TestBookFile::oldFormatConversion() {
    const QList<QStringList> old = {{"a", "b", "c", "d", "e", "1"}, {"f", "g", "h", "i", "j", "2"}};
    QCOMPARE(formatBook(convertOldRecords(old)),
             QStringLiteral("\"a\",\"b\",\"c\",\"d\",\"e\",\"1\",\" \"\r\n"
                            "\"f\",\"g\",\"h\",\"i\",\"j\",\"2\",\" \"\r\n"));
    // A postal code where record 2's name should be: a broken current file.
    const BookRead broken =
        parseBook(QStringLiteral("\"a\",\"1\",\"2\",\"3\",\"4\",\"0\",\"5\",\"123\",\"x\""));
    QVERIFY(!broken.ok());
    QVERIFY(!mayBeOldFormat(broken));
    // More than 200 old records is not an old file.
    QString many;
    for (int i = 0; i < 201; ++i)
        many += QStringLiteral("\"n\",\"a\",\"b\",\"z\",\"c\",\"0\"\r\n");
    QVERIFY(!parseOldBook(many).ok);
}

QTEST_APPLESS_MAIN(TestBookFile)
#include "tst_bookfile.moc"

void TestBookFile::strayFieldIsNotOldFormat() {
    // Five current records and one stray field: 36 fields, six sixes.
    QString text;
    for (int i = 1; i <= 5; ++i)
        text += sampleLine(i);
    text += QStringLiteral("\"迷子\"\r\n");
    const BookRead read = parseBook(text);
    QVERIFY(!read.ok());
    QVERIFY(!parseOldBook(text).ok);
}

void TestBookFile::everyAcceptedTextReadsBack_data() {
    QTest::addColumn<QString>("field");
    QTest::newRow("U+001C") << QStringLiteral("a\x1c"
                                              "b");
    QTest::newRow("U+007F") << QStringLiteral("a\x7f"
                                              "b");
    QTest::newRow("U+001A") << QStringLiteral("a\x1a"
                                              "b");
    QTest::newRow("all three, ASCII only") << QStringLiteral("\x1c\x7f\x1a");
    QTest::newRow("with Japanese") << QStringLiteral("山田\x1c\x7f\x1a太郎");
    QTest::newRow("line break inside") << QStringLiteral("一行目\r\n二行目");
}

void TestBookFile::everyAcceptedTextReadsBack() {
    QFETCH(QString, field);
    AddressBook book;
    book.records.append(AddressRecord::fromList(
        {field, field, QString(), QStringLiteral("1"), QString(), QStringLiteral("0"), field}));
    const QString path = m_dir.filePath(QStringLiteral("rt.dat"));
    QVERIFY(writeBookFile(path, book));
    const BookRead read = readBookFile(path);
    QVERIFY(read.ok());
    QCOMPARE(read.book.record(1).field(AddressRecord::Name), field);
    QCOMPARE(read.book.record(1).field(AddressRecord::Address3), field);
    // Stored as CP932 with each control code as its own byte, as Windows has it.
    QCOMPARE(read.encoding, TextEncoding::Cp932);
    for (const QChar c : field)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            QVERIFY(readBytes(path).contains(char(c.unicode())));
}

void TestBookFile::nulRefused() {
    const QString path = m_dir.filePath(QStringLiteral("nul.dat"));
    writeBytes(path, sampleFile(2));
    AddressBook book;
    book.records.append(AddressRecord::fromList({QStringLiteral("a") + QChar(0) + u'b'}));
    const WriteResult written = writeBookFile(path, book);
    QVERIFY(!written);
    QVERIFY(written.error.contains(path));
    QCOMPARE(readBytes(path), sampleFile(2));
}
