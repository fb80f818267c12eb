#include "paintersurface.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainterPath>

namespace nvl {

PainterSurface::PainterSurface(QPagedPaintDevice *device, QPointF origin)
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
    return m_metrics->horizontalAdvance(text);
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

void PainterSurface::printText(const QString &text) {
    applyFont();
    if (!text.isEmpty())
        m_painter.drawText(QPointF(m_x, m_y + m_ascent), text);
}

void PainterSurface::newPage() {
    m_device->newPage();
}

bool PainterSurface::endDocument() {
    return m_painter.isActive() && m_painter.end();
}

int PainterSurface::fontCount() const {
    return static_cast<int>(QFontDatabase::families().size());
}

QString PainterSurface::fontName(int index) const {
    return QFontDatabase::families().value(index);
}

} // namespace nvl
