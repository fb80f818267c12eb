#include "postcardpreview.h"

#include "fonts.h"
#include "paintersurface.h"
#include "postcardpaper.h"
#include "printoutput.h"

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
        const QRect box(px(boxLeftMm(i)), px(boxTopMm()), px(BoxWidthMm), px(BoxHeightMm));
        auto *shape = m_boxes.at(i) = new QFrame(this);
        shape->setObjectName(QStringLiteral("Shape2(%1)").arg(i));
        shape->setGeometry(box);
        shape->setStyleSheet(QStringLiteral("border: 1px solid #d22; background: transparent;"));
        auto *digit = new QLabel(this);
        digit->setObjectName(QStringLiteral("lblZipb(%1)").arg(i));
        digit->setGeometry(box);
        digit->setAlignment(Qt::AlignCenter);
        digit->setFont(QFont(MinchoFontName, 12));
        m_digits.at(i) = digit;
    }

    // Positions of the layout's top-left cell, in twips; preview sizes.
    m_address1 = addLine("lblAdd1", 1500, 2850, 11.25);
    m_address2 = addLine("lblAdd2", 1500, 3150, 11.25);
    m_address3 = addLine("lblAdd3", 1700, 3450, 11.25);
    m_name = addLine("lblName", 2300, 3800, 12);
    m_code = addLine("lblCode", 2500, 4200, 11.25);
    m_senderPostalCode = addLine("lblTxZp", 1700, 5900, 9);
    m_senderAddress1 = addLine("lblTxAd1", 1700, 6150, 9);
    m_senderAddress2 = addLine("lblTxAd2", 1700, 6400, 9);
    m_senderName = addLine("lblTxNm", 1800, 6700, 9);
    // On a real card the lines stand where the postcard print puts them.
    const std::pair<QLabel *, postcard::LinePlace> onCard[] = {
        {m_address1, postcard::Address1},
        {m_address2, postcard::Address2},
        {m_address3, postcard::Address3},
        {m_name, postcard::NameLine},
        {m_code, postcard::CodeLine},
        {m_senderPostalCode, postcard::SenderZip},
        {m_senderAddress1, postcard::SenderAdd1},
        {m_senderAddress2, postcard::SenderAdd2},
        {m_senderName, postcard::SenderName}};
    for (const auto &[label, place] : onCard)
        m_lines.append({label, label->pos(), QPoint(px(place.xMm), px(place.yMm))});
}

void PostcardPreview::setRealPostcard(bool real) {
    m_real = real;
    placeBoxes(real);
    for (const Line &line : std::as_const(m_lines))
        line.label->move(real ? line.card : line.sheet);
    update();
}

void PostcardPreview::setVertical(bool vertical, VerticalNumbers numbers) {
    m_vertical = vertical;
    m_numbers = numbers;
    showLines();
}

// Vertical lines are painted, not labels: the labels are hidden, and what
// they would say is the card's description for screen readers.
void PostcardPreview::showLines() {
    QStringList said;
    for (const Line &line : std::as_const(m_lines)) {
        line.label->setVisible(!m_vertical);
        if (!line.label->text().isEmpty())
            said.append(line.label->text());
    }
    setAccessibleDescription(m_vertical ? said.join(u'\n') : QString());
    update();
}

void PostcardPreview::placeBoxes(bool real) {
    for (int i = 0; i < 7; ++i) {
        const double left = real ? postcard::BoxLeftMm.at(i) : boxLeftMm(i);
        const double top = real ? postcard::BoxTopMm : boxTopMm();
        const QRect box(px(left), px(top), px(BoxWidthMm), px(BoxHeightMm));
        m_boxes.at(i)->setGeometry(box);
        m_digits.at(i)->setGeometry(box);
    }
}

void PostcardPreview::setRecipient(const QString &nameLine, const QString &address1,
                                   const QString &address2, const QString &address3,
                                   const QString &code) {
    m_name->setText(nameLine);
    m_address1->setText(address1);
    m_address2->setText(address2);
    m_address3->setText(address3);
    m_code->setText(code);
    m_cardText = {address1, address2, address3, nameLine, code};
    showLines();
}

void PostcardPreview::setPostalBoxes(const std::array<QString, 7> &digits,
                                     const QString &fontFamily) {
    for (size_t i = 0; i < digits.size(); ++i) {
        m_digits.at(i)->setText(digits.at(i));
        QFont font = m_digits.at(i)->font();
        font.setFamily(fontFamily);
        m_digits.at(i)->setFont(font);
    }
}

void PostcardPreview::setSender(const SenderEntry &sender) {
    m_senderPostalCode->setText(sender.postalCode);
    m_senderAddress1->setText(sender.address1);
    m_senderAddress2->setText(sender.address2);
    m_senderName->setText(sender.name);
    m_senderText = {sender.postalCode, sender.address1, sender.address2, sender.name};
    showLines();
}

void PostcardPreview::setTextFont(const QString &family) {
    m_textFamily = family;
    update();
    for (QLabel *line : {m_address1, m_address2, m_address3, m_name, m_code, m_senderPostalCode,
                         m_senderAddress1, m_senderAddress2, m_senderName}) {
        QFont font = line->font();
        font.setFamily(family);
        line->setFont(font);
    }
}

double PostcardPreview::boxLeftMm(int box) {
    return SheetBoxLeftMm[box] - PageOrigin.x() / TwipsPerMm;
}

double PostcardPreview::boxTopMm() {
    return SheetBoxTopMm - PageOrigin.y() / TwipsPerMm;
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
    painter.end();
    if (!m_vertical)
        return;
    // The card's corner in the layout's twips: on the A4 sheets the lines
    // are placed from the layout's origin, as the boxes are.
    const QPointF corner = m_real ? QPointF() : SheetCardCorner;
    PainterSurface surface(this);
    if (!surface.begin())
        return;
    const QString family = m_textFamily.isEmpty() ? MinchoFontName : m_textFamily;
    drawVerticalCard(surface, family, corner, m_numbers, m_cardText, &m_senderText);
    surface.endDocument();
}

} // namespace nvl
