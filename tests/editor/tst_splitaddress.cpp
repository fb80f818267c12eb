#include "splitaddress.h"

#include <QtTest>

using namespace nvl;

class TestSplitAddress : public QObject {
    Q_OBJECT
private slots:
    void split_data();
    void split();
};

void TestSplitAddress::split_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("withPrefecture");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");

    // Without the prefecture, only line 1 loses it.
    QTest::newRow("西多摩郡 without prefecture")
        << "東京都西多摩郡瑞穂町箱根ケ崎" << false << "西多摩郡"
        << "瑞穂町箱根ケ崎";
    QTest::newRow("神奈川県 without prefecture")
        << "神奈川県横浜市中区山下町" << false << "横浜市中区"
        << "山下町";
    QTest::newRow("prefecture only, dropped") << "東京都" << false << ""
                                              << "";
    QTest::newRow("県 inside a name, dropped") << "横浜市中区県民ホール" << false << ""
                                               << "民ホール";

    // With the prefecture: the documented cases.
    QTest::newRow("都 at 3, 区") << "東京都千代田区丸の内1-1" << true << "東京都千代田区"
                                 << "丸の内1-1";
    QTest::newRow("都 at 2 passed over, 府 at 3")
        << "京都府京都市左京区田中" << true << "京都府京都市左京区"
        << "田中";
    QTest::newRow("県 at 4") << "神奈川県横浜市中区山下町" << true << "神奈川県横浜市中区"
                             << "山下町";
    QTest::newRow("rule 3 余市郡") << "北海道余市郡余市町黒川町" << true << "北海道余市郡"
                                   << "余市町黒川町";
    QTest::newRow("rule 4 四日市市") << "三重県四日市市諏訪町" << true << "三重県四日市市"
                                     << "諏訪町";
    QTest::newRow("rule 7 郡山市") << "福島県郡山市朝日" << true << "福島県郡山市"
                                   << "朝日";
    QTest::newRow("rule 1 蒲郡市") << "愛知県蒲郡市旭町" << true << "愛知県蒲郡市"
                                   << "旭町";
    QTest::newRow("郡 ends, 町 no marker")
        << "東京都西多摩郡瑞穂町箱根ケ崎" << true << "東京都西多摩郡"
        << "瑞穂町箱根ケ崎";
    QTest::newRow("no prefecture") << "千代田区丸の内" << true << "千代田区"
                                   << "丸の内";
    QTest::newRow("first 県 anywhere") << "横浜市中区県民ホール" << true << "横浜市中区県"
                                       << "民ホール";
    QTest::newRow("prefecture only") << "東京都" << true << "東京都"
                                     << "";
    QTest::newRow("no marker") << "丸の内一丁目" << true << ""
                               << "丸の内一丁目";

    // Rule order on inputs the table does not list.
    QTest::newRow("rule 1 小郡市") << "福岡県小郡市大保" << true << "福岡県小郡市"
                                   << "大保";
    QTest::newRow("rule 3 高市郡") << "奈良県高市郡明日香村" << true << "奈良県高市郡"
                                   << "明日香村";
    QTest::newRow("rule 6 市原市") << "千葉県市原市五井" << true << "千葉県市原市"
                                   << "五井";
    QTest::newRow("rule 5 八日市場市") << "千葉県八日市場市" << true << "千葉県八日市場市"
                                       << "";
    QTest::newRow("rule 2 今市市") << "栃木県今市市今市" << true << "栃木県今市市"
                                   << "今市";
    QTest::newRow("郡 after 区 wins") << "大阪府大阪市北区郡津1" << true << "大阪府大阪市北区郡"
                                      << "津1";
    QTest::newRow("市 alone") << "埼玉県川口市本町" << true << "埼玉県川口市"
                              << "本町";
    QTest::newRow("道 not at 3 falls to 県") << "あいう道え県お" << true << "あいう道え県"
                                             << "お";
    QTest::newRow("府 beyond 3 ignored, no 県") << "大阪市中央府x" << true << "大阪市"
                                                << "中央府x";
    QTest::newRow("short rest for rules") << "東京都郡" << true << "東京都郡"
                                          << "";
    QTest::newRow("half-width text") << "abc" << true << ""
                                     << "abc";
}

void TestSplitAddress::split() {
    QFETCH(QString, input);
    QFETCH(bool, withPrefecture);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    const SplitLines lines = splitAddressText(input, withPrefecture);
    QCOMPARE(lines.line1, line1);
    QCOMPARE(lines.line2, line2);
}

QTEST_APPLESS_MAIN(TestSplitAddress)
#include "tst_splitaddress.moc"
