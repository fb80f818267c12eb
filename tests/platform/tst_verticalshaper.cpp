// Vertical forms: each character that has one comes out looking like the
// font's own vertical glyph, yet drawn with the glyph its character maps
// to, so a PDF keeps the character.
#include "fonts.h"
#include "verticalcells.h"
#include "verticalshaper.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace nvl;

namespace {

constexpr int Em = 200;

QRect inkOf(const QRawFont &font, const QList<VerticalShaper::Glyph> &glyphs) {
    QImage image(3 * Em, 3 * Em, QImage::Format_Grayscale8);
    image.fill(255);
    QPainter painter(&image);
    for (const VerticalShaper::Glyph &glyph : glyphs) {
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes({glyph.index});
        run.setPositions({QPointF()});
        painter.save();
        painter.translate(1.5 * Em, Em); // the cell's top centre
        painter.setTransform(glyph.place, true);
        painter.drawGlyphRun(QPointF(), run);
        painter.restore();
    }
    painter.end();
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (row[x] < 128)
                ink |= QRect(x, y, 1, 1);
    }
    return ink;
}

int distance(const QRect &a, const QRect &b) {
    return std::max({qAbs(a.left() - b.left()), qAbs(a.right() - b.right()),
                     qAbs(a.top() - b.top()), qAbs(a.bottom() - b.bottom())});
}

} // namespace

class TestVerticalShaper : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        installFontSubstitutions();
        QFont font(MinchoFontName);
        font.setPixelSize(Em);
        m_font = QRawFont::fromFont(font, QFontDatabase::Japanese);
        QVERIFY(m_font.isValid());
    }
    void verticalForms_data();
    void verticalForms();
    void uprightCharacters_data();
    void uprightCharacters();
    void cells_data();
    void cells();

private:
    QRawFont m_font;
};

void TestVerticalShaper::verticalForms_data() {
    QTest::addColumn<QString>("character");
    for (const char *c :
         {"ー", "「", "」", "（", "）", "〜", "―", "、", "。", "っ", "ゃ", "ァ", "ョ", "＝"})
        QTest::newRow(c) << QString::fromUtf8(c);
}

void TestVerticalShaper::verticalForms() {
    QFETCH(QString, character);
    VerticalShaper shaper(m_font);
    const VerticalShaper::Glyph own = shaper.fontVerticalGlyph(character);
    const quint32 nominal = m_font.glyphIndexesForString(character).value(0);
    // The font has a vertical form of its own for each of these.
    QVERIFY(own.index != nominal);
    const QRect wanted = inkOf(m_font, {own});
    // Set upright as it is, the character would not look like it.
    const VerticalShaper::Glyph upright{nominal, own.place, true};
    QVERIFY2(distance(inkOf(m_font, {upright}), wanted) > Em / 20,
             "the vertical form is not told apart from the upright glyph");

    const VerticalShaper::Cell &cell = shaper.cell(character);
    QCOMPARE(cell.glyphs.size(), 1);
    QCOMPARE(cell.glyphs.first().index, nominal); // readable in a PDF
    QCOMPARE(cell.advance, double(Em));
    const QRect drawn = inkOf(m_font, cell.glyphs);
    QVERIFY2(distance(drawn, wanted) <= Em / 25,
             qPrintable(QStringLiteral("drawn %1,%2 %3×%4, the font's form %5,%6 %7×%8")
                            .arg(drawn.x())
                            .arg(drawn.y())
                            .arg(drawn.width())
                            .arg(drawn.height())
                            .arg(wanted.x())
                            .arg(wanted.y())
                            .arg(wanted.width())
                            .arg(wanted.height())));
}

void TestVerticalShaper::uprightCharacters_data() {
    QTest::addColumn<QString>("character");
    for (const char *c : {"山", "あ", "Ａ", "A", "一", "〇"})
        QTest::newRow(c) << QString::fromUtf8(c);
}

void TestVerticalShaper::uprightCharacters() {
    QFETCH(QString, character);
    VerticalShaper shaper(m_font);
    const VerticalShaper::Cell &cell = shaper.cell(character);
    QCOMPARE(cell.glyphs.size(), 1);
    QVERIFY(cell.glyphs.first().upright);
    QCOMPARE(cell.glyphs.first().index, m_font.glyphIndexesForString(character).value(0));
    // Standing in the middle of the column, inside its cell.
    const QRect ink = inkOf(m_font, cell.glyphs);
    QVERIFY(qAbs(ink.center().x() - 1.5 * Em) <= Em / 10.0);
    QVERIFY(ink.top() >= Em - 1 && ink.bottom() <= Em + cell.advance + 1);
}

void TestVerticalShaper::cells_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("across");
    QTest::newRow("kanji") << QStringLiteral("山田") << QStringList{"山", "田"} << 0;
    QTest::newRow("two digits share a cell")
        << QStringLiteral("梅田15階") << QStringList{"梅", "田", "15", "階"} << 1;
    QTest::newRow("one digit") << QStringLiteral("3F") << QStringList{"3", "F"} << 0;
    QTest::newRow("three digits stay apart")
        << QStringLiteral("101") << QStringList{"1", "0", "1"} << 0;
    QTest::newRow("surrogate pair") << QStringLiteral("𠮷野") << QStringList{"𠮷", "野"} << 0;
}

void TestVerticalShaper::cells() {
    QFETCH(QString, text);
    QFETCH(QStringList, cells);
    QFETCH(int, across);
    QCOMPARE(verticalCells(text), cells);
    VerticalShaper shaper(m_font);
    int seen = 0;
    for (const QString &cell : cells) {
        seen += isAcrossCell(cell);
        if (!isAcrossCell(cell))
            continue;
        // Side by side within one em, centred on the column.
        const VerticalShaper::Cell &shaped = shaper.cell(cell);
        QCOMPARE(shaped.glyphs.size(), 2);
        QCOMPARE(shaped.advance, double(Em));
        const QRect ink = inkOf(m_font, shaped.glyphs);
        QVERIFY(ink.width() <= Em && ink.height() < Em);
        QVERIFY(qAbs(ink.center().x() - 1.5 * Em) <= Em / 10.0);
        QVERIFY(ink.top() >= Em && ink.bottom() <= 2 * Em);
    }
    QCOMPARE(seen, across);
}

QTEST_MAIN(TestVerticalShaper)
#include "tst_verticalshaper.moc"
