#include "commondialog.h"
#include "fakeplatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;

class TestCommonDialog : public QObject {
    Q_OBJECT
private slots:
    void filterConversion_data();
    void filterConversion();
    void keepsStateBetweenUses();
    void settingsNameWithoutCase_data();
    void settingsNameWithoutCase();
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

void TestCommonDialog::settingsNameWithoutCase_data() {
    QTest::addColumn<QStringList>("present"); // in the program folder
    QTest::addColumn<QStringList>("shipped"); // beside the executable
    QTest::addColumn<QString>("read");        // folder/name read, "" = none there
    QTest::addColumn<QString>("written");

    QTest::newRow("exact name") << QStringList{"Nuvel.ini"} << QStringList{} << "own/Nuvel.ini"
                                << "own/Nuvel.ini";
    QTest::newRow("upper case from another machine")
        << QStringList{"NUVEL.INI"} << QStringList{} << "own/NUVEL.INI"
        << "own/NUVEL.INI";
    QTest::newRow("both spellings: the exact one")
        << QStringList{"nuvel.ini", "Nuvel.ini"} << QStringList{} << "own/Nuvel.ini"
        << "own/Nuvel.ini";
    QTest::newRow("none: the exact name is created")
        << QStringList{"Other.ini"} << QStringList{} << "own/Nuvel.ini"
        << "own/Nuvel.ini";
    QTest::newRow("shipped copy in other case")
        << QStringList{} << QStringList{"NUVEL.ini"} << "exe/NUVEL.ini"
        << "own/Nuvel.ini";
}

void TestCommonDialog::settingsNameWithoutCase() {
    QFETCH(QStringList, present);
    QFETCH(QStringList, shipped);
    QFETCH(QString, read);
    QFETCH(QString, written);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("own"));
    QDir(dir.path()).mkpath(QStringLiteral("exe"));
    const auto touch = [&dir](const QString &relative) {
        QFile file(dir.filePath(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
    };
    for (const QString &name : present)
        touch(QStringLiteral("own/") + name);
    for (const QString &name : shipped)
        touch(QStringLiteral("exe/") + name);
    const QString own = dir.filePath(QStringLiteral("own"));
    const QString exe = dir.filePath(QStringLiteral("exe"));
    QCOMPARE(settingsFileIn(own, exe, QStringLiteral("Nuvel.ini")), dir.filePath(read));
    QCOMPARE(fileInFolder(own, QStringLiteral("Nuvel.ini")), dir.filePath(written));
}

QTEST_APPLESS_MAIN(TestCommonDialog)
#include "tst_commondialog.moc"
