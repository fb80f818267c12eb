// The card editor through the real message boxes and file dialogs: deleting
// a card, and a new book from its first card to its file.
#include "bookfile.h"
#include "fakeplatform.h"
#include "journey.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestJourneyEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { prepareApplication(*qApp); }
    void deleteCard_data();
    void deleteCard();
    void newBookRegisteredAndSaved();
    void optionEntryStoresWhatItShows();
    void cancelDiscardsWithoutAsking();
    void commandsWaitWhileTheEditorAsks();
    void anotherComputersLockTakenOver();
    void unknownPostalCodeNotedBesideTheCard();
};

namespace {

QWidget *openEditor(Journey &journey) {
    if (!press(journey.mainWindow(), QStringLiteral("住所録編集")))
        return nullptr;
    return journey.window(WindowId::CardEditor);
}

// Keys as the user types them, into whatever has the focus.
void typeIntoFocus(const QString &text) {
    for (const QChar c : text) {
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(focused);
        QTest::keyClick(focused, c.toLatin1());
    }
}

QString fieldText(QWidget *window, const QString &name) {
    auto *edit = qobject_cast<QLineEdit *>(controlNamed(window, name));
    return edit ? edit->text() : QStringLiteral("(no field %1)").arg(name);
}

} // namespace

void TestJourneyEditor::deleteCard_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("remaining");
    const QStringList all{"宛名1", "宛名2", "宛名3"};
    QTest::newRow("OK") << QStringLiteral("OK") << QStringList{"宛名1", "宛名3"};
    QTest::newRow("キャンセル") << QStringLiteral("キャンセル") << all;
    QTest::newRow("Escape") << QStringLiteral("Escape") << all;
}

void TestJourneyEditor::deleteCard() {
    QFETCH(QString, answer);
    QFETCH(QStringList, remaining);
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("book.dat"), 3);
    const QByteArray before = readBytes(book);
    journey.openBook(book, answers);
    QWidget *editor = openEditor(journey);
    QVERIFY(editor);
    QCOMPARE(fieldText(editor, QStringLiteral("宛名／敬称")), QStringLiteral("宛名1"));
    QVERIFY(press(editor, QStringLiteral("＞")));
    QCOMPARE(fieldText(editor, QStringLiteral("宛名／敬称")), QStringLiteral("宛名2"));

    answers.then(answer == QLatin1String("Escape") ? pressEscape() : pressButton(answer));
    QVERIFY(press(editor, QStringLiteral("削除")));
    QTRY_VERIFY(answers.allAnswered());
    QCOMPARE(answers.messageTexts(), QStringList{QStringLiteral("このカードを削除します。")});
    QCOMPARE(journey.bookNames(book), remaining);
    if (remaining.size() == 3)
        QCOMPARE(readBytes(book), before);

    // 戻る hands the book back; the main window lists what the file holds.
    QVERIFY(press(editor, QStringLiteral("戻る")));
    QTRY_VERIFY(journey.mainWindow());
    QCOMPARE(rowCount(bookList(journey.mainWindow())), remaining.size());
    QCOMPARE(journey.bookNames(book), remaining);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyEditor::newBookRegisteredAndSaved() {
    Journey journey;
    ModalAnswers answers;
    QVERIFY(press(journey.mainWindow(), QStringLiteral("新規作成")));
    QWidget *editor = journey.window(WindowId::CardEditor);
    QVERIFY(editor);
    QWidget *name = controlNamed(editor, QStringLiteral("宛名／敬称"));
    QWidget *zip = controlNamed(editor, QStringLiteral("〒 xxx-xxxx"));
    QVERIFY(name && zip);
    typeText(name, QStringLiteral("山田太郎"));
    typeText(zip, QStringLiteral("1000001"));
    QVERIFY(press(editor, QStringLiteral("登録")));

    const QString saved = journey.path(QStringLiteral("新しい住所録.dat"));
    answers.then(pressButton(QStringLiteral("はい")))
        .then(typeFileNameAndPress(saved, QStringLiteral("保存")));
    QVERIFY(press(editor, QStringLiteral("戻る")));
    QTRY_VERIFY(answers.allAnswered());
    QCOMPARE(answers.messageTexts(),
             QStringList{QStringLiteral("ファイル名をつけて保存しますか…?")});
    QTRY_VERIFY(journey.mainWindow());
    QCOMPARE(journey.bookNames(saved), QStringList{QStringLiteral("山田太郎")});
    QVERIFY(readBytes(saved).contains(cp932(QStringLiteral("\"山田太郎\""))));
    QVERIFY(readBytes(saved).contains("\"1000001\""));
    QCOMPARE(rowCount(bookList(journey.mainWindow())), 1);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyEditor::optionEntryStoresWhatItShows() {
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("book.dat"), 1);
    journey.openBook(book, answers);
    QWidget *editor = openEditor(journey);
    QVERIFY(editor);
    // A new card opens in option entry: 〒, Tab, and on with the house number.
    QVERIFY(press(editor, QStringLiteral("∥")));
    QWidget *zip = controlNamed(editor, QStringLiteral("〒 xxx-xxxx"));
    QVERIFY(zip);
    editor->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor));
    typeText(zip, QStringLiteral("1000001"));
    QTest::keyClick(zip, Qt::Key_Tab);
    QCOMPARE(fieldText(editor, QStringLiteral("住所オプション入力")),
             QStringLiteral("東京都千代田区千代田"));
    // The cursor waits after the fill, with nothing selected to type over.
    auto *oneLine =
        qobject_cast<QLineEdit *>(controlNamed(editor, QStringLiteral("住所オプション入力")));
    QVERIFY(oneLine && oneLine->hasFocus());
    QTRY_VERIFY(!oneLine->hasSelectedText());
    typeIntoFocus(QStringLiteral("1-1"));
    QCOMPARE(fieldText(editor, QStringLiteral("住所オプション入力")),
             QStringLiteral("東京都千代田区千代田1-1"));
    typeText(controlNamed(editor, QStringLiteral("宛名／敬称")), QStringLiteral("山田"));
    QVERIFY(press(editor, QStringLiteral("登録")));
    QVERIFY(press(editor, QStringLiteral("戻る")));
    QTRY_VERIFY(journey.mainWindow());
    const BookRead read = readBookFile(book);
    QCOMPARE(read.book.recordCount(), 2);
    const AddressRecord &stored = read.book.record(2);
    QCOMPARE(stored.field(AddressRecord::Address1) + stored.field(AddressRecord::Address2),
             QStringLiteral("東京都千代田区千代田1-1"));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyEditor::cancelDiscardsWithoutAsking() {
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("book.dat"), 2);
    const QByteArray before = readBytes(book);
    journey.openBook(book, answers);
    QWidget *editor = openEditor(journey);
    QVERIFY(editor);
    typeText(controlNamed(editor, QStringLiteral("宛名／敬称")), QStringLiteral("様方"));
    QVERIFY(press(editor, QStringLiteral("キャンセル")));
    QTRY_VERIFY(journey.mainWindow());
    QVERIFY(!journey.window(WindowId::CardEditor));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QCOMPARE(readBytes(book), before);
}

void TestJourneyEditor::commandsWaitWhileTheEditorAsks() {
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("book.dat"), 3);
    const QByteArray before = readBytes(book);
    journey.openBook(book, answers);
    QWidget *editor = openEditor(journey);
    QVERIFY(editor);
    typeText(controlNamed(editor, QStringLiteral("宛名／敬称")), QStringLiteral("変"));
    // While the editor asks, a screen reader presses its 戻る: nothing happens.
    answers.then(inspectThen(
        [editor](QWidget *) {
            QAccessibleInterface *back =
                QAccessible::queryAccessibleInterface(buttonNamed(editor, QStringLiteral("戻る")));
            QVERIFY(back && back->actionInterface());
            back->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QTest::qWait(400); // the press lands while the question is open
        },
        pressButton(QStringLiteral("いいえ"))));
    QVERIFY(press(editor, QStringLiteral("＞")));
    QTRY_VERIFY(answers.allAnswered());
    QCOMPARE(answers.messageTexts(),
             QStringList{QStringLiteral("内容が変更されています、保存しますか…?")});
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QCOMPARE(journey.window(WindowId::CardEditor), editor);
    QCOMPARE(fieldText(editor, QStringLiteral("宛名／敬称")), QStringLiteral("宛名2"));
    QCOMPARE(readBytes(book), before);
}

void TestJourneyEditor::anotherComputersLockTakenOver() {
    Journey journey;
    const QString book = journey.writeBook(QStringLiteral("a.dat"), 3);
    // Left 30 days ago by a PC that crashed while it had the book open.
    const QString lock = journey.path(QStringLiteral(".a.dat.lock"));
    writeBytes(lock, QByteArray("4242\nnvl-hagaki\nother-pc\n"));
    QFile stamp(lock);
    QVERIFY(stamp.open(QIODevice::ReadWrite));
    QVERIFY(stamp.setFileTime(QDateTime::currentDateTime().addDays(-30),
                              QFileDevice::FileModificationTime));
    stamp.close();
    ModalAnswers answers;
    journey.openBook(book, answers);
    answers.then(pressButton(QStringLiteral("はい")));
    QVERIFY(press(journey.mainWindow(), QStringLiteral("住所録編集")));
    QTRY_VERIFY(answers.allAnswered());
    const QString asked = answers.messageTexts().value(0);
    QVERIFY2(asked.contains(QStringLiteral("other-pc")) && asked.contains(QStringLiteral("30日前")),
             qPrintable(asked));
    QWidget *editor = journey.window(WindowId::CardEditor);
    QVERIFY(editor);
    QVERIFY(editor->findChild<QLabel *>(QStringLiteral("lblRec"))->text().startsWith(u'1'));
    QVERIFY(!readBytes(lock).contains("other-pc"));
    QVERIFY(press(editor, QStringLiteral("戻る")));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyEditor::unknownPostalCodeNotedBesideTheCard() {
    Journey journey;
    ModalAnswers answers;
    journey.openBook(journey.writeBook(QStringLiteral("book.dat"), 1), answers);
    QWidget *editor = openEditor(journey);
    QVERIFY(editor);
    auto *zip = qobject_cast<QLineEdit *>(controlNamed(editor, QStringLiteral("〒 xxx-xxxx")));
    QVERIFY(zip);
    editor->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor));
    zip->clear();
    typeText(zip, QStringLiteral("0000000"));
    QTest::keyClick(zip, Qt::Key_Tab);
    // Said beside the card, named for a screen reader; no box to answer.
    auto *note = editor->findChild<QLabel *>(QStringLiteral("lblZipNote"));
    QVERIFY(note);
    QCOMPARE(note->accessibleName(), QStringLiteral("郵便番号の確認"));
    QTRY_COMPARE(
        note->text(),
        QStringLiteral(
            "〒000-0000 は手元の郵便番号データにありません（事業所の個別番号かもしれません）"));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

QTEST_MAIN(TestJourneyEditor)
#include "tst_journey_editor.moc"
