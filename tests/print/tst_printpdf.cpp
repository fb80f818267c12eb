#include "cardview.h"
#include "fonts.h"
#include "paperchoice.h"
#include "pdftools.h"
#include "printfixture.h"
#include "printoutput.h"
#include "yearmarks.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QProcess>
#include <QRadioButton>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

constexpr double MmPerPoint = 25.4 / 72;
constexpr double TwipsPerPoint = 20;

// Japan Post's boxes on a card of an A4 sheet cut in four (105 × 148.5 mm).
QPointF boxCentreMm(int column, int row, int box) {
    constexpr double left[7] = {49.3, 56.3, 63.3, 70.9, 77.7, 84.5, 91.3};
    return {column * 105.0 + left[box] + 5.7 / 2, row * 148.5 + 12.0 + 8.0 / 2};
}

} // namespace

class TestPrintPdf : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sheetQuestion_data();
    void sheetQuestion();
    void cancelledDialogReloadsOffsets();
    void missingOffsetFileIsNeutral();
    void unprintablePostalCode_data();
    void unprintablePostalCode();
    void previewShowsAnUnprintableBook();
    void honorificWarning_data();
    void honorificWarning();
    void unfittedCardAsked();
    void printerMargins_data();
    void printerMargins();
    void glyphPositions();
    void digitsCentredInBoxes_data();
    void digitsCentredInBoxes();
    void cardPreview_data();
    void cardPreview();
    void postcardPaperFromTheWindow();
    void writingFromTheWindow();
    void wholeSheetPreview();
    void outputFailureIsReported();
    void printedCardsMarkedAsSent();
    void pdfNeverOverTheOpenBook();

private:
    QString printToPdf(const QList<Label> &list, bool fourUp = true);
    std::unique_ptr<FakeDesktop> m_desk;
    PrintWindow *m_print = nullptr;
};

void TestPrintPdf::initTestCase() {
    installFontSubstitutions();
}

void TestPrintPdf::init() {
    m_desk = std::make_unique<FakeDesktop>();
    registerWindows(m_desk->context);
    writeSenders(*m_desk);
}

void TestPrintPdf::cleanup() {
    m_desk.reset();
}

QString TestPrintPdf::printToPdf(const QList<Label> &list, bool fourUp) {
    m_print = openPrintWindow(*m_desk, list);
    if (!fourUp)
        child<QRadioButton>(m_print, "opt4")->setChecked(true);
    const QString pdf = m_desk->file(QStringLiteral("out.pdf"));
    m_desk->printerDialog.outputFile = pdf;
    m_desk->printerDialog.answers = {true};
    m_desk->messages.answers = {MessageAnswer::Ok};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    return pdf;
}

void TestPrintPdf::sheetQuestion_data() {
    QTest::addColumn<bool>("fourUp");
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("pages");
    QTest::newRow("four-up") << true << QStringLiteral("シート数は2枚です。") << 2;
    QTest::newRow("two-up") << false << QStringLiteral("シート数は3枚です。") << 3;
}

void TestPrintPdf::sheetQuestion() {
    QFETCH(bool, fourUp);
    QFETCH(QString, question);
    QFETCH(int, pages);
    const QString pdf = printToPdf(labels(5), fourUp);
    QCOMPARE(m_desk->messages.texts(), QStringList{question});
    QCOMPARE(m_desk->messages.shown.at(0).buttons, MessageButtons::OkCancel);
    QCOMPARE(pdfPageCount(pdf), pages);
    QVERIFY(child<QWidget>(m_print, "cmdPrint")->isEnabled());

    // Cancel at the question: nothing printed.
    QFile::remove(pdf);
    m_desk->printerDialog.answers = {true};
    m_desk->messages.answers = {MessageAnswer::Cancel};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(child<QWidget>(m_print, "cmdPrint")->isEnabled());
}

void TestPrintPdf::cancelledDialogReloadsOffsets() {
    writeBytes(m_desk->file("Nuvel.opt"), QByteArray("\"1240\",\"900\",\"3\"\r\n"));
    m_print = openPrintWindow(*m_desk, labels(2));
    m_desk->printerDialog.answers = {false};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    QCOMPARE(m_desk->printerDialog.calls, 1);
    QVERIFY(m_desk->messages.shown.isEmpty());
    QCOMPARE(m_print->settings().offsets.x, -10.0);
    QCOMPARE(m_print->settings().offsets.y, 1.0);
    QCOMPARE(m_print->settings().offsets.secondRow, 3.0);
    QVERIFY(child<QWidget>(m_print, "cmdPrint")->isEnabled());
}

void TestPrintPdf::missingOffsetFileIsNeutral() {
    m_print = openPrintWindow(*m_desk, labels(1));
    m_desk->printerDialog.answers = {false};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    QCOMPARE(m_print->settings().offsets.x, 0.0);
    QCOMPARE(m_print->settings().offsets.y, 0.0);
    QCOMPARE(m_print->settings().offsets.secondRow, 0.0);
}

void TestPrintPdf::unprintablePostalCode_data() {
    QTest::addColumn<QString>("code");
    QTest::newRow("letter") << "12a-4567";
    QTest::newRow("eight digits") << "123-45678";
}

void TestPrintPdf::unprintablePostalCode() {
    QFETCH(QString, code);
    QList<Label> list = labels(3);
    list[1].postalCode = code;
    const QString pdf = printToPdf(list);
    // Refused at once, the card named, before a printer is chosen.
    QCOMPARE(m_desk->messages.shown.size(), 1);
    const QString message = m_desk->messages.shown.at(0).text;
    QVERIFY2(message.contains(QStringLiteral("宛名2")) && message.contains(code),
             qPrintable(message));
    QCOMPARE(m_desk->printerDialog.calls, 0);
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(child<QWidget>(m_print, "cmdPrint")->isEnabled());
}

// 印刷プレビュー shows every card though one code cannot be printed; the
// card is named, and the preview's print button prints nothing.
void TestPrintPdf::previewShowsAnUnprintableBook() {
    QList<Label> list = labels(3);
    list[1].postalCode = QStringLiteral("12a-4567");
    m_print = openPrintWindow(*m_desk, list);
    const QString pdf = m_desk->file(QStringLiteral("preview.pdf"));
    m_desk->printerDialog.outputFile = pdf;
    child<QAbstractButton>(m_print, "cmdPreview")->click();
    QCOMPARE(m_desk->printerDialog.previews, 1);
    QCOMPARE(m_desk->messages.shown.size(), 2);
    QVERIFY2(m_desk->messages.shown.at(0).text.contains(QStringLiteral("宛名2")),
             qPrintable(m_desk->messages.shown.at(0).text));
    QVERIFY(m_desk->messages.shown.at(0).text.contains(QStringLiteral("印刷できません")));
    QVERIFY(!QFile::exists(pdf));
}

void TestPrintPdf::honorificWarning_data() {
    QTest::addColumn<bool>("preview");
    QTest::addColumn<int>("answer");
    QTest::newRow("印刷, OK goes on") << false << int(MessageAnswer::Ok);
    QTest::newRow("印刷, キャンセル stops") << false << int(MessageAnswer::Cancel);
    QTest::newRow("印刷プレビュー, OK goes on") << true << int(MessageAnswer::Ok);
    QTest::newRow("印刷プレビュー, キャンセル stops") << true << int(MessageAnswer::Cancel);
}

void TestPrintPdf::honorificWarning() {
    QFETCH(bool, preview);
    QFETCH(int, answer);
    QList<Label> list = labels(4);
    list[1].honorific = QStringLiteral("9");
    list[3].honorific = QStringLiteral("-1");
    m_print = openPrintWindow(*m_desk, list);
    m_desk->messages.answers = {MessageAnswer(answer), MessageAnswer::Cancel};
    m_desk->printerDialog.answers = {false};
    child<QAbstractButton>(m_print, preview ? "cmdPreview" : "cmdPrint")->click();
    // One box before anything else, naming both cards and their codes.
    QVERIFY(!m_desk->messages.shown.isEmpty());
    const ShownMessage &warning = m_desk->messages.shown.at(0);
    QCOMPARE(warning.buttons, MessageButtons::OkCancel);
    for (const char *part : {"宛名2（コード 9）", "宛名4（コード -1）", "次の2枚"})
        QVERIFY2(warning.text.contains(QString::fromUtf8(part)), qPrintable(warning.text));
    QVERIFY(!warning.text.contains(QStringLiteral("宛名1")));
    const bool goesOn = MessageAnswer(answer) == MessageAnswer::Ok;
    QCOMPARE(preview ? m_desk->printerDialog.previews : m_desk->printerDialog.calls,
             goesOn ? 1 : 0);
    // The preview's print button then asks the sheet count, as 印刷 does.
    QCOMPARE(m_desk->messages.shown.size(), preview && goesOn ? 2 : 1);
}

// A card the layout cannot fit even at its smallest size is named before
// printing; キャンセル prints nothing.
void TestPrintPdf::unfittedCardAsked() {
    QList<Label> list = labels(3);
    list[1].name = QString(300, QChar(u'名'));
    m_print = openPrintWindow(*m_desk, list);
    m_desk->messages.answers = {MessageAnswer::Cancel};
    m_desk->printerDialog.answers = {false};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    QVERIFY(!m_desk->messages.shown.isEmpty());
    const ShownMessage &warning = m_desk->messages.shown.at(0);
    QCOMPARE(warning.buttons, MessageButtons::OkCancel);
    QVERIFY2(warning.text.contains(QStringLiteral("最も小さい文字でも入りきらず")) &&
                 warning.text.contains(QStringLiteral("名名名")) &&
                 !warning.text.contains(QStringLiteral("宛名1")),
             qPrintable(warning.text));
    QCOMPARE(m_desk->printerDialog.calls, 0);
}

void TestPrintPdf::printerMargins_data() {
    QTest::addColumn<QMarginsF>("minimum"); // mm
    QTest::addColumn<QString>("said");
    QTest::newRow("borderless") << QMarginsF() << QString();
    QTest::newRow("3 mm all round") << QMarginsF(3, 3, 3, 3) << QString();
    QTest::newRow("4.2 mm at the left") << QMarginsF(4.2, 0, 0, 0) << QStringLiteral("4.2 mm");
    QTest::newRow("3.3 mm at the bottom")
        << QMarginsF(0, 0, 0, 3.4) << QStringLiteral("3.4 mm"); // the top needs 3.3
    QTest::newRow("common inkjet") << QMarginsF(3.4, 3.4, 3.4, 5.1) << QStringLiteral("5.1 mm");
}

void TestPrintPdf::printerMargins() {
    QFETCH(QMarginsF, minimum);
    QFETCH(QString, said);
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                             QPageLayout::Millimeter, minimum);
    const QString problem = marginProblem(layout, PrintJob());
    if (said.isEmpty())
        QCOMPARE(problem, QString());
    else
        QVERIFY2(problem.contains(said), qPrintable(problem));
}

void TestPrintPdf::glyphPositions() {
    const QString pdf = printToPdf(labels(4));
    QCOMPARE(pdfPageCount(pdf), 1);
    const QList<PdfWord> words = pdfWords(pdf);
    QVERIFY(!words.isEmpty());
    const auto find = [&words](const QString &text) -> const PdfWord * {
        for (const PdfWord &w : words) {
            if (w.text == text)
                return &w;
        }
        return nullptr;
    };
    // The first digit of the top-left card: its line starts at (2625, 600)
    // from the origin, its glyph one blank (half an em of 12 pt) further right.
    const PdfWord *digit = nullptr;
    for (const PdfWord &w : words) {
        if (w.text == QLatin1String("1") &&
            (!digit || w.box.left() < digit->box.left() || w.box.top() < digit->box.top()))
            digit = &w;
    }
    QVERIFY(digit);
    const double blank = 6.0; // points
    QCOMPARE_LE(qAbs(digit->box.left() * TwipsPerPoint - (SheetOrigin.x() + 2625 + blank * 20)),
                10);
    QCOMPARE_LE(qAbs(digit->box.top() * TwipsPerPoint - (SheetOrigin.y() + 600)), 20);

    // The name line is set in 14 pt, the address lines in 11 pt.
    const PdfWord *name = find(QStringLiteral("宛名1"));
    QVERIFY(name);
    QCOMPARE_LE(qAbs(name->box.height() - 14.0), 0.5);
    QCOMPARE_LE(qAbs(name->box.left() * TwipsPerPoint - (SheetOrigin.x() + 2300)), 10);
    const PdfWord *address = find(QStringLiteral("住所1"));
    QVERIFY(address);
    QCOMPARE_LE(qAbs(address->box.height() - 11.0), 0.5);

    QVERIFY2(pdfFonts(pdf).contains(QStringLiteral("IPAMincho")),
             qPrintable(pdfFonts(pdf).join(',')));
}

void TestPrintPdf::digitsCentredInBoxes_data() {
    QTest::addColumn<QString>("code");
    QTest::newRow("1234567") << "123-4567";
    QTest::newRow("8901230") << "890-1230";
}

void TestPrintPdf::digitsCentredInBoxes() {
    QFETCH(QString, code);
    QList<Label> list = labels(4);
    for (Label &label : list)
        label.postalCode = code;
    const QString pdf = printToPdf(list);
    constexpr int Dpi = 400;
    const double pxPerMm = Dpi / 25.4;
    const QImage page = renderPdfPage(pdf, 1, Dpi);
    QVERIFY(!page.isNull());
    double worst = 0;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            for (int box = 0; box < 7; ++box) {
                const QPointF centre = boxCentreMm(column, row, box);
                // Half the box pitch each way holds this digit's ink only.
                const QRect area(qRound((centre.x() - 3.0) * pxPerMm),
                                 qRound((centre.y() - 6.0) * pxPerMm), qRound(6.0 * pxPerMm),
                                 qRound(12.0 * pxPerMm));
                const QPointF ink = inkCentre(page, area);
                QVERIFY2(!ink.isNull(), qPrintable(QStringLiteral("no ink for box %1").arg(box)));
                const double dx = ink.x() / pxPerMm - centre.x();
                const double dy = ink.y() / pxPerMm - centre.y();
                worst = std::max({worst, qAbs(dx), qAbs(dy)});
            }
        }
    }
    QCOMPARE_LE(worst, 0.5);
}

void TestPrintPdf::cardPreview_data() {
    QTest::addColumn<QString>("paper"); // the radio button
    QTest::addColumn<bool>("reply");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<QString>("name"); // the first card's name line as drawn
    QTest::newRow("A4, horizontal") << "optPaperA4" << false << false << "宛名1";
    QTest::newRow("postcard, horizontal") << "optPaperHagaki" << false << false << "宛名1";
    QTest::newRow("postcard, vertical") << "optPaperHagaki" << false << true << "宛名１";
    QTest::newRow("return postcard, reply face") << "optPaperOfuku" << true << false << "差出人1";
}

// The card beside the steppers is the printed card: drawn by the print's own
// code, on every paper, face and direction, with no label of its own.
void TestPrintPdf::cardPreview() {
    QFETCH(QString, paper);
    QFETCH(bool, reply);
    QFETCH(bool, vertical);
    QFETCH(QString, name);
    QList<Label> list = labels(2);
    // Longer than a postcard's line at its size: set smaller, never cut.
    const QString longName = QStringLiteral("宛名1") + QString(16, QChar(0x9f8d));
    list[0].name = longName;
    m_print = openPrintWindow(*m_desk, list);
    child<QRadioButton>(m_print, qPrintable(paper))->setChecked(true);
    if (reply)
        child<QRadioButton>(m_print, "optFaceReply")->setChecked(true);
    if (vertical)
        child<QRadioButton>(m_print, "optVertical")->setChecked(true);
    auto *card = m_print->findChild<CardView *>();
    QVERIFY(card);
    QVERIFY(card->findChildren<QLabel *>().isEmpty());
    const QStringList texts = card->texts();
    const QString joined = texts.join(QString());
    QVERIFY2(joined.contains(name), qPrintable(texts.join(u'|')));
    QCOMPARE(card->accessibleDescription(), texts.join(u'\n'));
    if (reply) {
        QVERIFY2(texts.contains(QStringLiteral("差出人1")) && texts.contains(QStringLiteral("行")),
                 qPrintable(texts.join(u'|')));
        QVERIFY(!joined.contains(QStringLiteral("宛名")));
        return;
    }
    QVERIFY(joined.contains(vertical ? verticalNameText(longName) : longName));
    const CardView::Drawn *drawnName = nullptr;
    for (const CardView::Drawn &item : card->drawn())
        if (item.text.contains(QChar(0x9f8d)))
            drawnName = &item;
    QVERIFY(drawnName);
    QCOMPARE(drawnName->vertical, vertical);
    if (vertical)
        return;
    // The size the print gives the line: its height in the PDF.
    PrintJob job = m_print->currentJob();
    job.records = {job.records.first()};
    PrintOutcome outcome;
    const QByteArray bytes = renderPdf(job, &outcome);
    QVERIFY(outcome.ok);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("card.pdf"));
    writeBytes(pdf, bytes);
    bool found = false;
    for (const PdfWord &word : pdfWords(pdf)) {
        if (!word.text.contains(QChar(0x9f8d)))
            continue;
        found = true;
        QVERIFY2(qAbs(word.box.height() - drawnName->points) < 0.5,
                 qPrintable(QStringLiteral("%1 pt printed, %2 pt shown")
                                .arg(word.box.height())
                                .arg(drawnName->points)));
    }
    QVERIFY(found);
}

void TestPrintPdf::postcardPaperFromTheWindow() {
    m_print = openPrintWindow(*m_desk, labels(3));
    QVERIFY(child<QRadioButton>(m_print, "optPaperA4")->isChecked());
    QVERIFY(!child<QWidget>(m_print, "spinPaperX")->isEnabled());
    child<QRadioButton>(m_print, "optPaperHagaki")->setChecked(true);
    child<QDoubleSpinBox>(m_print, "spinPaperY")->setValue(1.5);
    // Kept in the program's own settings file; the A4 files untouched.
    const PaperChoice kept = readPaperChoice(m_desk->file(QStringLiteral("nvl-hagaki.ini")));
    QCOMPARE(kept.kind, PaperKind::Postcard);
    QCOMPARE(kept.offsetMm, QPointF(0, 1.5));
    QVERIFY(!QFile::exists(m_desk->file(QStringLiteral("Nuvel.opt"))));
    QVERIFY(!child<QWidget>(m_print, "opt3")->isEnabled());
    // The card shows the lines where the postcard print puts them, moved as set.
    const CardView::Drawn *name =
        m_print->findChild<CardView *>()->find(QStringLiteral("宛名1　様"));
    QVERIFY(name);
    const QPointF expected =
        QPointF(postcard::NameLine.xMm, postcard::NameLine.yMm + 1.5) * postcard::TwipsPerMm;
    QVERIFY((name->at - expected).manhattanLength() < 0.1);

    const QString pdf = m_desk->file(QStringLiteral("cards.pdf"));
    m_desk->printerDialog.outputFile = pdf;
    m_desk->printerDialog.answers = {true};
    m_desk->messages.answers = {MessageAnswer::Ok};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    QCOMPARE(m_desk->messages.texts(), QStringList{QStringLiteral("シート数は3枚です。")});
    QCOMPARE(pdfPageCount(pdf), 3);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(info.waitForFinished(30000));
    QVERIFY2(info.readAllStandardOutput().contains("283.465 x 419.528 pts"), "not 100 × 148 mm");
    // The first digit stands in box 1 of the card, 1.5 mm lower as set.
    QRectF digit;
    for (const PdfWord &word : pdfWords(pdf))
        if (word.page == 1 && word.text == QLatin1String("1") &&
            (digit.isNull() || word.box.left() < digit.left()))
            digit = word.box;
    const QPointF centre = digit.center() * MmPerPoint;
    QVERIFY2(qAbs(centre.x() - (postcard::BoxLeftMm.at(0) + postcard::BoxWidthMm / 2)) < 0.6 &&
                 qAbs(centre.y() - (postcard::BoxTopMm + postcard::BoxHeightMm / 2 + 1.5)) < 0.8,
             qPrintable(QStringLiteral("%1, %2 mm").arg(centre.x()).arg(centre.y())));

    // The next time the window opens, the choice is there.
    child<QAbstractButton>(m_print, "cmdCancel")->click();
    m_print = openPrintWindow(*m_desk, labels(1));
    QVERIFY(child<QRadioButton>(m_print, "optPaperHagaki")->isChecked());
    QCOMPARE(child<QDoubleSpinBox>(m_print, "spinPaperY")->value(), 1.5);
}

void TestPrintPdf::writingFromTheWindow() {
    m_print = openPrintWindow(*m_desk, labels(1));
    QVERIFY(child<QRadioButton>(m_print, "optHorizontal")->isChecked());
    auto *arabic = child<QCheckBox>(m_print, "chkArabic");
    QVERIFY(!arabic->isEnabled());
    child<QRadioButton>(m_print, "optVertical")->setChecked(true);
    QVERIFY(arabic->isEnabled());
    arabic->setChecked(true);
    // Kept in the program's own settings file, nothing in Nuvel.ini or Nuvel.opt.
    const PaperChoice kept = readPaperChoice(m_desk->file(QStringLiteral("nvl-hagaki.ini")));
    QVERIFY(kept.vertical);
    QCOMPARE(kept.numbers, VerticalNumbers::Arabic);
    QVERIFY(!QFile::exists(m_desk->file(QStringLiteral("Nuvel.opt"))));
    // The card is written downwards, and says its lines to a screen reader.
    auto *preview = m_print->findChild<CardView *>();
    const CardView::Drawn *name = preview->find(QStringLiteral("宛名１"));
    QVERIFY(name && name->vertical);
    QVERIFY2(preview->accessibleDescription().contains(QStringLiteral("宛名１\n様")),
             qPrintable(preview->accessibleDescription()));

    child<QAbstractButton>(m_print, "cmdCancel")->click();
    m_print = openPrintWindow(*m_desk, labels(1));
    QVERIFY(child<QRadioButton>(m_print, "optVertical")->isChecked());
    QVERIFY(child<QCheckBox>(m_print, "chkArabic")->isChecked());
    child<QRadioButton>(m_print, "optHorizontal")->setChecked(true);
    QVERIFY(!readPaperChoice(m_desk->file(QStringLiteral("nvl-hagaki.ini"))).vertical);
    preview = m_print->findChild<CardView *>();
    QVERIFY(!preview->find(QStringLiteral("宛名1 様"))->vertical);
}

void TestPrintPdf::wholeSheetPreview() {
    m_print = openPrintWindow(*m_desk, labels(5));
    const QString pdf = m_desk->file(QStringLiteral("preview.pdf"));
    m_desk->printerDialog.outputFile = pdf;
    m_desk->messages.answers = {MessageAnswer::Ok};
    child<QAbstractButton>(m_print, "cmdPreview")->click();
    QCOMPARE(m_desk->printerDialog.previews, 1);
    QCOMPARE(m_desk->printerDialog.calls, 0);
    QCOMPARE(m_desk->messages.texts(), QStringList{QStringLiteral("シート数は2枚です。")});
    QCOMPARE(pdfPageCount(pdf), 2);
}

void TestPrintPdf::outputFailureIsReported() {
    m_print = openPrintWindow(*m_desk, labels(2));
    m_desk->printerDialog.outputFile = m_desk->file(QStringLiteral("no/such/folder/out.pdf"));
    m_desk->printerDialog.answers = {true};
    m_desk->messages.answers = {MessageAnswer::Ok};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    QCOMPARE(m_desk->messages.shown.size(), 2);
    QVERIFY(m_desk->messages.shown.at(1).text.contains(QStringLiteral("印刷")));
    QVERIFY(child<QWidget>(m_print, "cmdPrint")->isEnabled());
}

// After printing, the cards are marked as sent for the year the user picks,
// in the companion only; a save the user stops at a conflict keeps no mark.
void TestPrintPdf::printedCardsMarkedAsSent() {
    m_desk->context.today = [] {
        return QDate(2026, 12, 8);
    };
    m_desk->printerDialog.sentYears = {2026};
    const QString pdf = printToPdf({{"甲", "100-0001", "0"}, {"乙", "100-0002", "0"}});
    QVERIFY(QFile::exists(pdf));
    QCOMPARE(m_desk->printerDialog.sentAsked, (QList<std::pair<int, int>>{{2, 2027}}));
    const QString book = m_desk->file(QStringLiteral("book.dat"));
    const QByteArray bookBytes = readBytes(book);
    {
        BookDocument saved;
        QVERIFY(saved.load(book).ok());
        QVERIFY(hasMark(saved.recordData(1), 2026, YearMark::Sent));
    }
    // Another program rewrites the book; the user keeps it and saves nothing.
    writeBytes(book,
               bookBytes + cp932(QStringLiteral(
                               "\"丙\",\"住所3\",\"番地\",\"100-0003\",\"\",\"0\",\"\"\r\n")));
    m_desk->printerDialog.sentYears = {2027};
    m_desk->printerDialog.answers = {true};
    m_desk->messages.answers = {MessageAnswer::Ok, MessageAnswer::Cancel};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    QCOMPARE(m_desk->printerDialog.sentAsked.size(), 2);
    QVERIFY(!hasMark(m_desk->context.book.recordData(0), 2027, YearMark::Sent));
    QVERIFY(hasMark(m_desk->context.book.recordData(0), 2026, YearMark::Sent));
    BookDocument untouched;
    QVERIFY(untouched.load(book).ok());
    QCOMPARE(untouched.recordCount(), 3);
}

// The printer dialog's PDF file is the open book (under a link): refused
// before anything is drawn into it.
void TestPrintPdf::pdfNeverOverTheOpenBook() {
    m_print = openPrintWindow(*m_desk, labels(2));
    const QString book = m_desk->file(QStringLiteral("book.dat"));
    const QString link = m_desk->file(QStringLiteral("book.pdf"));
    QVERIFY(QFile::link(book, link));
    const QByteArray before = readBytes(book);
    m_desk->printerDialog.outputFile = link;
    m_desk->printerDialog.answers = {true};
    m_desk->messages.answers = {MessageAnswer::Ok, MessageAnswer::Ok};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    QVERIFY2(m_desk->messages.texts().last().contains(QStringLiteral("住所録そのもの")),
             qPrintable(m_desk->messages.texts().join(u'|')));
    QCOMPARE(readBytes(book), before);
}

QTEST_MAIN(TestPrintPdf)
#include "tst_printpdf.moc"
