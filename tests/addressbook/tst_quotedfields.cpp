#include "quotedfields.h"

#include <QtTest>

using namespace nvl;

class TestQuotedFields : public QObject {
    Q_OBJECT
private slots:
    void reader_data();
    void reader();
    void readerStopsAtEnd();
    void writerRoundTrip_data();
    void writerRoundTrip();
};

void TestQuotedFields::reader_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("quoted keeps commas and inner blanks")
        << QStringLiteral("\"a, b\",\" c \"\r\n") << QStringList{"a, b", " c "};
    QTest::newRow("blanks before a field are skipped")
        << QStringLiteral("   \"x\",  y\r\n") << QStringList{"x", "y"};
    QTest::newRow("text after the closing quote is dropped")
        << QStringLiteral("\"ab\"cd,\"e\"\r\n") << QStringList{"ab", "e"};
    QTest::newRow("line end separates like a comma")
        << QStringLiteral("\"1\",\"2\"\r\n\"3\"\r\n") << QStringList{"1", "2", "3"};
    QTest::newRow("empty quoted and unquoted fields")
        << QStringLiteral("\"\",,\"z\"\r\n") << QStringList{"", "", "z"};
    QTest::newRow("no final line end") << QStringLiteral("\"a\",\"b\"") << QStringList{"a", "b"};
    QTest::newRow("lone LF and lone CR end lines")
        << QStringLiteral("\"a\"\n\"b\"\r\"c\"") << QStringList{"a", "b", "c"};
    QTest::newRow("unquoted field loses trailing blanks")
        << QStringLiteral("abc  ,def\r\n") << QStringList{"abc", "def"};
    QTest::newRow("unterminated quote runs to the end")
        << QStringLiteral("\"abc") << QStringList{"abc"};
    QTest::newRow("comma before line end gives an empty field")
        << QStringLiteral("\"a\",\r\n\"b\"") << QStringList{"a", "", "b"};
}

void TestQuotedFields::reader() {
    QFETCH(QString, text);
    QFETCH(QStringList, fields);
    QuotedFieldReader reader(text);
    QStringList read;
    while (!reader.atEnd()) {
        std::optional<QString> field = reader.next();
        QVERIFY(field.has_value());
        read.append(*field);
    }
    QCOMPARE(read, fields);
}

void TestQuotedFields::readerStopsAtEnd() {
    QuotedFieldReader reader(QStringLiteral("\"a\"\r\n\r\n  \r\n"));
    QCOMPARE(reader.next(), std::optional<QString>(QStringLiteral("a")));
    QVERIFY(reader.atEnd()); // trailing blank lines are not a record
    QuotedFieldReader empty(QString{});
    QVERIFY(empty.atEnd());
    QVERIFY(!empty.next().has_value());
}

void TestQuotedFields::writerRoundTrip_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("readBack");

    QTest::newRow("plain") << QStringList{"山田", ""} << QStringLiteral("\"山田\",\"\"\r\n")
                           << QStringList{"山田", ""};
    QTest::newRow("comma and blanks")
        << QStringList{" a,b "} << QStringLiteral("\" a,b \"\r\n") << QStringList{" a,b "};
    QTest::newRow("double quote becomes full-width")
        << QStringList{"say \"hi\""} << QStringLiteral("\"say ＂hi＂\"\r\n")
        << QStringList{"say ＂hi＂"};
}

void TestQuotedFields::writerRoundTrip() {
    QFETCH(QStringList, fields);
    QFETCH(QString, line);
    QFETCH(QStringList, readBack);
    QCOMPARE(formatQuotedLine(fields), line);
    QuotedFieldReader reader(line);
    QStringList read;
    while (!reader.atEnd())
        read.append(reader.next().value_or(QStringLiteral("<missing>")));
    QCOMPARE(read, readBack);
}

QTEST_APPLESS_MAIN(TestQuotedFields)
#include "tst_quotedfields.moc"
