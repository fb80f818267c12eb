#include "fontwindow.h"

#include "crlabel.h"
#include "printersurface.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
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

void FontWindow::buildControls(QWidget *content) {
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(12, 12, 12, 12);
    m_list = new QListWidget(content);
    m_list->setObjectName(QStringLiteral("List1"));
    grid->addWidget(m_list, 0, 0, 5, 1);

    grid->addWidget(new QLabel(tr("選択フォント名："), content), 0, 1);
    m_nameLabel = new QLabel(content);
    m_nameLabel->setObjectName(QStringLiteral("lblNameF"));
    grid->addWidget(m_nameLabel, 0, 2, 1, 2);
    m_sample = new CrLabel(content);
    m_sample->setObjectName(QStringLiteral("lblDemo"));
    m_sample->setMinimumSize(260, 140);
    m_sample->setFrameShape(QFrame::StyledPanel);
    m_sample->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(m_sample, 1, 1, 1, 3);

    m_applyButton = addCommandButton(content, "cmdApl", tr("表示"));
    m_applyButton->setEnabled(false);
    grid->addWidget(m_applyButton, 2, 1);
    m_okButton = addCommandButton(content, "cmdOk", tr("OK"));
    m_okButton->setEnabled(false);
    grid->addWidget(m_okButton, 4, 1);
    QPushButton *cancel = addCommandButton(content, "Command2", tr("キャンセル"));
    grid->addWidget(cancel, 4, 2);
    QToolButton *help = addPictureButton(content, "Command1", tr("ヘルプ"), "help-contents",
                                         QStyle::SP_MessageBoxQuestion);
    grid->addWidget(help, 4, 3);

    m_fillTimer = new QTimer(content);
    m_fillTimer->setInterval(1);
    connect(m_fillTimer, &QTimer::timeout, this, [this] { fillFontList(); });

    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { chooseFont(item->text()); });
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { m_sample->clear(); });
    onCommand(m_applyButton, &QAbstractButton::clicked, [this] { showSample(); });
    onCommand(m_okButton, &QAbstractButton::clicked, [this] { accept(); });
    onCommand(cancel, &QAbstractButton::clicked, [this] { unloadForm(); });
    connect(help, &QAbstractButton::clicked, this, [this] {
        m_ctx.platform.help.show(QStringLiteral("Nuvelk.hlp"), HelpCommand::Topic, 9);
    });
}

void FontWindow::afterLoad() {
    centreOnScreen();
    m_chosenFont.clear();
    m_list->clear();
    m_nameLabel->clear();
    m_sample->clear();
    m_sample->setFont(QFont());
    m_applyButton->setEnabled(false);
    m_okButton->setEnabled(false);
    setWindowTitle(tr("読込み中…"));
    // The list fills once the window is on screen.
    m_fillTimer->start();
}

void FontWindow::fillFontList() {
    if (!m_fillTimer || !m_fillTimer->isActive())
        return;
    m_fillTimer->stop();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PrinterSurface &printer = m_ctx.platform.printer;
    const int count = printer.fontCount();
    for (int i = 0; i < count; ++i) {
        const QString name = printer.fontName(i);
        // "@" names are the vertical-writing forms of fonts.
        if (!name.startsWith(u'@'))
            m_list->addItem(name);
        setWindowTitle(QString::number(i) + tr("行読込み中…"));
    }
    setWindowTitle(QStringLiteral("Font"));
    m_okButton->setEnabled(true);
    QApplication::restoreOverrideCursor();
}

void FontWindow::chooseFont(const QString &name) {
    m_chosenFont = name;
    m_nameLabel->setText(name);
    if (!m_applyButton->isEnabled())
        m_applyButton->setEnabled(true);
    else
        m_sample->clear();
}

void FontWindow::showSample() {
    m_sample->setText(Sample);
    QFont font = m_sample->font();
    font.setFamily(m_chosenFont);
    m_sample->setFont(font);
}

void FontWindow::accept() {
    if (m_chosenFont.isEmpty()) {
        m_ctx.platform.messages.show(tr("フォントが選択されていません。"));
        return;
    }
    emit fontChosen(m_chosenFont);
    unloadForm();
}

} // namespace nvl
