// Real postcards, one a page: Japan Post's box geometry, digits centred by
// their ink, nothing past the card's edge, exact page size.
#include "cardjob.h"
#include "fonts.h"
#include "pdftools.h"
#include "postcardpaper.h"
#include "printoutput.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

constexpr double MmPerPoint = 25.4 / 72;

// A writer whose page is a postcard, as a printer loaded with postcards.
void setPostcardPage(QPdfWriter &writer) {
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(100, 148), QPageSize::Millimeter),
                                     QPageLayout::Portrait, QMarginsF()));
}

QString pageSize(const QString &pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(30000);
    for (const QString &line : QString::fromUtf8(info.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(QLatin1String("Page size:")))
            return line.mid(10).trimmed();
    return {};
}

} // namespace

class TestPostcardPaper : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void boxGeometry();
    void digitsCentredInBoxes_data();
    void digitsCentredInBoxes();
    void nothingPastTheEdge();
    void codesAsTyped();
    void returnPostcardFaces();
    void alignmentPage();
    void previewShowsTheBoxes_data();
    void previewShowsTheBoxes();
    void fitting_data();
    void fitting();
};

void TestPostcardPaper::boxGeometry() {
    // Japan Post: box 7's right edge 8.0 mm from the right, the gaps as published.
    QCOMPARE(postcard::BoxLeftMm.at(6) + postcard::BoxWidthMm, postcard::WidthMm - 8.0);
    const double gaps[6] = {1.3, 1.3, 1.9, 1.1, 1.1, 1.1};
    for (int i = 0; i < 6; ++i)
        QVERIFY(qAbs(postcard::BoxLeftMm.at(i + 1) - postcard::BoxLeftMm.at(i) -
                     postcard::BoxWidthMm - gaps[i]) < 1e-9);
}

void TestPostcardPaper::digitsCentredInBoxes_data() {
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("paper");
    QTest::addColumn<QString>("size");
    const QString postcardSize = QStringLiteral("283.465 x 419.528 pts");
    const QString returnSize = QStringLiteral("566.929 x 419.528 pts");
    QTest::addColumn<bool>("vertical");
    for (const bool vertical : {false, true}) {
        const char *way = vertical ? "down" : "across";
        QTest::addRow("郵便はがき, Mincho, %s", way)
            << MinchoFontName << int(Paper::Postcard) << postcardSize << vertical;
        QTest::addRow("郵便はがき, OCR-B, %s", way)
            << OcrFontName << int(Paper::Postcard) << postcardSize << vertical;
        QTest::addRow("往復はがき 往信, OCR-B, %s", way)
            << OcrFontName << int(Paper::ReturnOutgoing) << returnSize << vertical;
        QTest::addRow("往復はがき 返信, Mincho, %s", way)
            << MinchoFontName << int(Paper::ReturnReply) << returnSize << vertical;
    }
}

void TestPostcardPaper::digitsCentredInBoxes() {
    QFETCH(QString, font);
    QFETCH(int, paper);
    QFETCH(QString, size);
    QFETCH(bool, vertical);
    // Every digit shape, on three pages.
    const QStringList codes = {QStringLiteral("123-4567"), QStringLiteral("890-1234"),
                               QStringLiteral("5678900")};
    QList<AddressRecord> cards;
    for (const QString &code : codes)
        cards.append(card(QStringLiteral("宛名"), code));
    QTemporaryDir dir;
    PrintJob input = job(cards, font);
    input.sender.postalCode = QStringLiteral("123-4567");
    input.vertical = vertical;
    const QString pdf = writePdf(dir, input, Paper(paper));
    QVERIFY(!pdf.isEmpty());
    QCOMPARE(pdfPageCount(pdf), 3);
    QCOMPARE(pageSize(pdf), size);

    // Measured from the page's top-left at 1200 dpi, the strip of the boxes.
    constexpr int Dpi = 1200;
    const double pxPerMm = Dpi / 25.4;
    double worst = 0;
    for (int page = 1; page <= 3; ++page) {
        const QImage image =
            renderPdfPage(pdf, page, Dpi, QRect(0, 0, qRound(100 * pxPerMm), qRound(25 * pxPerMm)));
        QVERIFY(!image.isNull());
        for (int box = 0; box < 7; ++box) {
            const double cx = postcard::BoxLeftMm.at(box) + postcard::BoxWidthMm / 2;
            const double cy = postcard::BoxTopMm + postcard::BoxHeightMm / 2;
            const QRect area(qRound((cx - 2.8) * pxPerMm), qRound((cy - 5.0) * pxPerMm),
                             qRound(5.6 * pxPerMm), qRound(10.0 * pxPerMm));
            const QPointF ink = inkCentre(image, area);
            QVERIFY2(!ink.isNull(), qPrintable(QStringLiteral("no ink in box %1").arg(box + 1)));
            worst = std::max({worst, qAbs(ink.x() / pxPerMm - cx), qAbs(ink.y() / pxPerMm - cy)});
        }
    }
    QVERIFY2(worst <= 0.05, qPrintable(QStringLiteral("a digit is %1 mm off").arg(worst)));
}

void TestPostcardPaper::nothingPastTheEdge() {
    // The longest values the editor accepts: 20-character names, 22-character lines.
    const QString name = QString(20, QChar(0x9f8d)); // 龍…
    const QString line = QStringLiteral("北海道札幌市中央区北一条西二十丁目１２３４５");
    QCOMPARE(line.size(), 22);
    const QString building = QString(22, QChar(0x30D3)); // ビ…
    QTemporaryDir dir;
    const QString pdf = writePdf(dir, job({card(name, QStringLiteral("0600001"), line, line,
                                                building, QStringLiteral("C-1"))}));
    QVERIFY(!pdf.isEmpty());
    const QList<PdfWord> words = pdfWords(pdf);
    QVERIFY(words.size() > 5);
    for (const PdfWord &word : words) {
        const QRectF mm(word.box.topLeft() * MmPerPoint, word.box.size() * MmPerPoint);
        QVERIFY2(mm.left() >= 0 && mm.top() >= 0 && mm.right() <= postcard::WidthMm - 3 &&
                     mm.bottom() <= postcard::HeightMm - 3,
                 qPrintable(QStringLiteral("%1 at %2, %3 – %4, %5 mm")
                                .arg(word.text)
                                .arg(mm.left())
                                .arg(mm.top())
                                .arg(mm.right())
                                .arg(mm.bottom())));
    }
    // Every character printed, none lost to the fitting.
    QString all;
    for (const PdfWord &word : words)
        all += word.text;
    for (const QChar c : line + name)
        QVERIFY2(all.contains(c), qPrintable(QString(c)));
    // The name on two lines rather than smaller than the address.
    QList<QRectF> nameLines;
    for (const PdfWord &word : words)
        if (word.text.startsWith(QChar(0x9f8d)))
            nameLines.append(word.box);
    QCOMPARE(nameLines.size(), 2);
    for (const QRectF &box : nameLines)
        QVERIFY2(box.height() >= postcard::Address1.points - 0.5,
                 qPrintable(QString::number(box.height())));
}

// A full-width code fills the boxes, an empty one leaves them for the pen,
// a six-digit one fills six.
void TestPostcardPaper::codesAsTyped() {
    QTemporaryDir dir;
    const QString pdf =
        writePdf(dir, job({card(QStringLiteral("宛名"), QStringLiteral("１００－０００５")),
                           card(QStringLiteral("宛名"), QString()),
                           card(QStringLiteral("宛名"), QStringLiteral("123456"))}));
    QVERIFY(!pdf.isEmpty());
    constexpr int Dpi = 200;
    const double pxPerMm = Dpi / 25.4;
    QList<int> filled;
    for (int page = 1; page <= 3; ++page) {
        const QImage image = renderPdfPage(pdf, page, Dpi);
        QVERIFY(!image.isNull());
        int boxes = 0;
        for (const double left : postcard::BoxLeftMm)
            boxes += !inkCentre(image, QRect(qRound((left + 0.5) * pxPerMm),
                                             qRound((postcard::BoxTopMm + 0.5) * pxPerMm),
                                             qRound((postcard::BoxWidthMm - 1) * pxPerMm),
                                             qRound((postcard::BoxHeightMm - 1) * pxPerMm)))
                          .isNull();
        filled.append(boxes);
    }
    QCOMPARE(filled, QList<int>({7, 0, 6}));
}

void TestPostcardPaper::returnPostcardFaces() {
    QTemporaryDir dir;
    const PrintJob input = job({card(QStringLiteral("受取 花子"), QStringLiteral("5300001"),
                                     QStringLiteral("大阪府大阪市北区梅田"))});
    const auto words = [&](Paper paper) {
        QStringList texts;
        QList<QRectF> boxes;
        for (const PdfWord &word : pdfWords(writePdf(dir, input, paper))) {
            texts.append(word.text);
            boxes.append(word.box);
        }
        return std::pair{texts, boxes};
    };
    // 往信: the recipient and the sender block, on the left half.
    const auto [outgoing, outgoingBoxes] = words(Paper::ReturnOutgoing);
    QVERIFY(outgoing.contains(QStringLiteral("受取")) && outgoing.contains(QStringLiteral("様")));
    QVERIFY(outgoing.contains(QStringLiteral("差出")));
    // 返信: back to the sender, with 行, and nothing of the recipient.
    const auto [reply, replyBoxes] = words(Paper::ReturnReply);
    QVERIFY(reply.contains(QStringLiteral("差出")) && reply.contains(QStringLiteral("行")));
    QVERIFY(!reply.contains(QStringLiteral("受取")) && !reply.contains(QStringLiteral("様")));
    for (const QList<QRectF> &boxes : {outgoingBoxes, replyBoxes})
        for (const QRectF &box : boxes)
            QVERIFY(box.right() * MmPerPoint <= postcard::WidthMm);
    // 行 smaller than the name, after its foot, across and down.
    for (const bool vertical : {false, true}) {
        PrintJob downwards = input;
        downwards.vertical = vertical;
        QRectF name;
        QRectF word;
        for (const PdfWord &w : pdfWords(writePdf(dir, downwards, Paper::ReturnReply))) {
            if (w.text == QStringLiteral("行"))
                word = w.box;
            else if (w.text.contains(QStringLiteral("出")) || w.text.contains(QStringLiteral("郎")))
                name = name.united(w.box);
        }
        const QString where =
            QStringLiteral("行 %1, name %2").arg(QDebug::toString(word), QDebug::toString(name));
        QVERIFY2(!word.isEmpty() && !name.isEmpty(), qPrintable(where));
        QVERIFY2(word.height() < name.height() * 0.7 || vertical, qPrintable(where));
        QVERIFY2(qAbs(word.bottom() - name.bottom()) < 1.5, qPrintable(where));
        if (vertical)
            QVERIFY2(word.right() <= name.left() && word.width() < name.width() * 0.7,
                     qPrintable(where));
        else
            QVERIFY2(word.left() >= name.right(), qPrintable(where));
    }
}

void TestPostcardPaper::alignmentPage() {
    // The cross 10 mm from the left and top edges, and the boxes' outlines,
    // moved by the postcard offsets.
    const QPointF offset(1.0, -0.5);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("align.pdf"));
    {
        QPdfWriter writer(path);
        setPostcardPage(writer);
        QVERIFY(renderAlignmentPage(&writer, offset).ok);
    }
    const QImage page = renderPdfPage(path, 1, 200);
    QVERIFY(!page.isNull());
    const double pxPerMm = 200 / 25.4;
    const auto darkNear = [&](double xMm, double yMm) {
        int darkest = 255;
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                darkest = std::min(darkest, qGray(page.pixel(qRound(xMm * pxPerMm) + dx,
                                                             qRound(yMm * pxPerMm) + dy)));
        return darkest < 160;
    };
    QVERIFY(darkNear(10 + offset.x() + 3, 10 + offset.y())); // the cross's arm
    QVERIFY(darkNear(postcard::BoxLeftMm.at(0) + offset.x(), postcard::BoxTopMm + 4 + offset.y()));
    QVERIFY(!darkNear(50, 80)); // plain paper elsewhere
}

void TestPostcardPaper::previewShowsTheBoxes_data() {
    QTest::addColumn<bool>("guides");
    QTest::newRow("preview: red boxes") << true;
    QTest::newRow("print: no boxes") << false;
}

void TestPostcardPaper::previewShowsTheBoxes() {
    QFETCH(bool, guides);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("guides.pdf"));
    {
        QPdfWriter writer(path);
        QVERIFY(
            render(job({card(QStringLiteral("宛名"), QStringLiteral("1234567"))}), &writer, guides)
                .ok);
    }
    const QImage page = renderPdfPage(path, 1, 200);
    QVERIFY(!page.isNull());
    // The left edge of box 1, halfway down: dark only where a box is drawn.
    const double pxPerMm = 200 / 25.4;
    const int x = qRound(postcard::BoxLeftMm.at(0) * pxPerMm);
    const int y = qRound((postcard::BoxTopMm + 1.0) * pxPerMm);
    int darkest = 255;
    for (int dx = -2; dx <= 2; ++dx)
        darkest = std::min(darkest, qGray(page.pixel(x + dx, y)));
    QCOMPARE(darkest < 200, guides);
}

void TestPostcardPaper::fitting_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("widthEm"); // at 12 points
    QTest::addColumn<double>("points");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("fits as it is")
        << QStringLiteral("千代田区") << 10.0 << 12.0 << QStringList{"千代田区"};
    QTest::newRow("smaller to fit") << QStringLiteral("千代田区千代田一丁目") << 9.0 << 10.5
                                    << QStringList{"千代田区千代田一丁目"};
    QTest::newRow("8 pt, then broken after the blank")
        << QStringLiteral("東京都千代田区 千代田一丁目一番一号") << 8.0 << 8.0
        << QStringList{"東京都千代田区", "千代田一丁目一番一号"};
    QTest::newRow("a number is never cut")
        << QStringLiteral("札幌市中央区北一条西12345-678") << 7.0 << 8.0
        << QStringList{"札幌市中央区北一条西", "12345-678"};
    QTest::newRow("a number stays with its 丁目")
        << QStringLiteral("大阪府大阪市北区梅田二丁目四番九号") << 7.5 << 8.0
        << QStringList{"大阪府大阪市北区梅田", "二丁目四番九号"};
    QTest::newRow("a line breaks after ・")
        << QStringLiteral("港区虎ノ門・新橋・銀座・日本橋") << 7.5 << 8.0
        << QStringList{"港区虎ノ門・新橋・", "銀座・日本橋"};
    QTest::newRow("no line starts with ・")
        << QStringLiteral("ロバートソンジュニア・スミス") << 7.0 << 8.0
        << QStringList{"ロバートソンジュニ", "ア・スミス"};
}

void TestPostcardPaper::fitting() {
    QFETCH(QString, text);
    QFETCH(double, widthEm);
    QFETCH(double, points);
    QFETCH(QStringList, lines);
    RecordingSurface surface;
    const FittedText fitted = fitText(surface, MinchoFontName, 12, text, widthEm * 12 * 20);
    QCOMPARE(fitted.points, points);
    QCOMPARE(fitted.lines, lines);
}

QTEST_MAIN(TestPostcardPaper)
#include "tst_postcardpaper.moc"
