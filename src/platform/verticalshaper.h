#pragma once

#include <QHash>
#include <QList>
#include <QRawFont>
#include <QTransform>

struct hb_face_t;
struct hb_font_t;

namespace nvl {

// Shapes the cells of a vertical line with HarfBuzz, top to bottom, so the
// font's vertical forms (vert/vrt2) take their shapes and places.
//
// A PDF maps a glyph back to its character only through the font's
// character table, which has no entry for a vertical form: such a glyph is
// drawn as the normal glyph, turned (brackets, ー, 〜) or moved (、。 small
// kana) to where the vertical form's ink lies, so the text reads back whole.
class VerticalShaper {
public:
    // `font` at the size it is drawn at; units are its pixels.
    explicit VerticalShaper(const QRawFont &font);
    ~VerticalShaper();
    VerticalShaper(const VerticalShaper &) = delete;
    VerticalShaper &operator=(const VerticalShaper &) = delete;

    struct Glyph {
        quint32 index;
        // From the glyph's own coordinates (origin on its baseline) to the
        // cell's, whose origin is the top centre of the cell.
        QTransform place;
        bool upright; // `place` only moves it
        QString text; // the character it draws (its font's normal glyph for it)
    };
    struct Cell {
        QList<Glyph> glyphs;
        double advance = 0; // downwards
    };

    // One cell of verticalCells(); kept, since the same few hundred
    // characters recur on every card.
    const Cell &cell(const QString &text);
    // A cell's advance alone: measured for every break a long text is tried at.
    double advance(QStringView text);
    // The font's own vertical form of a character and where it goes in the
    // cell, as the font designs it (no turning): what `cell` imitates.
    Glyph fontVerticalGlyph(const QString &character);

    const QRawFont &rawFont() const { return m_font; }
    // The gap above a glyph's ink in vertical writing, in pixels (vmtx).
    double topSideBearing(quint32 glyph) const;

private:
    struct Shaped {
        quint32 glyph;
        QPointF origin;
        double advance;
        quint32 nominal;
        QString text;
    };
    QList<Shaped> shape(const QString &text) const;
    Cell across(const QString &text) const;

    QRawFont m_font;
    hb_face_t *m_face = nullptr;
    hb_font_t *m_hbFont = nullptr;
    double m_em;
    QByteArray m_vmtx;
    int m_longMetrics = 0;
    QHash<QString, Cell> m_cells;
    QHash<char16_t, double> m_advances; // of one-unit cells
};

} // namespace nvl
