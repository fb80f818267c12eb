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

#include <hb.h>

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
    void originsAsHarfBuzzFindsThem_data();
    void originsAsHarfBuzzFindsThem();

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
    const VerticalShaper::Glyph upright{nominal, own.place, true, character};
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

void TestVerticalShaper::originsAsHarfBuzzFindsThem_data() {
    QTest::addColumn<QString>("character");
    for (const char *c : {"山", "あ", "ー", "「", "っ", "、", "A", "1", "　", "龍"})
        QTest::newRow(c) << QString::fromUtf8(c);
}

// The shaper gives HarfBuzz the glyphs' vertical origins itself (so the
// outline table is never copied); they must be the ones HarfBuzz finds from
// the outlines.
void TestVerticalShaper::originsAsHarfBuzzFindsThem() {
    QFETCH(QString, character);
    struct Tables {
        static hb_blob_t *table(hb_face_t *, hb_tag_t tag, void *font) {
            const char name[4] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag)};
            auto *data = new QByteArray(static_cast<QRawFont *>(font)->fontTable(name));
            return hb_blob_create(data->constData(), unsigned(data->size()),
                                  HB_MEMORY_MODE_READONLY, data,
                                  [](void *d) { delete static_cast<QByteArray *>(d); });
        }
    };
    hb_face_t *face = hb_face_create_for_tables(Tables::table, &m_font, nullptr);
    hb_face_set_upem(face, unsigned(m_font.unitsPerEm()));
    hb_font_t *font = hb_font_create(face);
    hb_font_set_scale(font, Em * 64, Em * 64);
    hb_buffer_t *buffer = hb_buffer_create();
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t *>(character.utf16()),
                        int(character.size()), 0, int(character.size()));
    hb_buffer_guess_segment_properties(buffer);
    hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
    hb_shape(font, buffer, nullptr, 0);
    unsigned count = 0;
    const hb_glyph_position_t *position = hb_buffer_get_glyph_positions(buffer, &count);
    QCOMPARE(count, 1u);
    const QPointF expected(position[0].x_offset / 64.0, -position[0].y_offset / 64.0);
    hb_buffer_destroy(buffer);
    hb_font_destroy(font);
    hb_face_destroy(face);

    VerticalShaper shaper(m_font);
    const VerticalShaper::Glyph own = shaper.fontVerticalGlyph(character);
    const QPointF origin(own.place.dx(), own.place.dy());
    // Within half a percent of an em: Qt's outline bounds come in whole pixels.
    QVERIFY2(qAbs(origin.x() - expected.x()) <= Em / 200.0 &&
                 qAbs(origin.y() - expected.y()) <= Em / 200.0,
             qPrintable(QStringLiteral("%1, %2 against %3, %4")
                            .arg(origin.x())
                            .arg(origin.y())
                            .arg(expected.x())
                            .arg(expected.y())));
}

QTEST_MAIN(TestVerticalShaper)
#include "tst_verticalshaper.moc"
