#include "fontwindow.h"

#include "crlabel.h"
#include "printersurface.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace nvl {

FontWindow::FontWindow(AppContext &context) : FormWindow(context, WindowId::Font) {
    setObjectName(QStringLiteral("frmFont"));
    resize(520, 360);
}

QLabel *FontWindow::label(const char *name) const {
    return control<QLabel>(name);
}

void FontWindow::buildForm(QWidget *content) {
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(12, 12, 12, 12);
    auto *list = new QListWidget(content);
    list->setObjectName(QStringLiteral("List1"));
    grid->addWidget(list, 0, 0, 5, 1);

    auto *caption = new QLabel(QStringLiteral("選択フォント名："), content);
    caption->setObjectName(QStringLiteral("Label1"));
    grid->addWidget(caption, 0, 1);
    auto *name = new QLabel(content);
    name->setObjectName(QStringLiteral("lblNameF"));
    grid->addWidget(name, 0, 2, 1, 2);
    auto *demo = new CrLabel(content);
    demo->setObjectName(QStringLiteral("lblDemo"));
    demo->setMinimumSize(260, 140);
    demo->setFrameShape(QFrame::StyledPanel);
    demo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(demo, 1, 1, 1, 3);

    QPushButton *apply = addCommandButton(content, "cmdApl", QStringLiteral("表示"));
    apply->setEnabled(false);
    grid->addWidget(apply, 2, 1);
    QPushButton *ok = addCommandButton(content, "cmdOk", QStringLiteral("OK"));
    ok->setEnabled(false);
    grid->addWidget(ok, 4, 1);
    grid->addWidget(addCommandButton(content, "Command2", QStringLiteral("キャンセル")), 4, 2);
    grid->addWidget(addPictureButton(content, "Command1", QStringLiteral("ヘルプ"), "help-contents",
                                     QStyle::SP_MessageBoxQuestion),
                    4, 3);

    auto *timer = new QTimer(content);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setInterval(1);
    connect(timer, &QTimer::timeout, this, [this] { SetFont(); });

    connect(list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { chooseFont(item->text()); });
    connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { label("lblDemo")->clear(); });
    connect(apply, &QAbstractButton::clicked, this, [this] { showSample(); });
    connect(ok, &QAbstractButton::clicked, this, [this] { accept(); });
    connect(control<QAbstractButton>("Command2"), &QAbstractButton::clicked, this,
            [this] { unloadForm(); });
    connect(control<QAbstractButton>("Command1"), &QAbstractButton::clicked, this, [this] {
        m_ctx.platform.help.show(QStringLiteral("Nuvelk.hlp"), HelpCommand::Topic, 9);
    });
}

void FontWindow::formLoad() {
    centreOnScreen();
    setWindowTitle(QStringLiteral("読込み中…"));
    // The list fills once the window is on screen.
    control<QTimer>("Timer1")->start();
}

void FontWindow::SetFont() {
    auto *timer = control<QTimer>("Timer1");
    if (!timer || !timer->isActive())
        return;
    timer->stop();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto *list = control<QListWidget>("List1");
    const PrinterSurface &printer = m_ctx.platform.printer;
    const int count = printer.fontCount();
    for (int i = 0; i < count; ++i) {
        const QString name = printer.fontName(i);
        // "@" names are the vertical-writing forms of fonts.
        if (!name.startsWith(u'@'))
            list->addItem(name);
        setWindowTitle(QString::number(i) + QStringLiteral("行読込み中…"));
    }
    setWindowTitle(QStringLiteral("Font"));
    control<QWidget>("cmdOk")->setEnabled(true);
    QApplication::restoreOverrideCursor();
}

void FontWindow::chooseFont(const QString &name) {
    label("lblNameF")->setText(name);
    QWidget *apply = control<QWidget>("cmdApl");
    if (!apply->isEnabled())
        apply->setEnabled(true);
    else
        label("lblDemo")->clear();
}

void FontWindow::showSample() {
    QLabel *demo = label("lblDemo");
    demo->setText(Sample);
    QFont font = demo->font();
    font.setFamily(label("lblNameF")->text());
    demo->setFont(font);
}

void FontWindow::accept() {
    const QString name = label("lblNameF")->text();
    if (name.isEmpty()) {
        m_ctx.platform.messages.show(QStringLiteral("フォントが選択されていません。"));
        return;
    }
    emit fontChosen(name);
    unloadForm();
}

} // namespace nvl
