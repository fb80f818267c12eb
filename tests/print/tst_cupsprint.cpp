// Printing through a real CUPS queue: a private cupsd in a temporary folder
// (never the system's configuration) with a raw queue whose own backend
// writes each job to a file.
#include "fonts.h"
#include "pdftools.h"
#include "printfixture.h"
#include "privatecups.h"

#include <QFile>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestCupsPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void printsTwoSheetsForFiveLabels();

private:
    PrivateCups m_cups;
};

void TestCupsPrint::initTestCase() {
    installFontSubstitutions();
    QString whyNot;
    if (!m_cups.start(&whyNot))
        QSKIP(qPrintable(whyNot));
}

void TestCupsPrint::printsTwoSheetsForFiveLabels() {
    FakeDesktop desk;
    registerWindows(desk.context);
    writeSenders(desk);
    PrintWindow *print = openPrintWindow(desk, labels(5));
    desk.printerDialog.printerName = QStringLiteral("nvltest");
    desk.printerDialog.answers = {true};
    desk.messages.answers = {MessageAnswer::Ok};
    child<QAbstractButton>(print, "cmdPrint")->click();
    QCOMPARE(desk.messages.texts(), QStringList{QStringLiteral("シート数は2枚です。")});
    const QString job = m_cups.jobFile();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job), 20000);
    QCOMPARE(pdfPageCount(job), 2);
    QStringList texts;
    for (const PdfWord &word : pdfWords(job))
        texts.append(word.text);
    QVERIFY(texts.contains(QStringLiteral("宛名5")));
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
