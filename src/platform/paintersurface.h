#pragma once

#include "printersurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPointF>
#include <QStringList>
#include <memory>
#include <optional>

class QPaintDevice;

namespace nvl {
class VerticalShaper;
}

namespace nvl {

// Draws on a printer or a PDF writer with one unit of the painter equal to
// one twip. Fonts are sized in twips (points × 20) so no size is rounded to
// the device's resolution, and each line is placed by its top-left corner.
class PainterSurface : public PrinterSurface {
public:
    // `origin` is where twip (0, 0) lies, in twips from the painter's own
    // origin (the printable area on a printer, the page corner otherwise).
    // With no device it only answers the font list; a device that is not
    // paged (a widget) has one page.
    explicit PainterSurface(QPaintDevice *device = nullptr, QPointF origin = {});
    ~PainterSurface() override;

    bool begin();
    void setX(float twips) override { m_x = twips; }
    void setY(float twips) override { m_y = twips; }
    void setFontName(const QString &name) override;
    void setFontSize(double points) override;
    void printText(const QString &text) override;
    double advance(const QString &text) override;
    QRectF inkBounds(const QString &text) override;
    double verticalAdvance(const QString &text) override;
    void printVertical(const QString &text, double gap) override;
    void newPage() override;
    bool endDocument() override;
    // The painter, in twips from the origin, for what only this surface draws.
    QPainter &painter() { return m_painter; }
    // On a PDF: each vertical column between two marks (columnsAsText()
    // finds them), its text kept in drawing order, so a reader's search can
    // be given the column's text whole.
    void markColumns(bool mark) { m_markColumns = mark; }
    const QStringList &columnTexts() const { return m_columnTexts; }

    int fontCount() const override;
    QString fontName(int index) const override;

private:
    void columnMark(bool begin);
    void printColumn(const QString &text, double gap);

    QPaintDevice *m_device;
    QPointF m_origin;
    QPainter m_painter;
    bool m_markColumns = false;
    QStringList m_columnTexts;
    mutable QStringList m_families; // read once, on the first question
    QString m_fontName;
    double m_points = 10;
    bool m_fontDirty = true;
    float m_x = 0;
    float m_y = 0;
    double m_ascent = 0;
    std::optional<QFontMetricsF> m_metrics;
    QHash<QString, QRectF> m_inkCache;
    struct MadeFont {
        QFont font;
        QFontMetricsF metrics;
    };
    QHash<QString, MadeFont> m_fonts;
    // One shaper a family, at one size, scaled to each: a font's tables are
    // copied once, not once a size.
    QHash<QString, std::shared_ptr<VerticalShaper>> m_shapers;
    void applyFont();
    VerticalShaper &shaper();
    double verticalScale() const;
};

} // namespace nvl
