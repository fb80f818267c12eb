#include "postcardpreview.h"

#include "fonts.h"

#include <QLabel>
#include <QPainter>

namespace nvl {

namespace {

constexpr double TwipsPerMm = 1440.0 / 25.4;

} // namespace

PostcardPreview::PostcardPreview(QWidget *parent) : QFrame(parent) {
    setObjectName(QStringLiteral("picCard"));
    m_pxPerMm = logicalDpiX() / 25.4;
    setFixedSize(sizeHint());

    for (int i = 0; i < 7; ++i) {
        const QRect box(px(BoxLeftMm[i]), px(BoxTopMm), px(BoxWidthMm), px(BoxHeightMm));
        auto *shape = new QFrame(this);
        shape->setObjectName(QStringLiteral("Shape2(%1)").arg(i));
        shape->setGeometry(box);
        shape->setStyleSheet(QStringLiteral("border: 1px solid #d22; background: transparent;"));
        auto *digit = new QLabel(this);
        digit->setObjectName(QStringLiteral("lblZipb(%1)").arg(i));
        digit->setGeometry(box);
        digit->setAlignment(Qt::AlignCenter);
        digit->setFont(QFont(MinchoFontName, 12));
    }

    // Positions of the layout's top-left cell, in twips; preview sizes.
    addLine("lblAdd1", 1500, 2850, 11.25);
    addLine("lblAdd2", 1500, 3150, 11.25);
    addLine("lblAdd3", 1700, 3450, 11.25);
    addLine("lblName", 2300, 3800, 12);
    addLine("lblCode", 2500, 4200, 11.25);
    addLine("lblTxZp", 1700, 5900, 9);
    addLine("lblTxAd1", 1700, 6150, 9);
    addLine("lblTxAd2", 1700, 6400, 9);
    addLine("lblTxNm", 1800, 6700, 9);
}

int PostcardPreview::px(double mm) const {
    return qRound(mm * m_pxPerMm);
}

QSize PostcardPreview::sizeHint() const {
    return {px(CardWidthMm), px(CardHeightMm)};
}

QLabel *PostcardPreview::addLine(const char *name, double xTwips, double yTwips, double points) {
    auto *label = new QLabel(this);
    label->setObjectName(QLatin1String(name));
    label->setFont(QFont(MinchoFontName, -1));
    QFont font = label->font();
    font.setPointSizeF(points);
    label->setFont(font);
    const int x = px(xTwips / TwipsPerMm);
    const int y = px(yTwips / TwipsPerMm);
    label->setGeometry(x, y, width() - x - px(3), px(points * 25.4 / 72 * 1.6));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void PostcardPreview::paintEvent(QPaintEvent *event) {
    Q_UNUSED(event)
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(0x99, 0x99, 0x99));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace nvl
