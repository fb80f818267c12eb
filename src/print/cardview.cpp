#include "cardview.h"

#include "paintersurface.h"
#include "postcardpaper.h"
#include "printoutput.h"

#include <QPainter>

namespace nvl {

namespace {

// Draws as the print does, and notes each text with its size and place.
class NotingSurface : public PainterSurface {
public:
    NotingSurface(QPaintDevice *device, QList<CardView::Drawn> &drawn, QPointF corner)
        : PainterSurface(device), m_drawn(drawn), m_corner(corner) {}
    void setX(float twips) override {
        m_x = twips;
        PainterSurface::setX(twips);
    }
    void setY(float twips) override {
        m_y = twips;
        PainterSurface::setY(twips);
    }
    void setFontName(const QString &name) override {
        m_font = name;
        PainterSurface::setFontName(name);
    }
    void setFontSize(double points) override {
        m_points = points;
        PainterSurface::setFontSize(points);
    }
    void printText(const QString &text) override {
        note(text, false);
        PainterSurface::printText(text);
    }
    void printVertical(const QString &text, double gap) override {
        note(text, true);
        PainterSurface::printVertical(text, gap);
    }

private:
    void note(const QString &text, bool vertical) {
        if (!text.trimmed().isEmpty())
            m_drawn.append({text, m_font, m_points, QPointF(m_x, m_y) - m_corner, vertical});
    }
    QList<CardView::Drawn> &m_drawn;
    QPointF m_corner;
    QString m_font;
    double m_points = 0;
    float m_x = 0;
    float m_y = 0;
};

} // namespace

CardView::CardView(QWidget *parent) : QFrame(parent) {
    setObjectName(QStringLiteral("picCard"));
    setAccessibleName(tr("はがきの見本"));
    setFixedSize(sizeHint());
}

void CardView::fitHeight(int most) {
    const QSize natural = sizeHint();
    if (natural.height() <= most || most <= 0) {
        setFixedSize(natural);
        return;
    }
    setFixedSize(qRound(double(natural.width()) * most / natural.height()), most);
}

QSize CardView::sizeHint() const {
    const double pxPerMm = logicalDpiX() / 25.4;
    return {qRound(postcard::WidthMm * pxPerMm), qRound(postcard::HeightMm * pxPerMm)};
}

void CardView::showCard(const PrintJob &job, int n) {
    m_job = job;
    m_card = n;
    m_drawn.clear();
    update();
    // What the card says, for screen readers: its texts in drawing order.
    setAccessibleDescription(texts().join(u'\n'));
}

QStringList CardView::texts() {
    if (m_drawn.isEmpty())
        grab(); // paints the card once, noting what it draws
    QStringList shown;
    for (const Drawn &item : std::as_const(m_drawn))
        shown.append(item.text.trimmed());
    return shown;
}

const CardView::Drawn *CardView::find(const QString &text) {
    texts();
    for (const Drawn &item : std::as_const(m_drawn))
        if (item.text.trimmed() == text)
            return &item;
    return nullptr;
}

void CardView::paintEvent(QPaintEvent *event) {
    Q_UNUSED(event)
    m_drawn.clear();
    const QPointF corner = paperLayout(m_job.paper)->cardTwips(m_card).topLeft();
    NotingSurface surface(this, m_drawn, corner);
    if (!surface.begin())
        return;
    renderCard(m_job, m_card, surface, surface.painter(), QRectF(rect()));
    surface.endDocument();
    QPainter frame(this);
    frame.setPen(QColor(0x99, 0x99, 0x99));
    frame.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace nvl
