#include "printpositionwindow.h"

#include "postcardlayout.h"

#include <QLabel>
#include <QLineEdit>
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
    setWindowTitle(QStringLiteral("印字位置調整"));
    setFixedSize(470, 250);
}

void PrintPositionWindow::buildForm(QWidget *content) {
    // Placed by coordinates: the card picture's position is the setting.
    content->setFixedSize(470, 250);
    auto *area = new QFrame(content);
    area->setGeometry(20, 20, 170, 200);
    area->setFrameShape(QFrame::StyledPanel);
    auto *image = new QLabel(content);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(cardPicture());
    image->resize(60, 88);

    addLabel(content, "Label1", QStringLiteral("X 位置（横）"), {210, 20, 110, 24});
    addLabel(content, "lblXscale", QString(), {320, 20, 40, 24})
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addLabel(content, "Label3", QStringLiteral("mm"), {364, 20, 30, 24});
    addCommandButton(content, "Command1", QStringLiteral("＜"))->setGeometry({210, 46, 40, 28});
    addCommandButton(content, "Command2", QStringLiteral("＞"))->setGeometry({254, 46, 40, 28});

    addLabel(content, "Label2", QStringLiteral("Ｙ位置（縦）"), {210, 84, 110, 24});
    addLabel(content, "lblYscale", QString(), {320, 84, 40, 24})
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addLabel(content, "Label4", QStringLiteral("mm"), {364, 84, 30, 24});
    addCommandButton(content, "Command4", QStringLiteral("∧"))->setGeometry({210, 110, 40, 28});
    addCommandButton(content, "Command3", QStringLiteral("∨"))->setGeometry({254, 110, 40, 28});

    addLabel(content, "Label5", QStringLiteral("２段目の印字位置"), {210, 148, 110, 24});
    addLabel(content, "lblY2scale", QString(), {320, 148, 40, 24})
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addLabel(content, "Label7", QStringLiteral("mm"), {364, 148, 30, 24});
    addCommandButton(content, "Command6", QStringLiteral("つめる"))
        ->setGeometry({210, 174, 70, 28});
    addCommandButton(content, "Command7", QStringLiteral("はなす"))
        ->setGeometry({284, 174, 70, 28});

    addCommandButton(content, "Command5", QStringLiteral("OK"))->setGeometry({380, 206, 70, 30});

    addHiddenTextBoxes(content, {"txtXpoint", "txtYpoint", "txtY2point"});

    const auto onClick = [this](const char *name, auto handler) {
        connect(control<QAbstractButton>(name), &QAbstractButton::clicked, this, handler);
    };
    onClick("Command1", [this] { stepX(-1); });
    onClick("Command2", [this] { stepX(1); });
    onClick("Command4", [this] { stepY(-1); });
    onClick("Command3", [this] { stepY(1); });
    onClick("Command6", [this] { stepSecondRow(-1); });
    onClick("Command7", [this] { stepSecondRow(1); });
    onClick("Command5", [this] { accept(); });
}

QLineEdit *PrintPositionWindow::text(const char *name) const {
    return control<QLineEdit>(name);
}

QLabel *PrintPositionWindow::label(const char *name) const {
    return control<QLabel>(name);
}

QString PrintPositionWindow::optionsPath() const {
    return m_ctx.platform.programFile(QStringLiteral("Nuvel.opt"));
}

void PrintPositionWindow::GetOpt() {
    m_offsets.x = text("txtXpoint")->text();
    m_offsets.y = text("txtYpoint")->text();
    m_offsets.secondRow = text("txtY2point")->text();
}

void PrintPositionWindow::SetOpt() {
    text("txtXpoint")->setText(m_offsets.x);
    text("txtYpoint")->setText(m_offsets.y);
    text("txtY2point")->setText(m_offsets.secondRow);
}

void PrintPositionWindow::placeCard() {
    // The picture stands where the settings say, in twips from the window's corner.
    const double x = leadingNumber(text("txtXpoint")->text());
    const double y = leadingNumber(text("txtYpoint")->text());
    control<QLabel>("Image1")->move(qRound(x / TwipsPerPixel), qRound(y / TwipsPerPixel));
}

void PrintPositionWindow::formLoad() {
    centreOnScreen();
    QString problem;
    m_offsets =
        ReadOffsetFile(m_ctx.platform.settingsFileToRead(QStringLiteral("Nuvel.opt")), &problem);
    if (!problem.isEmpty())
        m_ctx.platform.messages.show(problem);
    SetOpt();
    placeCard();
    label("lblXscale")->setText(m_offsets.xSteps());
    label("lblYscale")->setText(m_offsets.ySteps());
    label("lblY2scale")->setText(shortestDecimal(leadingNumber(m_offsets.secondRow)));
}

void PrintPositionWindow::stepX(int direction) {
    double x = leadingNumber(text("txtXpoint")->text());
    if ((direction < 0 && x <= MinX) || (direction > 0 && x >= MaxX))
        return;
    x += 20 * direction;
    text("txtXpoint")->setText(shortestDecimal(x));
    placeCard();
    label("lblXscale")->setText(OffsetRecord::xStepsOf(x));
}

void PrintPositionWindow::stepY(int direction) {
    double y = leadingNumber(text("txtYpoint")->text());
    if ((direction < 0 && y <= MinY) || (direction > 0 && y >= MaxY))
        return;
    y += 20 * direction;
    text("txtYpoint")->setText(shortestDecimal(y));
    placeCard();
    label("lblYscale")->setText(OffsetRecord::yStepsOf(y));
}

void PrintPositionWindow::stepSecondRow(int direction) {
    double v = leadingNumber(text("txtY2point")->text());
    if ((direction < 0 && v < MinSecondRow + 1) || (direction > 0 && v > MaxSecondRow - 1))
        return;
    v += direction;
    text("txtY2point")->setText(shortestDecimal(v));
    label("lblY2scale")->setText(shortestDecimal(v));
}

void PrintPositionWindow::accept() {
    GetOpt();
    const WriteResult written = WriteOffsetFile(optionsPath(), m_offsets);
    if (!written) {
        // The settings stay on screen, to try again.
        m_ctx.platform.messages.show(written.error);
        return;
    }
    emit offsetsChosen(label("lblXscale")->text(), label("lblYscale")->text(),
                       label("lblY2scale")->text());
    unloadForm();
}

} // namespace nvl
