#include "buildpaths.h"
#include "postaldirectory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

using namespace nvl;

class TestPostalDirectory : public QObject {
    Q_OBJECT
private slots:
    void normalizedCodes_data();
    void normalizedCodes();
    void shippedDataIsWhole();
    void byCode_data();
    void byCode();
    void byAddress_data();
    void byAddress();
    void refusesMalformedData();
};

void TestPostalDirectory::normalizedCodes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("code");
    QTest::newRow("plain") << "1000001"
                           << "1000001";
    QTest::newRow("hyphen") << "100-0001"
                            << "1000001";
    QTest::newRow("full width") << QStringLiteral("１００－０００１") << "1000001";
    QTest::newRow("with 〒") << QStringLiteral("〒100-0001") << "1000001";
    QTest::newRow("six digits") << "100-001"
                                << "";
    QTest::newRow("letters") << "100-00A1"
                             << "";
}

void TestPostalDirectory::normalizedCodes() {
    QFETCH(QString, text);
    QFETCH(QString, code);
    QCOMPARE(normalizedPostalCode(text), code);
}

void TestPostalDirectory::shippedDataIsWhole() {
    // Every row of the checked-in data file, no more, no fewer.
    QFile source(nvl::test::postalDataFile());
    QVERIFY(source.open(QIODevice::ReadOnly));
    int rows = 0;
    for (const QByteArray &line : source.readAll().split('\n'))
        rows += !line.isEmpty() && !line.startsWith('#');
    QVERIFY(rows > 120000);
    QCOMPARE(PostalDirectory::shipped().rowCount(), rows);
}

void TestPostalDirectory::byCode_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("addresses");
    QTest::newRow("one town") << "100-0001" << QStringList{"東京都千代田区千代田"};
    QTest::newRow("the whole municipality") << "1000000" << QStringList{"東京都千代田区"};
    QTest::newRow("several towns")
        << "0985701" << QStringList{"北海道枝幸郡浜頓別町栄和", "北海道枝幸郡浜頓別町頓別"};
    // Japan Post splits this row's long list of lot numbers over several
    // lines: it is one town, not fragments.
    QTest::newRow("split row joined") << "066-0005" << QStringList{"北海道千歳市協和"};
    QTest::newRow("unknown") << "0000000" << QStringList{};
    // Codes for less than a town: a business, a building's floor, a part.
    QTest::newRow("a business") << "163-8001" << QStringList{"東京都新宿区西新宿2丁目8-1 東京都庁"};
    QTest::newRow("a building's floor")
        << "1006310" << QStringList{"東京都千代田区丸の内 丸の内ビルディング10階"};
    QTest::newRow("a part of a town") << "0783951" << QStringList{"北海道苫前郡羽幌町天売（相影）"};
}

void TestPostalDirectory::byCode() {
    QFETCH(QString, code);
    QFETCH(QStringList, addresses);
    QStringList found;
    for (const PostalPlace &place : PostalDirectory::shipped().byCode(code))
        found.append(place.label());
    QCOMPARE(found, addresses);
}

void TestPostalDirectory::byAddress_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("with the prefecture")
        << QStringLiteral("東京都千代田区千代田1-1") << QStringList{"1000001"};
    QTest::newRow("without it") << QStringLiteral("千代田区千代田1-1") << QStringList{"1000001"};
    QTest::newRow("town unknown: the municipality")
        << QStringLiteral("東京都千代田区どこか町1") << QStringList{"1000000"};
    QTest::newRow("nothing") << QStringLiteral("どこにもない") << QStringList{};
    // 大字 and 字 before the town are passed over.
    QTest::newRow("大字") << QStringLiteral("埼玉県川越市大字笠幡1234") << QStringList{"3501175"};
    QTest::newRow("大字, a town with 北")
        << QStringLiteral("奈良県生駒郡斑鳩町大字法隆寺北1-1") << QStringList{"6360111"};
    QTest::newRow("字") << QStringLiteral("沖縄県国頭郡恩納村字恩納123") << QStringList{"9040411"};
    // A high-rise's floors by the building's name; a floor not given, the
    // building's code for any floor; the town's code without the building.
    QTest::newRow("a floor") << QStringLiteral(
                                    "東京都千代田区丸の内二丁目4番1号 丸の内ビルディング10階")
                             << QStringList{"1006310"};
    QTest::newRow("a floor written 10F")
        << QStringLiteral("東京都千代田区丸の内2-4-1 丸の内ビルディング１０Ｆ")
        << QStringList{"1006310"};
    QTest::newRow("the building, no floor")
        << QStringLiteral("東京都千代田区丸の内2-4-1 丸の内ビルディング") << QStringList{"1006390"};
    QTest::newRow("the town, no building")
        << QStringLiteral("東京都千代田区丸の内1-1") << QStringList{"1000005"};
    // A business's code is its own: the address finds the town's.
    QTest::newRow("a business's address")
        << QStringLiteral("東京都新宿区西新宿2-8-1") << QStringList{"1600023"};
    QTest::newRow("a part of a town, after 字")
        << QStringLiteral("北海道苫前郡羽幌町大字天売字相影1") << QStringList{"0783951"};
    // Sapporo's 条 in any numerals, Kyoto's directions: the first code found.
    QFile table(QFINDTESTDATA("../data/postal/jou-and-kyoto.tsv"));
    QVERIFY(table.open(QIODevice::ReadOnly));
    int rows = 0;
    for (const QString &line : QString::fromUtf8(table.readAll()).split(u'\n')) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() != 2 || line.startsWith(u'#'))
            continue;
        QTest::addRow("%s", qPrintable(fields.at(0))) << fields.at(0) << QStringList{fields.at(1)};
        ++rows;
    }
    QVERIFY(rows >= 20);
}

void TestPostalDirectory::byAddress() {
    QFETCH(QString, address);
    QFETCH(QStringList, codes);
    QStringList found;
    for (const PostalPlace &place : PostalDirectory::shipped().byAddress(address))
        found.append(place.code);
    // Where the town has codes by 丁目 that the data does not tell apart,
    // the expected one comes first.
    QCOMPARE(found.mid(0, codes.isEmpty() ? found.size() : 1), codes);
}

void TestPostalDirectory::refusesMalformedData() {
    PostalDirectory directory;
    QVERIFY(directory.load(QByteArray("# ok\n1000001\t東京都\t千代田区\t千代田\n")));
    QCOMPARE(directory.rowCount(), 1);
    QVERIFY(!directory.load(QByteArray("1000001\t東京都\t千代田区\n")));
    QVERIFY(!directory.load(QByteArray("100000x\ta\tb\tc\n")));
    QVERIFY(!directory.load(QByteArray("2000000\ta\tb\tc\n1000000\ta\tb\tc\n"))); // not sorted
    QVERIFY(!directory.load(QByteArray("1000001\ta\tb\tc\t1\t2\t3\t4\t5\n"))); // a field too many
    const QByteArray table = PostalDirectory::compile("1000001\t東京都\t千代田区\t千代田\n");
    QVERIFY(directory.adopt(table));
    QVERIFY(!directory.adopt(table.chopped(1)));
    QCOMPARE(directory.rowCount(), 0);
}

QTEST_APPLESS_MAIN(TestPostalDirectory)
#include "tst_postaldirectory.moc"
