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
    void cardYear_data();
    void cardYear();
    void yearFilters_data();
    void yearFilters();
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
    QTest::newRow("the code after 〒") << "〒100-0005"
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
    QCOMPARE((RecordSearch{text, tag, {}}.matches(record, data)), found);
}

void TestRecordSearch::cardYear_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("year");
    QTest::newRow("1 October: next year's cards") << QDate(2026, 10, 1) << 2027;
    QTest::newRow("31 December") << QDate(2026, 12, 31) << 2027;
    QTest::newRow("5 January: this year's") << QDate(2027, 1, 5) << 2027;
    QTest::newRow("30 September") << QDate(2027, 9, 30) << 2027;
}

void TestRecordSearch::cardYear() {
    QFETCH(QDate, today);
    QFETCH(int, year);
    QCOMPARE(nvl::cardYear(today), year);
}

// Each year filter on a book whose answer is known, for card year 2027.
void TestRecordSearch::yearFilters_data() {
    QTest::addColumn<int>("filter");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("今年送る") << int(YearFilter::SendThisYear)
                              << QStringList{"replied", "pending", "last year", "nothing"};
    QTest::newRow("返事がまだ") << int(YearFilter::ReplyPending) << QStringList{"pending"};
    QTest::newRow("去年もらった人")
        << int(YearFilter::ReceivedLastYear) << QStringList{"last year", "mourning"};
    QTest::newRow("喪中") << int(YearFilter::Mourning) << QStringList{"mourning"};
    QTest::newRow("すべて") << int(YearFilter::None)
                            << QStringList{"replied", "pending", "last year", "mourning",
                                           "nothing"};
}

void TestRecordSearch::yearFilters() {
    QFETCH(int, filter);
    QFETCH(QStringList, found);
    const auto marked = [](std::initializer_list<std::pair<int, YearMark>> marks) {
        QJsonObject data;
        for (const auto &[year, mark] : marks)
            data = withMark(data, year, mark, true);
        return data;
    };
    const QList<std::pair<QString, QJsonObject>> book = {
        {"replied", marked({{2027, YearMark::Sent}, {2027, YearMark::Received}})},
        {"pending", marked({{2027, YearMark::Received}, {2026, YearMark::Sent}})},
        {"last year", marked({{2026, YearMark::Received}})},
        {"mourning", marked({{2026, YearMark::Received}, {2027, YearMark::Mourning}})},
        {"nothing", {}},
    };
    const RecordSearch search{{}, {}, yearFilterConditions(YearFilter(filter), 2027)};
    QStringList names;
    for (const auto &[name, data] : book)
        if (search.matches(AddressRecord(), data))
            names.append(name);
    QCOMPARE(names, found);
}

QTEST_APPLESS_MAIN(TestRecordSearch)
#include "tst_recordsearch.moc"
