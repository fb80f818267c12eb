#include "printpositionwindow.h"

#include "postcardlayout.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace nvl {

namespace {

// A small picture of a postcard with its postal-code boxes.
QPixmap cardPicture() {
    QPixmap picture(60, 88);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QColor(0x88, 0x88, 0x88));
    painter.drawRect(0, 0, 59, 87);
    painter.setPen(QColor(0xd2, 0x22, 0x22));
    for (int i = 0; i < 7; ++i)
        painter.drawRect(26 + i * 4 + (i > 2 ? 1 : 0), 7, 3, 5);
    painter.setPen(QColor(0x44, 0x44, 0x44));
    for (int line = 0; line < 4; ++line)
        painter.drawLine(10, 24 + line * 6, 44 - line * 4, 24 + line * 6);
    return picture;
}

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, QRect geometry) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

} // namespace

PrintPositionWindow::PrintPositionWindow(AppContext &context)
    : FormWindow(context, WindowId::PrintPosition) {
    setObjectName(QStringLiteral("frmPriloc"));
    setWindowTitle(tr("印字位置調整"));
    setFixedSize(470, 250);
}

void PrintPositionWindow::buildControls(QWidget *content) {
    // Placed by coordinates: the card picture's position is the setting.
    content->setFixedSize(470, 250);
    auto *area = new QFrame(content);
    area->setGeometry(20, 20, 170, 200);
    area->setFrameShape(QFrame::StyledPanel);
    auto *image = new QLabel(content);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(cardPicture());
    image->resize(60, 88);

    m_card = image;

    addLabel(content, "Label1", tr("X 位置（横）"), {210, 20, 110, 24});
    m_xScale = addLabel(content, "lblXscale", QString(), {320, 20, 40, 24});
    addLabel(content, "Label3", tr("mm"), {364, 20, 30, 24});
    QPushButton *left = addCommandButton(content, "Command1", tr("＜"));
    left->setGeometry({210, 46, 40, 28});
    QPushButton *right = addCommandButton(content, "Command2", tr("＞"));
    right->setGeometry({254, 46, 40, 28});

    addLabel(content, "Label2", tr("Ｙ位置（縦）"), {210, 84, 110, 24});
    m_yScale = addLabel(content, "lblYscale", QString(), {320, 84, 40, 24});
    addLabel(content, "Label4", tr("mm"), {364, 84, 30, 24});
    QPushButton *up = addCommandButton(content, "Command4", tr("∧"));
    up->setGeometry({210, 110, 40, 28});
    QPushButton *down = addCommandButton(content, "Command3", tr("∨"));
    down->setGeometry({254, 110, 40, 28});

    addLabel(content, "Label5", tr("２段目の印字位置"), {210, 148, 110, 24});
    m_secondRowScale = addLabel(content, "lblY2scale", QString(), {320, 148, 40, 24});
    addLabel(content, "Label7", tr("mm"), {364, 148, 30, 24});
    QPushButton *closer = addCommandButton(content, "Command6", tr("つめる"));
    closer->setGeometry({210, 174, 70, 28});
    QPushButton *apart = addCommandButton(content, "Command7", tr("はなす"));
    apart->setGeometry({284, 174, 70, 28});
    for (QLabel *scale : {m_xScale, m_yScale, m_secondRowScale})
        scale->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    QPushButton *ok = addCommandButton(content, "Command5", tr("OK"));
    ok->setGeometry({380, 206, 70, 30});

    const auto onClick = [this](QAbstractButton *button, auto handler) {
        onCommand(button, &QAbstractButton::clicked, handler);
    };
    onClick(left, [this] { stepX(-1); });
    onClick(right, [this] { stepX(1); });
    onClick(up, [this] { stepY(-1); });
    onClick(down, [this] { stepY(1); });
    onClick(closer, [this] { stepSecondRow(-1); });
    onClick(apart, [this] { stepSecondRow(1); });
    onClick(ok, [this] { accept(); });
}

QString PrintPositionWindow::optionsPath() const {
    return m_ctx.platform.programFile(QStringLiteral("Nuvel.opt"));
}

void PrintPositionWindow::placeCard() {
    // The picture stands where the settings say, in twips from the window's corner.
    const double x = leadingNumber(m_offsets.x);
    const double y = leadingNumber(m_offsets.y);
    m_card->move(qRound(x / TwipsPerPixel), qRound(y / TwipsPerPixel));
}

void PrintPositionWindow::afterLoad() {
    centreOnScreen();
    QString problem;
    m_offsets =
        readOffsetFile(m_ctx.platform.settingsFileToRead(QStringLiteral("Nuvel.opt")), &problem);
    if (!problem.isEmpty())
        m_ctx.platform.messages.show(problem);
    placeCard();
    m_xScale->setText(m_offsets.xSteps());
    m_yScale->setText(m_offsets.ySteps());
    m_secondRowScale->setText(shortestDecimal(leadingNumber(m_offsets.secondRow)));
}

void PrintPositionWindow::stepX(int direction) {
    double x = leadingNumber(m_offsets.x);
    if ((direction < 0 && x <= MinX) || (direction > 0 && x >= MaxX))
        return;
    x += 20 * direction;
    m_offsets.x = shortestDecimal(x);
    placeCard();
    m_xScale->setText(m_offsets.xSteps());
}

void PrintPositionWindow::stepY(int direction) {
    double y = leadingNumber(m_offsets.y);
    if ((direction < 0 && y <= MinY) || (direction > 0 && y >= MaxY))
        return;
    y += 20 * direction;
    m_offsets.y = shortestDecimal(y);
    placeCard();
    m_yScale->setText(m_offsets.ySteps());
}

void PrintPositionWindow::stepSecondRow(int direction) {
    double v = leadingNumber(m_offsets.secondRow);
    if ((direction < 0 && v < MinSecondRow + 1) || (direction > 0 && v > MaxSecondRow - 1))
        return;
    v += direction;
    m_offsets.secondRow = shortestDecimal(v);
    m_secondRowScale->setText(m_offsets.secondRow);
}

void PrintPositionWindow::accept() {
    const WriteResult written = writeOffsetFile(optionsPath(), m_offsets);
    if (!written) {
        // The settings stay on screen, to try again.
        m_ctx.platform.messages.show(written.error);
        return;
    }
    emit offsetsChosen(m_offsets.steps());
    unloadForm();
}

} // namespace nvl
