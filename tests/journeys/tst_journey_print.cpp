// From a book on disk to a print job on a CUPS queue, through the real file
// dialog, the real printer dialog and the real message boxes.
#include "bookdocument.h"
#include "fakeplatform.h"
#include "journey.h"
#include "pdftools.h"
#include "privatecups.h"
#include "testmain.h"
#include "yearmarks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestJourneyPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void printFromPrintWindow_data();
    void printFromPrintWindow();
    void previewPrintsAfterTheSameQuestions();
    void previewPdfNeverOverTheBook();
    void longWarningFitsTheScreen();
    void importSearchAndPrint();
    void decemberListPrintedAndMarked();

private:
    PrivateCups m_cups;
    QString m_cupsMissing;
};

void TestJourneyPrint::initTestCase() {
    prepareApplication(*qApp);
    m_cups.start(&m_cupsMissing);
}

void TestJourneyPrint::printFromPrintWindow_data() {
    QTest::addColumn<QString>("printerButton");
    QTest::addColumn<QString>("sheetAnswer");
    QTest::addColumn<int>("pages");
    QTest::addColumn<bool>("vertical");
    QTest::newRow("印刷, OK") << QStringLiteral("印刷") << QStringLiteral("OK") << 2 << false;
    QTest::newRow("縦書き, 印刷, OK")
        << QStringLiteral("印刷") << QStringLiteral("OK") << 2 << true;
    QTest::newRow("印刷, キャンセル")
        << QStringLiteral("印刷") << QStringLiteral("キャンセル") << 0 << false;
    QTest::newRow("printer dialog キャンセル")
        << QStringLiteral("キャンセル") << QString() << 0 << false;
}

void TestJourneyPrint::printFromPrintWindow() {
    QFETCH(QString, printerButton);
    QFETCH(QString, sheetAnswer);
    QFETCH(int, pages);
    QFETCH(bool, vertical);
    if (!m_cupsMissing.isEmpty())
        NVL_SKIP_UNLESS_CI(m_cupsMissing);
    QFile::remove(m_cups.jobFile());
    const int jobsBefore = m_cups.completedJobs();

    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("友人.dat"), 6);
    const QByteArray bookBefore = readBytes(book);
    journey.openBook(book, answers);
    QListView *list = bookList(journey.mainWindow());
    QVERIFY(list);
    QCOMPARE(rowCount(list), 6);
    clickRows(list, {0, 1, 2, 3, 4});
    QVERIFY(press(journey.mainWindow(), QStringLiteral("一括選択")));
    QVERIFY(press(journey.mainWindow(), QStringLiteral("次へ")));
    QWidget *print = journey.window(WindowId::Print);
    QVERIFY(print);
    QCOMPARE(print->windowTitle(), QStringLiteral("印刷フォーマット"));
    if (vertical)
        QVERIFY(press(print, QStringLiteral("縦書き")));

    answers.then(choosePrinterAndPress(PrivateCups::queueName(), printerButton));
    if (!sheetAnswer.isEmpty())
        answers.then(pressButton(sheetAnswer));
    if (pages > 0)
        answers.then(pressButton(QStringLiteral("記録しない")));
    QVERIFY(press(print, QStringLiteral("印刷")));
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QCOMPARE(answers.messageTexts(), sheetAnswer.isEmpty()
                                         ? QStringList()
                                         : QStringList{QStringLiteral("シート数は2枚です。")});
    if (pages > 0) {
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_cups.jobFile()), 20000);
        QCOMPARE(pdfPageCount(m_cups.jobFile()), pages);
        QStringList words;
        for (const PdfWord &word : pdfWords(m_cups.jobFile()))
            words.append(word.text);
        if (vertical) {
            // Written downwards: a character a word, the name's number upright.
            QVERIFY(!words.contains(QStringLiteral("宛名5")));
            QCOMPARE(words.count(QStringLiteral("５")), 1);
            QVERIFY(!words.contains(QStringLiteral("６")));
        } else {
            QVERIFY(words.contains(QStringLiteral("宛名5")));
            QVERIFY(!words.contains(QStringLiteral("宛名6")));
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_cups.completedJobs(), jobsBefore + 1, 10000);
    } else {
        // Had the program sent a job, it would come out before this one.
        QVERIFY(m_cups.sendMarkerJob("nothing before me"));
        QTRY_COMPARE_WITH_TIMEOUT(readBytes(m_cups.jobFile()), QByteArray("nothing before me"),
                                  20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_cups.unfinishedJobs(), 0, 10000);
        QCOMPARE(m_cups.completedJobs(), jobsBefore + 1);
    }
    // The print window stays, ready for another run; the book is untouched.
    QVERIFY(journey.window(WindowId::Print));
    QCOMPARE(readBytes(book), bookBefore);
}

namespace {

// Chooses the open book's first `rows` cards and goes on to the print window.
QWidget *toPrintWindow(Journey &journey, int rows) {
    QListView *list = bookList(journey.mainWindow());
    if (!list)
        return nullptr;
    QList<int> chosen;
    for (int row = 0; row < rows; ++row)
        chosen.append(row);
    clickRows(list, chosen);
    press(journey.mainWindow(), QStringLiteral("一括選択"));
    press(journey.mainWindow(), QStringLiteral("次へ"));
    return journey.window(WindowId::Print);
}

// 一括選択 of what the book list shows, 次へ, and 印刷 on the CUPS queue, the
// offer to mark the cards as sent answered with `mark`.
QWidget *printShown(Journey &journey, ModalAnswers &answers, const QString &mark) {
    press(journey.mainWindow(), QStringLiteral("一括選択"));
    press(journey.mainWindow(), QStringLiteral("次へ"));
    QWidget *print = journey.window(WindowId::Print);
    if (!print)
        return nullptr;
    answers.then(choosePrinterAndPress(PrivateCups::queueName(), QStringLiteral("印刷")))
        .then(pressButton(QStringLiteral("OK")))
        .then(pressButton(mark));
    press(print, QStringLiteral("印刷"));
    return print;
}

} // namespace

void TestJourneyPrint::previewPrintsAfterTheSameQuestions() {
    if (!m_cupsMissing.isEmpty())
        NVL_SKIP_UNLESS_CI(m_cupsMissing);
    QFile::remove(m_cups.jobFile());
    Journey journey;
    ModalAnswers answers;
    // A code with a letter in it cannot be printed: named at once; the
    // preview still shows the sheets, and nothing goes to a printer.
    QString text;
    for (int i = 1; i <= 5; ++i)
        text += QStringLiteral("\"宛名%1\",\"千代田区千代田%1\",\"\",\"%2\",\"\",\"0\",\"\"\r\n")
                    .arg(i)
                    .arg(i == 3 ? QStringLiteral("12a-4567") : QStringLiteral("100-0001"));
    const QString book = journey.path(QStringLiteral("友人.dat"));
    writeBytes(book, cp932(text));
    journey.openBook(book, answers);
    QWidget *print = toPrintWindow(journey, 5);
    QVERIFY(print);
    answers.then(pressButton(QStringLiteral("OK"))).then(closeWindow());
    QVERIFY(press(print, QStringLiteral("印刷プレビュー")));
    QTRY_VERIFY(answers.allAnswered());
    QCOMPARE(answers.messageTexts().size(), 1);
    QVERIFY2(answers.messageTexts().first().contains(QStringLiteral("宛名3")) &&
                 answers.messageTexts().first().contains(QStringLiteral("12a-4567")),
             qPrintable(answers.messageTexts().first()));
    QStringList shown;
    for (const auto &seen : answers.seen)
        shown.append(seen.className);
    QVERIFY2(shown.contains(QStringLiteral("QPrintPreviewDialog")) &&
                 !shown.contains(QStringLiteral("QPrintDialog")),
             qPrintable(shown.join(u' ')));

    // Without that card: the preview's own print button asks the sheet count.
    QVERIFY(press(print, QStringLiteral("戻る")));
    print = toPrintWindow(journey, 2);
    QVERIFY(print);
    answers.then([](QWidget *preview) {
        for (QAbstractButton *button : preview->findChildren<QAbstractButton *>())
            if (button->isVisible() && button->toolTip() == QStringLiteral("印刷")) {
                // Clicked once the preview's own loop runs.
                QTimer::singleShot(0, button, &QAbstractButton::click);
                return;
            }
        QFAIL("the preview has no print button");
    });
    answers.then(choosePrinterAndPress(PrivateCups::queueName(), QStringLiteral("印刷")));
    answers.then(pressButton(QStringLiteral("OK")));
    // Once the preview is closed: marked as sent, for the year offered.
    answers.then(pressButton(QStringLiteral("記録する")));
    QVERIFY(press(print, QStringLiteral("印刷プレビュー")));
    QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 20000);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QCOMPARE(answers.messageTexts().mid(1), QStringList{QStringLiteral("シート数は1枚です。")});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_cups.jobFile()), 20000);
    QCOMPARE(pdfPageCount(m_cups.jobFile()), 1);
    BookDocument marked;
    QVERIFY(marked.load(book).ok());
    const int year = cardYear(QDate::currentDate());
    QVERIFY(hasMark(marked.recordData(0), year, YearMark::Sent));
    QVERIFY(!hasMark(marked.recordData(2), year, YearMark::Sent));
}

// The preview's printer dialog can print to a PDF file: one named as the
// open book is refused once the questions are answered, and the book stays.
void TestJourneyPrint::previewPdfNeverOverTheBook() {
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("友人.dat"), 2);
    const QByteArray before = readBytes(book);
    journey.openBook(book, answers);
    QTRY_VERIFY(answers.allAnswered());
    QWidget *print = toPrintWindow(journey, 2);
    QVERIFY(print);
    answers.then([](QWidget *preview) {
        for (QAbstractButton *button : preview->findChildren<QAbstractButton *>())
            if (button->isVisible() && button->toolTip() == QStringLiteral("印刷")) {
                QTimer::singleShot(0, button, &QAbstractButton::click);
                return;
            }
        QFAIL("the preview has no print button");
    });
    answers.then([book](QWidget *dialog) {
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
        QVERIFY(printers);
        printers->setCurrentIndex(printers->count() - 1); // Qt's PDF file "printer"
        auto *file = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
        QVERIFY(file && file->isEnabled());
        file->setText(book);
        press(dialog, QStringLiteral("印刷"));
    });
    answers.then(pressButton(QStringLiteral("はい"))); // Qt: replace the existing file?
    answers.then(pressButton(QStringLiteral("OK")));   // シート数は1枚です。
    answers.then([](QWidget *box) {
        press(box, QStringLiteral("OK"));
        // The preview, open under the message, is closed as the user would.
        QTimer::singleShot(0, [] {
            if (QWidget *preview = QApplication::activeModalWidget())
                preview->close();
        });
    });
    QVERIFY(press(print, QStringLiteral("印刷プレビュー")));
    QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 20000);
    QVERIFY2(answers.messageTexts().last().contains(QStringLiteral("住所録そのもの")),
             qPrintable(answers.messageTexts().join(u'|')));
    QCOMPARE(readBytes(book), before);
}

void TestJourneyPrint::longWarningFitsTheScreen() {
    Journey journey;
    ModalAnswers answers;
    // 300 cards whose codes belong to no place their addresses name.
    QString text;
    for (int i = 1; i <= 300; ++i)
        text += QStringLiteral(
                    "\"宛名%1\",\"大阪府大阪市北区梅田%1\",\"\",\"100-0001\",\"\",\"0\",\"\"\r\n")
                    .arg(i);
    const QString book = journey.path(QStringLiteral("年賀.dat"));
    writeBytes(book, cp932(text));
    journey.openBook(book, answers);
    QWidget *print = toPrintWindow(journey, 300);
    QVERIFY(print);
    QRect shown;
    QList<QRect> buttons;
    QString first;
    answers.then(inspectThen(
        [&](QWidget *dialog) {
            shown = dialog->frameGeometry();
            for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
                if (button->isVisible())
                    buttons.append(QRect(button->mapToGlobal(QPoint()), button->size()));
            if (auto *label = dialog->findChild<QLabel *>())
                first = label->text();
        },
        pressButton(QStringLiteral("キャンセル"))));
    QVERIFY(press(print, QStringLiteral("印刷プレビュー")));
    QTRY_VERIFY(answers.allAnswered());
    const QRect screen = print->screen()->geometry();
    QCOMPARE(screen.size(), QSize(1280, 1024));
    QVERIFY2(screen.contains(shown), qPrintable(QStringLiteral("%1×%2 at %3,%4")
                                                    .arg(shown.width())
                                                    .arg(shown.height())
                                                    .arg(shown.x())
                                                    .arg(shown.y())));
    QCOMPARE(buttons.size(), 2);
    for (const QRect &button : buttons)
        QVERIFY(screen.contains(button));
    QVERIFY2(first.contains(QStringLiteral("300枚")), qPrintable(first));
}

// A postcard program's CSV with 連名, フリガナ and タグ: imported into a new
// book, shown in the card editor, found by its reading typed in the search
// box, taken by 一括選択 and printed on the CUPS queue with every name and
// honorific, and no one else.
void TestJourneyPrint::importSearchAndPrint() {
    if (!m_cupsMissing.isEmpty())
        NVL_SKIP_UNLESS_CI(m_cupsMissing);
    QFile::remove(m_cups.jobFile());
    Journey journey;
    const QString csv = journey.path(QStringLiteral("年賀状.csv"));
    writeBytes(csv, QStringLiteral(
                        "氏名,ﾌﾘｶﾞﾅ,郵便番号,住所1,住所2,連名1,連名1敬称,連名2,連名2敬称,タグ\r\n"
                        "佐藤 一郎,サトウ イチロウ,530-0001,大阪府大阪市北区,梅田1,,,,,仕事\r\n"
                        "山田 太郎,ﾔﾏﾀﾞ ﾀﾛｳ,100-0001,東京都千代田区,千代田1-1,花子,様,健太,"
                        "くん,家族;友人\r\n")
                        .toUtf8());
    const QString book = journey.path(QStringLiteral("年賀状.dat"));
    ModalAnswers answers;
    answers.then(typeFileNameAndPress(csv, QStringLiteral("開く")))
        .then(pressButton(QStringLiteral("取り込む")))
        .then(typeFileNameAndPress(book, QStringLiteral("保存")))
        .then(pressButton(QStringLiteral("OK")));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"),
                           QStringLiteral("連絡先を取り込む")));
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QCOMPARE(rowTexts(bookList(journey.mainWindow())),
             QStringList({"佐藤 一郎", "山田 太郎・花子・健太"}));

    QVERIFY(press(journey.mainWindow(), QStringLiteral("住所録編集")));
    QWidget *editor = journey.window(WindowId::CardEditor);
    QVERIFY(editor);
    QVERIFY(press(editor, QStringLiteral("＞")));
    QCOMPARE(qobject_cast<QLineEdit *>(controlNamed(editor, QStringLiteral("連名1")))->text(),
             QStringLiteral("花子"));
    QCOMPARE(qobject_cast<QLineEdit *>(controlNamed(editor, QStringLiteral("タグ")))->text(),
             QStringLiteral("家族; 友人"));
    QCOMPARE(qobject_cast<QComboBox *>(controlNamed(editor, QStringLiteral("連名2の敬称")))
                 ->currentText(),
             QStringLiteral("くん"));
    QVERIFY(press(editor, QStringLiteral("戻る")));

    typeText(controlNamed(journey.mainWindow(), QStringLiteral("検索")), QStringLiteral("やまだ"));
    QCOMPARE(rowTexts(bookList(journey.mainWindow())),
             QStringList{QStringLiteral("山田 太郎・花子・健太")});
    QWidget *print = printShown(journey, answers, QStringLiteral("記録しない"));
    QVERIFY(print);
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_cups.jobFile()), 20000);
    QStringList words;
    for (const PdfWord &word : pdfWords(m_cups.jobFile()))
        words.append(word.text);
    for (const char *part : {"山田", "太郎", "花子", "健太", "くん"})
        QVERIFY2(words.contains(QString::fromUtf8(part)), qPrintable(words.join(u' ')));
    QCOMPARE(words.count(QStringLiteral("様")), 2);
    QCOMPARE(words.count(QStringLiteral("山田")), 1);
    QVERIFY2(!words.contains(QStringLiteral("佐藤")), qPrintable(words.join(u' ')));

    // 戻る: the main window's list still shows what its search box says.
    QVERIFY(press(print, QStringLiteral("戻る")));
    QTRY_VERIFY(journey.mainWindow()->isVisible());
    QCOMPARE(qobject_cast<QLineEdit *>(controlNamed(journey.mainWindow(), QStringLiteral("検索")))
                 ->text(),
             QStringLiteral("やまだ"));
    QCOMPARE(rowTexts(bookList(journey.mainWindow())),
             QStringList{QStringLiteral("山田 太郎・花子・健太")});
}

// The December list: 一括選択 from 去年もらった人, printed on the CUPS queue,
// marked as sent; opened again, the marks are there, and only the companion
// was written.
void TestJourneyPrint::decemberListPrintedAndMarked() {
    if (!m_cupsMissing.isEmpty())
        NVL_SKIP_UNLESS_CI(m_cupsMissing);
    QFile::remove(m_cups.jobFile());
    Journey journey;
    const QString book = journey.writeBook(QStringLiteral("年賀.dat"), 4);
    const int year = cardYear(QDate::currentDate());
    {
        BookDocument document;
        QVERIFY(document.load(book).ok());
        for (const int row : {0, 1, 3})
            document.setRecordData(row, withMark({}, year - 1, YearMark::Received, true));
        document.setRecordData(1, withMark(document.recordData(1), year, YearMark::Sent, true));
        QVERIFY(document.save().ok());
    }
    const QByteArray bookBytes = readBytes(book);
    ModalAnswers answers;
    journey.openBook(book, answers);
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY(chooseFromButtonMenu(journey.mainWindow(), QStringLiteral("絞り込み"),
                                 QStringLiteral("去年もらった人")));
    QTRY_COMPARE(rowTexts(bookList(journey.mainWindow())), QStringList({"宛名1", "宛名4"}));
    QWidget *print = printShown(journey, answers, QStringLiteral("記録する"));
    QVERIFY(print);
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_cups.jobFile()), 20000);
    QCOMPARE(readBytes(book), bookBytes);

    QVERIFY(press(print, QStringLiteral("戻る")));
    journey.openBook(book, answers);
    QTRY_VERIFY(answers.allAnswered());
    // The filter stayed on, and its button says so.
    QVERIFY(controlNamed(journey.mainWindow(), QStringLiteral("絞り込み: 去年もらった人")));
    QTRY_COMPARE(rowCount(bookList(journey.mainWindow())), 0);
    BookDocument reopened;
    QVERIFY(reopened.load(book).ok());
    for (const int row : {0, 1, 3})
        QVERIFY(hasMark(reopened.recordData(row), year, YearMark::Sent));
    QVERIFY(!hasMark(reopened.recordData(2), year, YearMark::Sent));
}

NVL_TEST_MAIN(TestJourneyPrint)
#include "tst_journey_print.moc"
