// From a book on disk to a print job on a CUPS queue, through the real file
// dialog, the real printer dialog and the real message boxes.
#include "fakeplatform.h"
#include "journey.h"
#include "pdftools.h"
#include "privatecups.h"
#include "testmain.h"

#include <QFile>
#include <QListWidget>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestJourneyPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void printFromPrintWindow_data();
    void printFromPrintWindow();

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

NVL_TEST_MAIN(TestJourneyPrint)
#include "tst_journey_print.moc"
