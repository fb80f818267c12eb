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

// Where a glyph's vertical origin lies from its horizontal one: half its
// advance across, and its top side bearing above the top of its ink.
hb_bool_t verticalOrigin(hb_font_t *font, void *shaper, hb_codepoint_t glyph, hb_position_t *x,
                         hb_position_t *y, void *) {
    const auto *self = static_cast<const VerticalShaper *>(shaper);
    *x = hb_font_get_glyph_h_advance(font, glyph) / 2;
    const QRectF ink = self->rawFont().boundingRect(glyph);
    const double top = ink.isEmpty() ? 0.0 : -ink.top();
    *y = static_cast<hb_position_t>(
        std::lround((top + self->topSideBearing(glyph)) * HbUnitsPerPixel));
    return true;
}

} // namespace

VerticalShaper::VerticalShaper(const QRawFont &font)
    : m_font(font), m_em(font.pixelSize()), m_vmtx(font.fontTable("vmtx")) {
    const QByteArray vhea = font.fontTable("vhea");
    if (vhea.size() >= 36)
        m_longMetrics = (static_cast<uchar>(vhea.at(34)) << 8) | static_cast<uchar>(vhea.at(35));
    m_face = hb_face_create_for_tables(fontTable, &m_font, nullptr);
    hb_face_set_upem(m_face, static_cast<unsigned>(std::lround(m_font.unitsPerEm())));
    hb_font_t *parent = hb_font_create(m_face);
    const int scale = static_cast<int>(std::lround(m_em * HbUnitsPerPixel));
    hb_font_set_scale(parent, scale, scale);
    // HarfBuzz finds a TrueType glyph's vertical origin from its outline,
    // which would copy the whole outline table (megabytes) out of the font;
    // Qt already knows the outline's top.
    m_hbFont = hb_font_create_sub_font(parent);
    hb_font_destroy(parent);
    if (m_longMetrics > 0) {
        hb_font_funcs_t *funcs = hb_font_funcs_create();
        hb_font_funcs_set_glyph_v_origin_func(funcs, verticalOrigin, nullptr, nullptr);
        hb_font_funcs_make_immutable(funcs);
        hb_font_set_funcs(m_hbFont, funcs, this, nullptr);
        hb_font_funcs_destroy(funcs);
    }
}

VerticalShaper::~VerticalShaper() {
    hb_font_destroy(m_hbFont);
    hb_face_destroy(m_face);
}

double VerticalShaper::topSideBearing(quint32 glyph) const {
    // vmtx: (advance, bearing) pairs for the first glyphs, then bearings.
    const qsizetype at =
        glyph < quint32(m_longMetrics)
            ? qsizetype(glyph) * 4 + 2
            : qsizetype(m_longMetrics) * 4 + (qsizetype(glyph) - m_longMetrics) * 2;
    if (at < 0 || at + 2 > m_vmtx.size())
        return 0;
    const auto units = static_cast<qint16>((static_cast<uchar>(m_vmtx.at(at)) << 8) |
                                           static_cast<uchar>(m_vmtx.at(at + 1)));
    return units * m_em / m_font.unitsPerEm();
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
        const QString character = QString::fromUcs4(&code, 1);
        hb_codepoint_t nominal = 0;
        hb_font_get_nominal_glyph(m_hbFont, code, &nominal);
        // HarfBuzz counts y upwards from the top of the column.
        const QPointF origin(position[i].x_offset / double(HbUnitsPerPixel),
                             penY - position[i].y_offset / double(HbUnitsPerPixel));
        const double advance = -position[i].y_advance / double(HbUnitsPerPixel);
        shaped.append({info[i].codepoint, origin, advance, nominal, character});
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
        cell.glyphs.append({glyphs.at(i), place, squeeze == 1.0, text.mid(i, 1)});
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
                {s.glyph, QTransform::fromTranslate(s.origin.x(), s.origin.y()), true, s.text});
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
        made.glyphs.append({s.nominal, place, !turn, s.text});
    }
    return *m_cells.insert(text, made);
}

double VerticalShaper::advance(QStringView text) {
    if (text.size() != 1)
        return cell(text.toString()).advance;
    const char16_t unit = text.at(0).unicode();
    if (const auto known = m_advances.constFind(unit); known != m_advances.constEnd())
        return *known;
    const double made = cell(text.toString()).advance;
    m_advances.insert(unit, made);
    return made;
}

VerticalShaper::Glyph VerticalShaper::fontVerticalGlyph(const QString &character) {
    const QList<Shaped> shaped = shape(character);
    if (shaped.isEmpty())
        return {0, {}, true, {}};
    const Shaped &s = shaped.first();
    return {s.glyph, QTransform::fromTranslate(s.origin.x(), s.origin.y()), true, s.text};
}

} // namespace nvl
