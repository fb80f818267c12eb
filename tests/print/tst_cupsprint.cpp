// Printing through a real CUPS queue: a private cupsd in a temporary folder
// (never the system's configuration) with a raw queue whose own backend
// writes each job to a file.
#include "cardjob.h"
#include "fonts.h"
#include "pdftools.h"
#include "printfixture.h"
#include "printoutput.h"
#include "privatecups.h"
#include "testmain.h"

#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestCupsPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void printsTwoSheetsForFiveLabels();
    void placesLikeTheDirectPdf_data();
    void placesLikeTheDirectPdf();

private:
    PrivateCups m_cups;
};

void TestCupsPrint::initTestCase() {
    installFontSubstitutions();
    QString whyNot;
    if (!m_cups.start(&whyNot))
        NVL_SKIP_UNLESS_CI(whyNot);
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

void TestCupsPrint::placesLikeTheDirectPdf_data() {
    QTest::addColumn<bool>("preview");
    QTest::addColumn<bool>("postcard"); // はがき用紙, 縦書き
    QTest::addColumn<int>("sheets");
    QTest::newRow("印刷") << false << false << 2;
    QTest::newRow("印刷プレビュー's print") << true << false << 2;
    QTest::newRow("はがき用紙, 縦書き") << false << true << 5;
}

void TestCupsPrint::placesLikeTheDirectPdf() {
    QFETCH(bool, preview);
    QFETCH(bool, postcard);
    QFETCH(int, sheets);
    FakeDesktop desk;
    registerWindows(desk.context);
    writeSenders(desk);
    // Offsets away from neutral, so a route that ignored them would show.
    writeBytes(desk.file(QStringLiteral("Nuvel.opt")), QByteArray("\"1500\",\"840\",\"2\"\r\n"));
    PrintWindow *print = openPrintWindow(desk, labels(5));
    if (postcard) {
        child<QRadioButton>(print, "optPaperHagaki")->setChecked(true);
        child<QRadioButton>(print, "optVertical")->setChecked(true);
    }
    desk.printerDialog.printerName = QStringLiteral("nvltest");
    desk.printerDialog.answers = {true};
    desk.messages.answers = {MessageAnswer::Ok};
    const QString job = m_cups.jobFile();
    QFile::remove(job);
    const int before = m_cups.completedJobs();
    child<QAbstractButton>(print, preview ? "cmdPreview" : "cmdPrint")->click();
    QTRY_VERIFY_WITH_TIMEOUT(m_cups.completedJobs() > before && QFile::exists(job), 20000);
    // No question about the printer's edges on this queue; the preview's
    // print button asks what 印刷 asks.
    QCOMPARE(desk.messages.texts(),
             QStringList{QStringLiteral("シート数は%1枚です。").arg(sheets)});
    QCOMPARE(pdfPageCount(job), sheets);

    // The same job written straight to PDF, as print-pdf writes it (its
    // glyphs alone: the queue's PDF has no column spans).
    const QByteArray direct = glyphPdf(print->currentJob());
    QVERIFY(!direct.isEmpty());
    QTemporaryDir dir;
    const QString directFile = dir.filePath(QStringLiteral("direct.pdf"));
    writeBytes(directFile, direct);

    const QList<PdfWord> printed = pdfWords(job);
    const QList<PdfWord> expected = pdfWords(directFile);
    QCOMPARE(printed.size(), expected.size());
    QVERIFY(expected.size() > 40);
    constexpr double Tolerance = 0.05 / 25.4 * 72; // 0.05 mm in points
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const PdfWord &a = printed.at(i);
        const PdfWord &b = expected.at(i);
        QCOMPARE(a.text, b.text);
        QCOMPARE(a.page, b.page);
        const QPointF off = a.box.topLeft() - b.box.topLeft();
        QVERIFY2(
            std::abs(off.x()) <= Tolerance && std::abs(off.y()) <= Tolerance,
            qPrintable(
                QStringLiteral("%1 is off by %2, %3 pt").arg(a.text).arg(off.x()).arg(off.y())));
    }
}

NVL_TEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
