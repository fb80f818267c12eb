// Which book is open, through the real dialogs: New keeps the open book's
// companion, the reorder window follows the editor's save under a new name,
// and an export onto the open book's own file is refused.
#include "bookdocument.h"
#include "fakeplatform.h"
#include "jointnames.h"
#include "journey.h"
#include "recordsearch.h"
#include "yearmarks.h"

#include <QApplication>
#include <QListView>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestJourneyOneBook : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { prepareApplication(*qApp); }
    void newKeepsTheOpenBooksCompanion();
    void reorderFollowsTheEditorsSaveAs();
    void exportOntoTheOpenCsvRefused();
};

namespace {

// 連名, a reading, tags, marks for two years and sync settings.
void giveEverything(const QString &book) {
    BookDocument document;
    QVERIFY(document.load(book).ok());
    QJsonObject data = withJointNames({}, {{QStringLiteral("次郎"), QStringLiteral("様")}});
    data = withTags(withReading(data, QStringLiteral("アテナ")), {QStringLiteral("家族")});
    data = withMark(withMark(data, 2026, YearMark::Sent, true), 2027, YearMark::Received, true);
    document.setRecordData(0, data);
    document.setBookSettings(
        {{QStringLiteral("sync"), QJsonObject{{QStringLiteral("user"), QStringLiteral("alice")}}}});
    QVERIFY(document.save().ok());
}

// A book with everything in its companion, open in the main window; what
// its two files held then.
QByteArray openWithEverything(Journey &journey, ModalAnswers &answers, const QString &book) {
    giveEverything(book);
    journey.openBook(book, answers);
    [&answers] {
        QTRY_VERIFY(answers.allAnswered());
    }();
    return readBytes(book) + readBytes(book + QStringLiteral(".nvl"));
}

} // namespace

void TestJourneyOneBook::newKeepsTheOpenBooksCompanion() {
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("book.dat"), 3);
    const QByteArray before = openWithEverything(journey, answers, book);
    QVERIFY(press(journey.mainWindow(), QStringLiteral("新規作成")));
    QTRY_VERIFY(journey.window(WindowId::CardEditor));
    QCOMPARE(readBytes(book) + readBytes(book + QStringLiteral(".nvl")), before);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyOneBook::reorderFollowsTheEditorsSaveAs() {
    Journey journey;
    ModalAnswers answers;
    const QString first = journey.writeBook(QStringLiteral("first.dat"), 3);
    const QByteArray firstBefore = readBytes(first);
    journey.openBook(first, answers);
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY(press(journey.mainWindow(), QStringLiteral("新規作成")));
    QWidget *editor = journey.window(WindowId::CardEditor);
    QVERIFY(editor);
    for (const QString &name : {QStringLiteral("一人目"), QStringLiteral("二人目")}) {
        QWidget *field = controlNamed(editor, QStringLiteral("宛名／敬称"));
        QVERIFY(field);
        typeText(field, name);
        QVERIFY(press(editor, QStringLiteral("登録")));
        if (name == QStringLiteral("一人目"))
            QVERIFY(press(editor, QStringLiteral("∥")));
    }
    const QString second = journey.path(QStringLiteral("second.dat"));
    answers.then(pressButton(QStringLiteral("はい")))
        .then(typeFileNameAndPress(second, QStringLiteral("保存")));
    QVERIFY(press(editor, QStringLiteral("戻る")));
    QTRY_VERIFY(answers.allAnswered());
    QTRY_VERIFY(journey.mainWindow());
    QCOMPARE(journey.bookNames(second), (QStringList{"一人目", "二人目"}));

    QVERIFY(press(journey.mainWindow(), QStringLiteral("順序入替")));
    QWidget *reorder = journey.window(WindowId::Reorder);
    QVERIFY(reorder);
    auto *list = reorder->findChild<QListView *>();
    QVERIFY(list);
    QCOMPARE(rowCount(list), 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(list->model()->index(1, 0)).center());
    typeText(controlNamed(reorder, QStringLiteral("挿入先の番号")), QStringLiteral("1"));
    QVERIFY(press(reorder, QStringLiteral("実行")));
    QCOMPARE(journey.bookNames(second), (QStringList{"二人目", "一人目"}));
    QCOMPARE(readBytes(first), firstBefore);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyOneBook::exportOntoTheOpenCsvRefused() {
    Journey journey;
    ModalAnswers answers;
    // A book kept as テキストファイル: the book's own format in a .csv.
    const QString book = journey.writeBook(QStringLiteral("住所録.csv"), 3);
    const QByteArray before = openWithEverything(journey, answers, book);
    answers.then(typeFileNameAndPress(book, QStringLiteral("保存")))
        .then(pressButton(QStringLiteral("はい"))) // Qt: replace the existing file?
        .then(pressButton(QStringLiteral("OK")));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"),
                           QStringLiteral("住所録を書き出す")));
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY2(answers.messageTexts().last().contains(QStringLiteral("住所録そのもの")),
             qPrintable(answers.messageTexts().join(u'|')));
    QCOMPARE(readBytes(book) + readBytes(book + QStringLiteral(".nvl")), before);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

QTEST_MAIN(TestJourneyOneBook)
#include "tst_journey_onebook.moc"
