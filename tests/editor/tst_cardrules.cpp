#include "cardrules.h"

#include <QtTest>

using namespace nvl;

class TestCardRules : public QObject {
    Q_OBJECT
private slots:
    void labels();
    void changeRule_data();
    void changeRule();
    void honorificIndex_data();
    void honorificIndex();
};

void TestCardRules::labels() {
    QCOMPARE(registeredLabel(3, 12), QStringLiteral("3/12"));
    QCOMPARE(newCardLabel(13), QStringLiteral("13/新規"));
}

// Each step: field (0 name, 1 add1, 2 add2, 3 code, 4 zip), text length,
// expected accepted, expected modified afterwards.
void TestCardRules::changeRule_data() {
    QTest::addColumn<QList<int>>("fields");
    QTest::addColumn<QList<int>>("lengths");
    QTest::addColumn<QList<bool>>("accepted");
    QTest::addColumn<QList<bool>>("modified");

    QTest::newRow("every change marks the card")
        << QList<int>{0, 1, 4} << QList<int>{1, 2, 3} << QList<bool>{true, true, true}
        << QList<bool>{true, true, true};
    QTest::newRow("limits 20, 22, 22, 20")
        << QList<int>{0, 0, 1, 2, 3, 3} << QList<int>{20, 21, 22, 23, 20, 21}
        << QList<bool>{true, false, true, false, true, false}
        << QList<bool>{true, true, true, true, true, true};
    QTest::newRow("postal code has no limit") << QList<int>{4, 4} << QList<int>{100, 200}
                                              << QList<bool>{true, true} << QList<bool>{true, true};
}

void TestCardRules::changeRule() {
    QFETCH(QList<int>, fields);
    QFETCH(QList<int>, lengths);
    QFETCH(QList<bool>, accepted);
    QFETCH(QList<bool>, modified);
    ChangeTracker tracker;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const auto field = static_cast<WatchedField>(fields.at(i));
        const QString text(lengths.at(i), QChar(u'字'));
        QCOMPARE(tracker.fieldChanged(field, text), accepted.at(i));
        QCOMPARE(tracker.modified, modified.at(i));
        if (field != WatchedField::Zip)
            QCOMPARE(tracker.lastLength, lengths.at(i));
    }
}

void TestCardRules::honorificIndex_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("index");
    QTest::newRow("2") << "2" << 2;
    QTest::newRow("blank 3") << " 3" << 3;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("none chosen") << "-1" << -1;
    QTest::newRow("2.5 to even") << "2.5" << 2;
    QTest::newRow("3.5 to even") << "3.5" << 4;
    QTest::newRow("out of range") << "9" << -1;
}

void TestCardRules::honorificIndex() {
    QFETCH(QString, field);
    QFETCH(int, index);
    QCOMPARE(honorificIndexForList(field), index);
}

QTEST_APPLESS_MAIN(TestCardRules)
#include "tst_cardrules.moc"
