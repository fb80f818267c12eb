// Vertical address sides as they come out in the PDF, on every paper: read
// back with pdftotext -bbox, one word a character down each column.
#include "cardjob.h"
#include "fonts.h"
#include "paintersurface.h"
#include "pdftools.h"
#include "postcardpaper.h"
#include "printoutput.h"

#include <QFile>
#include <QFontDatabase>
#include <QPicture>
#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

constexpr double MmPerPoint = 25.4 / 72;

PrintJob verticalJob(const QList<AddressRecord> &cards,
                     VerticalNumbers numbers = VerticalNumbers::Kanji) {
    PrintJob input = job(cards);
    input.vertical = true;
    input.numbers = numbers;
    return input;
}

struct Column {
    double xMm;
    QList<PdfWord> words; // top to bottom
    QString text() const {
        QString all;
        for (const PdfWord &w : words)
            all += w.text;
        return all;
    }
};

// The words of one card below its postal-code boxes, grouped into columns
// by their centres, right to left. On the A4 sheets a card is a quarter or
// a half of the page, `card` counted along the rows.
QList<Column> columns(const QList<PdfWord> &words, int page, Paper paper = Paper::Postcard,
                      int card = 0) {
    QRectF area(0, 0, 1000, 1000);
    if (paper == Paper::A4FourUp)
        area = QRectF(card % 2 * 105, card / 2 * 148.5, 105, 148.5);
    else if (paper == Paper::A4TwoUp)
        area = QRectF(0, card * 148.5, 210, 148.5);
    QList<Column> found;
    for (const PdfWord &word : words) {
        const QPointF centre = word.box.center() * MmPerPoint;
        if (word.page != page || !area.contains(centre) || centre.y() - area.top() < 22)
            continue;
        const double x = word.box.center().x() * MmPerPoint;
        auto it = std::find_if(found.begin(), found.end(),
                               [x](const Column &c) { return qAbs(c.xMm - x) < 1.2; });
        if (it == found.end())
            it = found.insert(found.end(), Column{x, {}});
        it->words.append(word);
    }
    for (Column &c : found)
        std::sort(c.words.begin(), c.words.end(), [](const PdfWord &a, const PdfWord &b) {
            return a.box.center().y() < b.box.center().y();
        });
    std::sort(found.begin(), found.end(),
              [](const Column &a, const Column &b) { return a.xMm > b.xMm; });
    return found;
}

const Column *columnReading(const QList<Column> &all, const QString &text) {
    for (const Column &c : all)
        if (c.text() == text)
            return &c;
    return nullptr;
}

QString columnTexts(const QList<Column> &all) {
    QStringList texts;
    for (const Column &c : all)
        texts.append(QStringLiteral("%1@%2").arg(c.text()).arg(c.xMm, 0, 'f', 1));
    return texts.join(QStringLiteral(" | "));
}

} // namespace

class TestVerticalPdf : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void namesAndAddressesDownOneColumn_data();
    void namesAndAddressesDownOneColumn();
    void verticalFormsReadBack_data();
    void verticalFormsReadBack();
    void postalDigitsStayPut_data();
    void postalDigitsStayPut();
    void nothingPastTheEdge();
    void previewDrawsAsPrinted();
    void installedFontsListedOnce();
};

void TestVerticalPdf::namesAndAddressesDownOneColumn_data() {
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("numbers");
    QTest::addColumn<QString>("address"); // as the column reads
    QTest::addColumn<QString>("building");
    const int kanji = int(VerticalNumbers::Kanji);
    const int arabic = int(VerticalNumbers::Arabic);
    const QString k = QStringLiteral("東京都千代田区千代田一ー二ー三");
    const QString kb = QStringLiteral("千代田ハイツ一〇一号室");
    QTest::newRow("A4 four up") << int(Paper::A4FourUp) << kanji << k << kb;
    QTest::newRow("A4 two up") << int(Paper::A4TwoUp) << kanji << k << kb;
    QTest::newRow("postcard") << int(Paper::Postcard) << kanji << k << kb;
    QTest::newRow("return postcard") << int(Paper::ReturnOutgoing) << kanji << k << kb;
    // Arabic numerals upright; two digits side by side read as one word.
    QTest::newRow("postcard, Arabic numerals")
        << int(Paper::Postcard) << arabic << QStringLiteral("東京都千代田区千代田１ー２ー３")
        << QStringLiteral("千代田ハイツ１０１号室");
}

void TestVerticalPdf::namesAndAddressesDownOneColumn() {
    QFETCH(int, paper);
    QFETCH(int, numbers);
    QFETCH(QString, address);
    QFETCH(QString, building);
    // Two cards, so the A4 sheets set a full row; full-width digits too.
    const QList<AddressRecord> cards = {
        card(QStringLiteral("榊原　葵"), QStringLiteral("100-0001"),
             QStringLiteral("東京都千代田区"), QStringLiteral("千代田1-2-3"),
             QStringLiteral("千代田ハイツ101号室")),
        card(QStringLiteral("檜山　楓"), QStringLiteral("530-0001"),
             QStringLiteral("大阪府大阪市北区梅田"), QStringLiteral("３丁目１ー15"))};
    QTemporaryDir dir;
    const QString pdf = writePdf(dir, verticalJob(cards, VerticalNumbers(numbers)), Paper(paper));
    QVERIFY(!pdf.isEmpty());
    const QList<PdfWord> words = pdfWords(pdf);
    const bool onePerPage = paper == int(Paper::Postcard) || paper == int(Paper::ReturnOutgoing);
    const QList<Column> page1 = columns(words, 1, Paper(paper), 0);
    const QList<Column> page2 = onePerPage ? columns(words, 2) : columns(words, 1, Paper(paper), 1);
    const QString seen = columnTexts(page1) + QStringLiteral(" || ") + columnTexts(page2);

    const Column *name = columnReading(page1, QStringLiteral("榊原葵様"));
    QVERIFY2(name, qPrintable(seen));
    QVERIFY2(columnReading(page1, address), qPrintable(seen));
    QVERIFY2(columnReading(page1, building), qPrintable(seen));
    // The second card's numbers: 3丁目1ー15, ー between digits a bar.
    const QString second = numbers == int(VerticalNumbers::Kanji)
                               ? QStringLiteral("大阪府大阪市北区梅田三丁目一ー一五")
                               : QStringLiteral("大阪府大阪市北区梅田３丁目１ー15");
    QVERIFY2(columnReading(page2, second), qPrintable(seen));
    QVERIFY2(columnReading(page2, QStringLiteral("檜山楓様")), qPrintable(seen));

    // Every character of the name in one column, centres within 0.5 mm,
    // running downwards, set close (not letter-spaced) and centred in the
    // column's height.
    double left = 1e9, right = -1e9;
    for (const PdfWord &w : name->words) {
        left = std::min(left, w.box.center().x() * MmPerPoint);
        right = std::max(right, w.box.center().x() * MmPerPoint);
    }
    QVERIFY2(right - left <= 0.5, qPrintable(QString::number(right - left)));
    for (qsizetype i = 1; i < name->words.size(); ++i)
        QVERIFY(name->words.at(i).box.top() >= name->words.at(i - 1).box.bottom() - 0.01);
    const double em = name->words.first().box.height();
    for (qsizetype i = 1; i < name->words.size(); ++i) {
        const double gap = name->words.at(i).box.top() - name->words.at(i - 1).box.bottom();
        QVERIFY2(gap <= 1.1 * em, qPrintable(QString::number(gap / em)));
    }
    const double middle =
        (name->words.last().box.bottom() + name->words.first().box.top()) / 2 * MmPerPoint;
    QVERIFY2(std::abs(middle - (vertical::Name.topMm + vertical::Name.bottomMm) / 2) < 2,
             qPrintable(QString::number(middle)));
    // The name is the largest type on the card.
    for (const Column &c : page1)
        for (const PdfWord &w : c.words)
            QVERIFY(w.box.height() <= name->words.first().box.height() + 0.01);
}

void TestVerticalPdf::verticalFormsReadBack_data() {
    QTest::addColumn<int>("paper");
    QTest::newRow("postcard") << int(Paper::Postcard);
    QTest::newRow("A4 four up") << int(Paper::A4FourUp);
}

void TestVerticalPdf::verticalFormsReadBack() {
    QFETCH(int, paper);
    // ー「」 small kana and ― all take vertical forms; none may drop out of
    // the text layer, nor read back out of their column's order.
    const QString name = QStringLiteral("ジョー　ヒッチコック");
    const QString address = QStringLiteral("北海道札幌市中央区（北一条）タワー（株）");
    const QString typed = QStringLiteral("メゾン「ちょっと」―ぁぃぅぇぉゃゅょゎ〜エレベーター");
    const QString building = QString(typed).replace(u'―', u'ー');
    QTemporaryDir dir;
    const QString pdf =
        writePdf(dir, verticalJob({card(name, QStringLiteral("0600001"), address, {}, typed)}),
                 Paper(paper));
    QVERIFY(!pdf.isEmpty());
    const QList<Column> page = columns(pdfWords(pdf), 1);
    const QString seen = columnTexts(page);
    QVERIFY2(columnReading(page, QStringLiteral("ジョーヒッチコック様")), qPrintable(seen));
    QVERIFY2(columnReading(page, address), qPrintable(seen));
    QVERIFY2(columnReading(page, building), qPrintable(seen));
    const QString drawn = pdfDrawnText(pdf);
    QVERIFY2(drawn.contains(address) && drawn.contains(building), qPrintable(drawn));
}

void TestVerticalPdf::postalDigitsStayPut_data() {
    QTest::addColumn<int>("paper");
    QTest::newRow("A4 four up") << int(Paper::A4FourUp);
    QTest::newRow("A4 two up") << int(Paper::A4TwoUp);
    QTest::newRow("postcard") << int(Paper::Postcard);
    QTest::newRow("return postcard") << int(Paper::ReturnOutgoing);
}

void TestVerticalPdf::postalDigitsStayPut() {
    QFETCH(int, paper);
    const QList<AddressRecord> cards = {
        card(QStringLiteral("榊原　葵"), QStringLiteral("123-4567"), QStringLiteral("東京都")),
        card(QStringLiteral("檜山　楓"), QStringLiteral("890-1234"), QStringLiteral("大阪府"))};
    QTemporaryDir dir;
    const auto digits = [&](bool vertical) {
        QList<QRectF> boxes;
        PrintJob input = job(cards);
        input.vertical = vertical;
        const QString pdf = writePdf(dir, input, Paper(paper));
        for (const PdfWord &w : pdfWords(pdf))
            if (w.text.size() == 1 && w.text.at(0).isDigit() &&
                std::fmod(w.box.top() * MmPerPoint, 148.5) < 25)
                boxes.append(w.box.translated(0, 1000 * w.page));
        std::sort(boxes.begin(), boxes.end(), [](const QRectF &a, const QRectF &b) {
            return std::pair(a.top(), a.left()) < std::pair(b.top(), b.left());
        });
        return boxes;
    };
    const QList<QRectF> horizontal = digits(false);
    QCOMPARE(horizontal.size(), 14);
    QCOMPARE(digits(true), horizontal);
}

void TestVerticalPdf::nothingPastTheEdge() {
    // The longest values the editor accepts.
    const QString name = QString(20, QChar(0x9f8d));
    const QString line = QStringLiteral("北海道札幌市中央区北一条西二十丁目１２３４５");
    const QString building = QString(22, QChar(0x30D3));
    QTemporaryDir dir;
    const QString pdf =
        writePdf(dir, verticalJob({card(name, QStringLiteral("0600001"), line, line, building)}),
                 Paper::Postcard);
    QVERIFY(!pdf.isEmpty());
    const QList<PdfWord> words = pdfWords(pdf);
    for (const PdfWord &word : words) {
        const QRectF mm(word.box.topLeft() * MmPerPoint, word.box.size() * MmPerPoint);
        QVERIFY2(mm.left() >= postcard::EdgeMm - 0.5 && mm.top() >= 0 &&
                     mm.right() <= postcard::WidthMm - postcard::EdgeMm + 0.5 &&
                     mm.bottom() <= postcard::HeightMm - postcard::EdgeMm + 0.5,
                 qPrintable(QStringLiteral("%1 at %2, %3 – %4, %5 mm")
                                .arg(word.text)
                                .arg(mm.left())
                                .arg(mm.top())
                                .arg(mm.right())
                                .arg(mm.bottom())));
    }
    // Nothing lost to the fitting: every character, the numbers in kanji
    // and whole; the second address line in a column of its own.
    const QList<Column> page = columns(words, 1);
    const QString seen = columnTexts(page);
    const QString address = QStringLiteral("北海道札幌市中央区北一条西二十丁目一二三四五");
    // Address, address, building, the name parted in two columns rather
    // than smaller than the address, the sender's address and name, the
    // sender's postal code.
    QCOMPARE(page.size(), 8);
    QCOMPARE(page.at(0).text(), address);
    QCOMPARE(page.at(1).text(), address);
    QCOMPARE(page.at(2).text(), building);
    QVERIFY(page.at(1).words.first().box.top() > page.at(0).words.first().box.top());
    QVERIFY2(columnReading(page, building), qPrintable(seen));
    QVERIFY2(columnReading(page, name.left(10)) && columnReading(page, name.mid(10) + u'様'),
             qPrintable(seen));
}

// The font list names each family once, without the foundry Qt adds when
// several install it ("C059 [urw]").
void TestVerticalPdf::installedFontsListedOnce() {
    QImage image(10, 10, QImage::Format_Grayscale8);
    PainterSurface surface(&image);
    QStringList names;
    for (int i = 0; i < surface.fontCount(); ++i)
        names.append(surface.fontName(i));
    QVERIFY(names.size() > 1);
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    for (const QString &name : std::as_const(names))
        QVERIFY2(!name.endsWith(u']'), qPrintable(name));
}

// The preview records pages as pictures, where the columns go as characters
// rather than glyph runs: played back, the card looks as drawn directly.
void TestVerticalPdf::previewDrawsAsPrinted() {
    const PrintJob input =
        verticalJob({card(QStringLiteral("ジョー　山田"), QStringLiteral("1000005"),
                          QStringLiteral("東京都千代田区（丸の内）１－２－３"), {},
                          QStringLiteral("タワー「ちょっと」ぁ12階"))});
    const QRectF area(0, 0, 500, 740);
    const auto draw = [&](QPaintDevice *device) {
        PainterSurface surface(device);
        QVERIFY(surface.begin());
        renderCard(input, 0, surface, surface.painter(), area);
        surface.endDocument();
    };
    QImage direct(area.size().toSize(), QImage::Format_Grayscale8);
    direct.fill(Qt::white);
    draw(&direct);
    QPicture picture;
    draw(&picture);
    QImage replayed(direct.size(), QImage::Format_Grayscale8);
    replayed.fill(Qt::white);
    QPainter player(&replayed);
    picture.play(&player);
    player.end();
    qsizetype ink = 0;
    qsizetype differing = 0;
    for (int y = 0; y < direct.height(); ++y)
        for (int x = 0; x < direct.width(); ++x) {
            const int a = qGray(direct.pixel(x, y));
            ink += a < 128;
            differing += qAbs(a - qGray(replayed.pixel(x, y))) > 96;
        }
    QVERIFY(ink > 2000);
    QVERIFY2(differing < ink / 20,
             qPrintable(QStringLiteral("%1 of %2 ink pixels differ").arg(differing).arg(ink)));
}

QTEST_MAIN(TestVerticalPdf)
#include "tst_verticalpdf.moc"
