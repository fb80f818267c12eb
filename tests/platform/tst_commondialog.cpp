#include "commondialog.h"
#include "fakeplatform.h"

#include <QtTest>

using namespace nvl;

class TestCommonDialog : public QObject {
    Q_OBJECT
private slots:
    void filterConversion_data();
    void filterConversion();
    void keepsStateBetweenUses();
};

void TestCommonDialog::filterConversion_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("descriptions carry their patterns")
        << QStringLiteral("データファイル(*.dat)|*.dat|CSVファイル(*.csv)|*.csv")
        << QStringLiteral("データファイル(*.dat);;CSVファイル(*.csv)");
    QTest::newRow("pattern added when missing")
        << QStringLiteral("すべて|*.dat;*.csv") << QStringLiteral("すべて (*.dat *.csv)");
    QTest::newRow("odd trailing part ignored")
        << QStringLiteral("A|*.a|B") << QStringLiteral("A (*.a)");
}

void TestCommonDialog::filterConversion() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(toQtFilter(filter), qt);
}

void TestCommonDialog::keepsStateBetweenUses() {
    test::FakeFileDialogs service;
    CommonDialog dialog(service);
    dialog.initialFolder = QStringLiteral("/data");
    service.openAnswers = {QStringLiteral("/data/a.dat")};
    QCOMPARE(dialog.showOpen(), QStringLiteral("/data/a.dat"));
    dialog.confirmOverwrite = true;
    service.saveAnswers = {QString()};
    QCOMPARE(dialog.showSave(), QString());
    QCOMPARE(service.saveRequests.size(), 1);
    // The save dialog starts where the open dialog left it.
    QCOMPARE(service.saveRequests.at(0).initialFolder, QStringLiteral("/data"));
    QCOMPARE(service.saveRequests.at(0).fileName, QStringLiteral("/data/a.dat"));
    QVERIFY(service.saveRequests.at(0).confirmOverwrite);
    QCOMPARE(dialog.fileName, QString()); // cancelled: empty
}

QTEST_APPLESS_MAIN(TestCommonDialog)
#include "tst_commondialog.moc"
