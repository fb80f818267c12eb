#include "verticalshaper.h"

#include "verticalcells.h"

#include <hb.h>

#include <cmath>

namespace nvl {

namespace {

constexpr int HbUnitsPerPixel = 64;

hb_blob_t *fontTable(hb_face_t *, hb_tag_t tag, void *user) {
    const auto *font = static_cast<const QRawFont *>(user);
    const char name[4] = {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16),
                          static_cast<char>(tag >> 8), static_cast<char>(tag)};
    auto *data = new QByteArray(font->fontTable(name));
    if (data->isEmpty()) {
        delete data;
        return nullptr;
    }
    return hb_blob_create(data->constData(), static_cast<unsigned>(data->size()),
                          HB_MEMORY_MODE_READONLY, data,
                          [](void *owned) { delete static_cast<QByteArray *>(owned); });
}

// True when the vertical form is the normal glyph turned a quarter: its ink
// is wide where the normal one is tall, or the other way round.
bool turned(const QRectF &normal, const QRectF &vertical) {
    if (normal.isEmpty() || vertical.isEmpty())
        return false;
    const double n = std::log(normal.width() / normal.height());
    const double v = std::log(vertical.width() / vertical.height());
    return n * v < 0 && std::abs(n - v) > 0.3;
}

} // namespace

VerticalShaper::VerticalShaper(const QRawFont &font) : m_font(font), m_em(font.pixelSize()) {
    m_face = hb_face_create_for_tables(fontTable, &m_font, nullptr);
    hb_face_set_upem(m_face, static_cast<unsigned>(std::lround(m_font.unitsPerEm())));
    m_hbFont = hb_font_create(m_face);
    const int scale = static_cast<int>(std::lround(m_em * HbUnitsPerPixel));
    hb_font_set_scale(m_hbFont, scale, scale);
}

VerticalShaper::~VerticalShaper() {
    hb_font_destroy(m_hbFont);
    hb_face_destroy(m_face);
}

QList<VerticalShaper::Shaped> VerticalShaper::shape(const QString &text) const {
    hb_buffer_t *buffer = hb_buffer_create();
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t *>(text.utf16()),
                        static_cast<int>(text.size()), 0, static_cast<int>(text.size()));
    hb_buffer_guess_segment_properties(buffer);
    hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
    hb_shape(m_hbFont, buffer, nullptr, 0);
    unsigned count = 0;
    const hb_glyph_info_t *info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t *position = hb_buffer_get_glyph_positions(buffer, &count);
    QList<Shaped> shaped;
    double penY = 0;
    for (unsigned i = 0; i < count; ++i) {
        const char32_t code = QStringView(text).mid(info[i].cluster).toUcs4().value(0);
        hb_codepoint_t nominal = 0;
        hb_font_get_nominal_glyph(m_hbFont, code, &nominal);
        // HarfBuzz counts y upwards from the top of the column.
        const QPointF origin(position[i].x_offset / double(HbUnitsPerPixel),
                             penY - position[i].y_offset / double(HbUnitsPerPixel));
        const double advance = -position[i].y_advance / double(HbUnitsPerPixel);
        shaped.append({info[i].codepoint, origin, advance, nominal});
        penY += advance;
    }
    hb_buffer_destroy(buffer);
    return shaped;
}

VerticalShaper::Cell VerticalShaper::across(const QString &text) const {
    // Side by side, squeezed into one em if wider, centred in the cell.
    const QList<quint32> glyphs = m_font.glyphIndexesForString(text);
    const QList<QPointF> advances = m_font.advancesForGlyphIndexes(glyphs);
    double width = 0;
    for (const QPointF &a : advances)
        width += a.x();
    const double squeeze = width > m_em ? m_em / width : 1.0;
    const double baseline = (m_em + m_font.ascent() - m_font.descent()) / 2;
    Cell cell;
    cell.advance = m_em;
    double x = -width * squeeze / 2;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        QTransform place =
            QTransform::fromScale(squeeze, 1) * QTransform::fromTranslate(x, baseline);
        cell.glyphs.append({glyphs.at(i), place, squeeze == 1.0});
        x += advances.at(i).x() * squeeze;
    }
    return cell;
}

const VerticalShaper::Cell &VerticalShaper::cell(const QString &text) {
    if (const auto known = m_cells.constFind(text); known != m_cells.constEnd())
        return *known;
    if (isAcrossCell(text))
        return *m_cells.insert(text, across(text));
    Cell made;
    for (const Shaped &s : shape(text)) {
        made.advance += s.advance;
        const QRectF vertical = m_font.boundingRect(s.glyph).translated(s.origin);
        if (s.glyph == s.nominal || s.nominal == 0) {
            made.glyphs.append(
                {s.glyph, QTransform::fromTranslate(s.origin.x(), s.origin.y()), true});
            continue;
        }
        // The normal glyph, turned or moved so its ink lies where the
        // vertical form's would.
        const QRectF normal = m_font.boundingRect(s.nominal);
        QTransform place = QTransform::fromTranslate(-normal.center().x(), -normal.center().y());
        const bool turn = turned(normal, vertical);
        if (turn)
            place *= QTransform().rotate(90);
        place *= QTransform::fromTranslate(vertical.center().x(), vertical.center().y());
        made.glyphs.append({s.nominal, place, !turn});
    }
    return *m_cells.insert(text, made);
}

VerticalShaper::Glyph VerticalShaper::fontVerticalGlyph(const QString &character) {
    const QList<Shaped> shaped = shape(character);
    if (shaped.isEmpty())
        return {0, {}, true};
    const Shaped &s = shaped.first();
    return {s.glyph, QTransform::fromTranslate(s.origin.x(), s.origin.y()), true};
}

} // namespace nvl
