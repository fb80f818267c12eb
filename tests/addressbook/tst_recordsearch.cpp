// Finding a record the way a user types: readings, either kana, half-width
// katakana, full-width codes, 連名 and tags.
#include "jointnames.h"
#include "recordsearch.h"

#include <QJsonArray>
#include <QtTest>

using namespace nvl;

class TestRecordSearch : public QObject {
    Q_OBJECT
private slots:
    void matches_data();
    void matches();
};

void TestRecordSearch::matches_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("found");
    QTest::newRow("やまだ through the reading") << "やまだ"
                                                << "" << true;
    QTest::newRow("ﾔﾏﾀﾞ finds やまだ") << "ﾔﾏﾀﾞ"
                                       << "" << true;
    QTest::newRow("the name itself") << "山田"
                                     << "" << true;
    QTest::newRow("ヴ in the building, typed ｳﾞ") << "ｳﾞｨﾗ"
                                                  << "" << true;
    QTest::newRow("ヴ typed as ゔ") << "ゔぃら"
                                    << "" << true;
    QTest::newRow("a full-width code") << "１００－０００５"
                                       << "" << true;
    QTest::newRow("the code without its hyphen") << "1000005"
                                                 << "" << true;
    QTest::newRow("a 連名") << "はなこ"
                            << "" << false; // a given name is matched as written
    QTest::newRow("a 連名 as written") << "花子"
                                       << "" << true;
    QTest::newRow("a tag as text") << "家族"
                                   << "" << true;
    QTest::newRow("the tag filter") << ""
                                    << "家族" << true;
    QTest::newRow("another tag") << ""
                                 << "仕事" << false;
    QTest::newRow("text and tag both hold") << "千代田"
                                            << "家族" << true;
    QTest::newRow("text fails, tag holds") << "大阪"
                                           << "家族" << false;
    QTest::newRow("nothing asked") << ""
                                   << "" << true;
}

void TestRecordSearch::matches() {
    QFETCH(QString, text);
    QFETCH(QString, tag);
    QFETCH(bool, found);
    AddressRecord record;
    record.setField(AddressRecord::Name, QStringLiteral("山田 太郎"));
    record.setField(AddressRecord::PostalCode, QStringLiteral("100-0005"));
    record.setField(AddressRecord::Address1, QStringLiteral("東京都千代田区丸の内"));
    record.setField(AddressRecord::Address3, QStringLiteral("ヴィラ丸の内"));
    QJsonObject data = withJointNames({}, {{QStringLiteral("花子"), QStringLiteral("様")}});
    data.insert(QStringLiteral("reading"), QStringLiteral("ヤマダ タロウ"));
    data.insert(QStringLiteral("tags"), QJsonArray{QStringLiteral("家族"), QStringLiteral("年賀")});
    QCOMPARE((RecordSearch{text, tag}.matches(record, data)), found);
}

QTEST_APPLESS_MAIN(TestRecordSearch)
#include "tst_recordsearch.moc"
