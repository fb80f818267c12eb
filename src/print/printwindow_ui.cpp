// The controls of the print window and the wiring of their events.
#include "printwindow.h"

#include "fonts.h"
#include "postcardpreview.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace nvl {

namespace {

QRadioButton *addOption(QGroupBox *frame, const char *name, const QString &text) {
    auto *option = new QRadioButton(text, frame);
    option->setObjectName(QLatin1String(name));
    frame->layout()->addWidget(option);
    return option;
}

QLabel *addCaption(QWidget *parent, const char *name, const QString &text) {
    auto *caption = new QLabel(text, parent);
    caption->setObjectName(QLatin1String(name));
    return caption;
}

} // namespace

void PrintWindow::buildMenuAndToolbar(QWidget *content, QVBoxLayout *layout) {
    auto *bar = new QMenuBar(content);
    layout->setMenuBar(bar);
    QMenu *settings = bar->addMenu(QStringLiteral("設定"));
    settings->setObjectName(QStringLiteral("mnuSet"));
    settings->addAction(QStringLiteral("フォント指定"))->setObjectName(QStringLiteral("mnuFont"));
    settings->addAction(QStringLiteral("印字位置"))->setObjectName(QStringLiteral("mnuLocate"));

    auto *toolbar = new QToolBar(content);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    const struct {
        const char *name;
        const char *tip;
        const char *themeIcon;
        QStyle::StandardPixmap fallback;
    } tools[] = {
        {"Command6", "差出人編集", "contact-new", QStyle::SP_FileDialogInfoView},
        {"Command1", "フォント選択", "preferences-desktop-font", QStyle::SP_FileDialogListView},
        {"Command2", "印字位置設定", "transform-move", QStyle::SP_ArrowRight},
        {"Command3", "ヘルプ", "help-contents", QStyle::SP_MessageBoxQuestion},
    };
    for (const auto &tool : tools)
        toolbar->addWidget(addPictureButton(toolbar, tool.name, QString::fromUtf8(tool.tip),
                                            tool.themeIcon, tool.fallback));
    layout->addWidget(toolbar);
}

void PrintWindow::buildSettings(QWidget *content, QVBoxLayout *layout) {
    auto *row = new QHBoxLayout;
    auto *type = new QGroupBox(QStringLiteral("用紙"), content);
    type->setObjectName(QStringLiteral("fraType"));
    type->setLayout(new QHBoxLayout);
    addOption(type, "opt3", QStringLiteral("通常  1s4p"));
    addOption(type, "opt4", QStringLiteral("往復  1s2p"));
    row->addWidget(type);

    auto *font = new QGroupBox(QStringLiteral("〒：フォント"), content);
    font->setObjectName(QStringLiteral("fraFont"));
    font->setLayout(new QHBoxLayout);
    addOption(font, "Option1", QStringLiteral("ＭＳ明朝"));
    addOption(font, "Option2", QStringLiteral("OCR-B"));
    row->addWidget(font);
    row->addStretch();
    layout->addLayout(row);
}

void PrintWindow::buildPreview(QWidget *content, QVBoxLayout *layout) {
    auto *row = new QHBoxLayout;
    auto *captions = new QVBoxLayout;
    captions->addWidget(addCaption(content, "Label2", QStringLiteral("郵便番号")));
    captions->addWidget(addCaption(content, "Label3", QStringLiteral("受取人データ")));
    captions->addStretch();
    captions->addWidget(addCaption(content, "Label4", QStringLiteral("差出人データ")));

    auto *labels = new QHBoxLayout;
    labels->addWidget(
        addCommandButton(content, "cmdRew", QStringLiteral("＜"), QStringLiteral("戻る")));
    QLabel *position = addCaption(content, "lblPP", QString());
    position->setAlignment(Qt::AlignCenter);
    labels->addWidget(position);
    labels->addWidget(
        addCommandButton(content, "cmdFF", QStringLiteral("＞"), QStringLiteral("次のラベルへ")));
    captions->addLayout(labels);

    auto *senders = new QHBoxLayout;
    senders->addWidget(addCommandButton(content, "Command4", QStringLiteral("＜")));
    QLabel *sender = addCaption(content, "lbltx", QString());
    sender->setAlignment(Qt::AlignCenter);
    senders->addWidget(sender);
    senders->addWidget(addCommandButton(content, "Command5", QStringLiteral("＞")));
    captions->addLayout(senders);

    row->addLayout(captions);
    row->addWidget(new PostcardPreview(content));
    layout->addLayout(row);
}

void PrintWindow::buildCommands(QWidget *content, QVBoxLayout *layout) {
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(addCommandButton(content, "cmdPreview", QStringLiteral("印刷プレビュー")));
    row->addWidget(addCommandButton(content, "cmdPrint", QStringLiteral("印刷")));
    row->addWidget(addCommandButton(content, "cmdCancel", QStringLiteral("戻る")));
    row->addWidget(addCommandButton(content, "cmdExit", QStringLiteral("終了")));
    layout->addLayout(row);
}

void PrintWindow::buildForm(QWidget *content) {
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(8, 0, 8, 8);
    buildMenuAndToolbar(content, layout);
    buildSettings(content, layout);
    buildPreview(content, layout);
    buildCommands(content, layout);
    connectCommands();
}

void PrintWindow::connectCommands() {
    const auto onClick = [this](const char *name, auto handler) {
        connect(control<QAbstractButton>(name), &QAbstractButton::clicked, this, handler);
    };
    onClick("cmdFF", [this] { nextLabel(); });
    onClick("cmdRew", [this] { previousLabel(); });
    onClick("Command4", [this] {
        if (m_currentSender > 0) {
            --m_currentSender;
            GetTx();
            showSenderPosition();
        }
    });
    onClick("Command5", [this] {
        if (m_currentSender < 3) {
            ++m_currentSender;
            GetTx();
            showSenderPosition();
        }
    });
    onClick("Option1", [this] { setPostalFont(MinchoFontName); });
    onClick("Option2", [this] { setPostalFont(OcrFontName); });
    onClick("Command1", [this] { openWindow(WindowId::Font); });
    onClick("Command2", [this] { openWindow(WindowId::PrintPosition); });
    onClick("Command6", [this] { openWindow(WindowId::Sender); });
    onClick("Command3", [this] {
        m_ctx.platform.help.show(QStringLiteral("Nuvelk.hlp"), HelpCommand::Topic, 8);
    });
    connect(control<QAction>("mnuFont"), &QAction::triggered, this,
            [this] { openWindow(WindowId::Font); });
    connect(control<QAction>("mnuLocate"), &QAction::triggered, this,
            [this] { openWindow(WindowId::PrintPosition); });
    onClick("cmdPrint", [this] { runPrintJob(); });
    onClick("cmdPreview", [this] { showSheetPreview(); });
    onClick("cmdCancel", [this] { backToMain(); });
    onClick("cmdExit", [this] { exitProgram(); });

    // Windows this build does not have yet stay disabled.
    const std::pair<const char *, WindowId> targets[] = {
        {"Command1", WindowId::Font},
        {"Command2", WindowId::PrintPosition},
        {"Command6", WindowId::Sender},
    };
    for (const auto &[name, id] : targets)
        control<QWidget>(name)->setEnabled(m_ctx.windows.canCreate(id));
    control<QAction>("mnuFont")->setEnabled(m_ctx.windows.canCreate(WindowId::Font));
    control<QAction>("mnuLocate")->setEnabled(m_ctx.windows.canCreate(WindowId::PrintPosition));
}

} // namespace nvl
