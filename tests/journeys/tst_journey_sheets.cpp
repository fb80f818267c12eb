// The list sheet's double click into the editor, the version box, help and
// the home page, with the real help window and the desktop's browser launcher.
#include "fakeplatform.h"
#include "journey.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QTableView>
#include <QTextBrowser>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestJourneySheets : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { prepareApplication(*qApp); }
    void listSheetDoubleClickOpensCard();
    void versionBox();
    void helpFromEachWindow();
    void homePage();
};

namespace {

QAction *menuEntry(QWidget *window, const QString &menu, const QString &entry) {
    auto *bar = window->findChild<QMenuBar *>();
    if (!bar)
        return nullptr;
    for (QAction *top : bar->actions()) {
        if (visibleText(top->text()) != menu || !top->menu())
            continue;
        for (QAction *action : top->menu()->actions())
            if (visibleText(action->text()) == entry)
                return action;
    }
    return nullptr;
}

QTextBrowser *helpWindow() {
    return qobject_cast<QTextBrowser *>(windowTitled(QStringLiteral("ヘルプ")));
}

} // namespace

void TestJourneySheets::listSheetDoubleClickOpensCard() {
    Journey journey;
    ModalAnswers answers;
    journey.openBook(journey.writeBook(QStringLiteral("a.dat"), 5), answers);
    QVERIFY(press(journey.mainWindow(), QStringLiteral("住所録一覧")));
    QWidget *sheet = journey.window(WindowId::ListSheet);
    QVERIFY(sheet);
    auto *grid = sheet->findChild<QTableView *>();
    QVERIFY(grid);
    QCOMPARE(rowCount(grid), 5);
    const QRect cell = cellRect(grid, 3, 1);
    // A double click is a click, then the second press that makes it double.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTRY_VERIFY(journey.window(WindowId::CardEditor));
    auto *name = qobject_cast<QLineEdit *>(
        controlNamed(journey.window(WindowId::CardEditor), QStringLiteral("宛名／敬称")));
    QVERIFY(name);
    QCOMPARE(name->text(), QStringLiteral("宛名4"));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneySheets::versionBox() {
    Journey journey;
    QAction *entry =
        menuEntry(journey.mainWindow(), QStringLiteral("ﾍﾙﾌﾟ"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QVERIFY(entry);
    // The version box is modal: pressed from the event loop, answered by its OK.
    QString title;
    ModalAnswers answers;
    answers.then(inspectThen([&title](QWidget *box) { title = box->windowTitle(); },
                             pressButton(QStringLiteral("OK"))));
    QTimer::singleShot(0, entry, &QAction::trigger);
    QTRY_VERIFY(answers.allAnswered());
    QTRY_VERIFY(!windowTitled(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報")));
    QCOMPARE(title, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QVERIFY(journey.mainWindow());
}

void TestJourneySheets::helpFromEachWindow() {
    Journey journey;
    ModalAnswers answers;
    QVERIFY(press(journey.mainWindow(), QStringLiteral("ヘルプ")));
    QTRY_VERIFY(helpWindow());
    QCOMPARE(helpWindow()->documentTitle(), QStringLiteral("ＮＶＬはがき宛名プリント ヘルプ"));

    journey.openBook(journey.writeBook(QStringLiteral("a.dat"), 2), answers);
    QVERIFY(press(journey.mainWindow(), QStringLiteral("住所録編集")));
    QWidget *editor = journey.window(WindowId::CardEditor);
    QVERIFY(editor);
    QVERIFY(press(editor, QStringLiteral("ヘルプ")));
    QCOMPARE(helpWindow()->documentTitle(), QStringLiteral("住所録編集"));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneySheets::homePage() {
    BrowserLauncherStandIn launcher;
    Journey journey;
    QAction *entry = menuEntry(journey.mainWindow(), QStringLiteral("ﾍﾙﾌﾟ"),
                               QStringLiteral("Orbekホームページ"));
    QVERIFY(entry);
    entry->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!launcher.opened().isEmpty(), 10000);
    QVERIFY(launcher.opened().startsWith("https://"));
}

QTEST_MAIN(TestJourneySheets)
#include "tst_journey_sheets.moc"
