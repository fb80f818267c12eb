#include "paintersurface.h"

#include "verticalshaper.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QRegularExpression>

namespace nvl {

PainterSurface::PainterSurface(QPaintDevice *device, QPointF origin)
    : m_device(device), m_origin(origin) {}

PainterSurface::~PainterSurface() {
    if (m_painter.isActive())
        m_painter.end();
}

bool PainterSurface::begin() {
    if (!m_device || !m_painter.begin(m_device))
        return false;
    const double scale = m_device->logicalDpiX() / 1440.0;
    m_painter.scale(scale, m_device->logicalDpiY() / 1440.0);
    m_painter.translate(m_origin);
    m_painter.setPen(Qt::black);
    return true;
}

void PainterSurface::setFontName(const QString &name) {
    if (name != m_fontName) {
        m_fontName = name;
        m_fontDirty = true;
    }
}

void PainterSurface::setFontSize(double points) {
    if (points != m_points) {
        m_points = points;
        m_fontDirty = true;
    }
}

void PainterSurface::applyFont() {
    if (!m_fontDirty)
        return;
    // The layouts switch between a few fonts on every card: each is made once.
    const QString key = m_fontName + u'\x1f' + QString::number(m_points);
    auto known = m_fonts.find(key);
    if (known == m_fonts.end()) {
        QFont font(m_fontName);
        // One painter unit is one twip: a point is 20 of them.
        font.setPixelSize(qRound(m_points * 20));
        known = m_fonts.insert(key, {font, QFontMetricsF(font, m_device)});
    }
    m_painter.setFont(known->font);
    m_metrics.emplace(known->metrics);
    m_ascent = m_metrics->ascent();
    m_fontDirty = false;
}

double PainterSurface::advance(const QString &text) {
    applyFont();
    return m_metrics ? m_metrics->horizontalAdvance(text) : 0.0;
}

QRectF PainterSurface::inkBounds(const QString &text) {
    applyFont();
    // The glyphs' outlines, placed as printText places them; the same few
    // digits are asked for on every card.
    const QString key = m_fontName + u'\x1f' + QString::number(m_points) + u'\x1f' + text;
    if (const auto known = m_inkCache.constFind(key); known != m_inkCache.constEnd())
        return *known;
    QPainterPath outline;
    outline.addText(QPointF(0, m_ascent), m_painter.font(), text);
    return *m_inkCache.insert(key, outline.boundingRect());
}

namespace {

// The size vertical text is shaped at, in pixels an em.
constexpr int ShapedEm = 1000;

} // namespace

VerticalShaper &PainterSurface::shaper() {
    auto known = m_shapers.find(m_fontName);
    if (known == m_shapers.end()) {
        QFont font(m_fontName);
        font.setPixelSize(ShapedEm);
        known = m_shapers.insert(m_fontName, std::make_shared<VerticalShaper>(QRawFont::fromFont(
                                                 font, QFontDatabase::Japanese)));
    }
    return **known;
}

double PainterSurface::verticalScale() const {
    return m_points * 20 / ShapedEm;
}

double PainterSurface::verticalAdvance(const QString &text) {
    VerticalShaper &vertical = shaper();
    double length = 0;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype cell = verticalCellLength(text, at);
        length += vertical.advance(QStringView(text).mid(at, cell));
        at += cell;
    }
    return length * verticalScale();
}

void PainterSurface::columnMark(bool begin) {
    // A dot off the page in a colour no card uses: red 0x4E or 0x4F, the
    // column's number in green and blue. Found again in the PDF's content.
    const auto index = static_cast<int>(m_columnTexts.size() - 1);
    m_painter.save();
    m_painter.resetTransform();
    m_painter.fillRect(QRectF(-100, -100, 1, 1),
                       QColor(begin ? 0x4E : 0x4F, (index >> 8) & 0xFF, index & 0xFF));
    m_painter.restore();
}

void PainterSurface::printVertical(const QString &text, double gap) {
    if (m_markColumns) {
        m_columnTexts.append(text);
        columnMark(true);
    }
    printColumn(text, gap);
    if (m_markColumns) {
        columnMark(false);
    }
}

void PainterSurface::printColumn(const QString &text, double gap) {
    VerticalShaper &vertical = shaper();
    const QRawFont &font = vertical.rawFont();
    const double scale = verticalScale();
    m_painter.save();
    m_painter.translate(m_x, m_y);
    m_painter.scale(scale, scale);
    // A preview records its pages as pictures, which keep a glyph run as
    // its outlines but a text as its characters: there each glyph goes as
    // its character, in the font the shaper reads.
    const QPaintEngine *engine = m_painter.paintEngine();
    const bool recording = engine && engine->type() == QPaintEngine::Picture;
    if (recording) {
        QFont characters(m_fontName);
        characters.setPixelSize(qRound(font.pixelSize()));
        m_painter.setFont(characters);
    }
    // Upright glyphs go out in runs, turned or squeezed ones one by one, all
    // in reading order: a PDF's text is read back in the order it was drawn.
    QList<quint32> indexes;
    QList<QPointF> positions;
    const auto flush = [&] {
        if (indexes.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        m_painter.drawGlyphRun(QPointF(), run);
        indexes.clear();
        positions.clear();
    };
    double y = 0;
    // Into a PDF, the column begins and ends with an upright blank glyph:
    // a reader places the column's text from its first and last glyphs,
    // which must be drawn as the rest of the column is.
    const QList<quint32> blank = font.glyphIndexesForString(QStringLiteral(" "));
    const auto drawBlank = [&](double at) {
        if (!m_markColumns || blank.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes({blank.first()});
        run.setPositions({QPointF(0, at)});
        m_painter.drawGlyphRun(QPointF(), run);
    };
    drawBlank(0);
    for (const QString &piece : verticalCells(text)) {
        const VerticalShaper::Cell &cell = vertical.cell(piece);
        for (const VerticalShaper::Glyph &glyph : cell.glyphs) {
            const QPointF at(glyph.place.dx(), y + glyph.place.dy());
            if (glyph.upright && recording) {
                m_painter.drawText(at, glyph.text);
                continue;
            }
            if (glyph.upright) {
                indexes.append(glyph.index);
                positions.append(at);
                continue;
            }
            flush();
            m_painter.save();
            m_painter.translate(0, y);
            m_painter.setTransform(glyph.place, true);
            if (recording) {
                m_painter.drawText(QPointF(), glyph.text);
            } else {
                QGlyphRun one;
                one.setRawFont(font);
                one.setGlyphIndexes({glyph.index});
                one.setPositions({QPointF()});
                m_painter.drawGlyphRun(QPointF(), one);
            }
            m_painter.restore();
        }
        y += cell.advance + gap / scale;
    }
    flush();
    drawBlank(y);
    m_painter.restore();
}

void PainterSurface::printText(const QString &text) {
    applyFont();
    if (!text.isEmpty())
        m_painter.drawText(QPointF(m_x, m_y + m_ascent), text);
}

void PainterSurface::newPage() {
    if (auto *paged = dynamic_cast<QPagedPaintDevice *>(m_device))
        paged->newPage();
}

bool PainterSurface::endDocument() {
    return m_painter.isActive() && m_painter.end();
}

namespace {

QStringList installedFamilies() {
    // Qt names a family several foundries install once each ("C059 [urw]",
    // "C059 [UKWN]"); a user chooses the family, whichever foundry draws it.
    static const QRegularExpression foundry(QStringLiteral(R"(\s*\[[^\]]*\]$)"));
    QStringList families;
    for (QString family : QFontDatabase::families())
        families.append(family.remove(foundry));
    families.removeDuplicates();
    return families;
}

} // namespace

int PainterSurface::fontCount() const {
    if (m_families.isEmpty())
        m_families = installedFamilies();
    return static_cast<int>(m_families.size());
}

QString PainterSurface::fontName(int index) const {
    if (m_families.isEmpty())
        m_families = installedFamilies();
    return m_families.value(index);
}

} // namespace nvl
