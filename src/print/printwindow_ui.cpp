// The controls of the print window and the wiring of their events.
#include "printwindow.h"

#include "fonts.h"
#include "paperchoice.h"
#include "printwindow_ui.h"

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

} // namespace

void PrintWindow::buildMenuAndToolbar(QWidget *content, QVBoxLayout *layout) {
    auto *bar = new QMenuBar(content);
    layout->setMenuBar(bar);
    QMenu *settings = bar->addMenu(tr("設定"));
    settings->setObjectName(QStringLiteral("mnuSet"));
    m_ui->fontAction = settings->addAction(tr("フォント指定"));
    m_ui->fontAction->setObjectName(QStringLiteral("mnuFont"));
    m_ui->positionAction = settings->addAction(tr("印字位置"));
    m_ui->positionAction->setObjectName(QStringLiteral("mnuLocate"));

    auto *toolbar = new QToolBar(content);
    const auto tool = [toolbar](const char *name, const QString &tip, const char *themeIcon,
                                QStyle::StandardPixmap fallback) {
        QToolButton *button = addPictureButton(toolbar, name, tip, themeIcon, fallback);
        toolbar->addWidget(button);
        return button;
    };
    m_ui->senderButton =
        tool("Command6", tr("差出人編集"), "contact-new", QStyle::SP_FileDialogInfoView);
    m_ui->fontButton = tool("Command1", tr("フォント選択"), "preferences-desktop-font",
                            QStyle::SP_FileDialogListView);
    m_ui->positionButton =
        tool("Command2", tr("印字位置設定"), "transform-move", QStyle::SP_ArrowRight);
    m_ui->helpButton =
        tool("Command3", tr("ヘルプ"), "help-contents", QStyle::SP_MessageBoxQuestion);
    layout->addWidget(toolbar);
}

void PrintWindow::buildSettings(QWidget *content, QVBoxLayout *layout) {
    auto *row = new QHBoxLayout;
    auto *type = new QGroupBox(tr("面付け"), content);
    m_ui->sheetType = type;
    type->setLayout(new QHBoxLayout);
    m_ui->fourUpSheet = addOption(type, "opt3", tr("通常  1s4p"));
    m_ui->returnCardSheet = addOption(type, "opt4", tr("往復  1s2p"));
    row->addWidget(type);

    auto *font = new QGroupBox(tr("〒：フォント"), content);
    font->setLayout(new QHBoxLayout);
    m_ui->minchoDigits = addOption(font, "Option1", tr("ＭＳ明朝"));
    m_ui->ocrDigits = addOption(font, "Option2", tr("OCR-B"));
    row->addWidget(font);

    auto *writing = new QGroupBox(tr("書き方"), content);
    writing->setLayout(new QHBoxLayout);
    m_ui->horizontal = addOption(writing, "optHorizontal", tr("横書き"));
    m_ui->vertical = addOption(writing, "optVertical", tr("縦書き"));
    m_ui->arabicNumerals = new QCheckBox(tr("算用数字（縦中横）"), writing);
    m_ui->arabicNumerals->setObjectName(QStringLiteral("chkArabic"));
    m_ui->arabicNumerals->setToolTip(
        tr("縦書きの住所の数字を漢数字にせず、2けたの数は横に並べます"));
    writing->layout()->addWidget(m_ui->arabicNumerals);
    row->addWidget(writing);
    row->addStretch();
    layout->addLayout(row);
    buildPaperChoice(content, layout);
}

void PrintWindow::buildPaperChoice(QWidget *content, QVBoxLayout *layout) {
    auto *row = new QHBoxLayout;
    auto *paper = new QGroupBox(tr("用紙"), content);
    paper->setLayout(new QHBoxLayout);
    m_ui->paperA4 = addOption(paper, "optPaperA4", tr("A4用紙"));
    m_ui->paperPostcard = addOption(paper, "optPaperHagaki", tr("はがき用紙"));
    m_ui->paperReturn = addOption(paper, "optPaperOfuku", tr("往復はがき用紙"));
    row->addWidget(paper);

    auto *face = new QGroupBox(tr("往復はがきの面"), content);
    face->setLayout(new QHBoxLayout);
    m_ui->faceOutgoing = addOption(face, "optFaceOut", tr("往信面"));
    m_ui->faceReply = addOption(face, "optFaceReply", tr("返信面"));
    row->addWidget(face);

    auto *offsets = new QGroupBox(tr("はがきの印字位置（mm）"), content);
    auto *grid = new QHBoxLayout(offsets);
    const auto spin = [offsets, grid](const char *name, const QString &caption) {
        auto *label = new QLabel(caption, offsets);
        auto *box = new QDoubleSpinBox(offsets);
        box->setObjectName(QLatin1String(name));
        box->setRange(-PaperChoice::MaxOffsetMm, PaperChoice::MaxOffsetMm);
        box->setSingleStep(0.5);
        box->setDecimals(1);
        label->setBuddy(box);
        grid->addWidget(label);
        grid->addWidget(box);
        return box;
    };
    m_ui->offsetX = spin("spinPaperX", tr("横"));
    m_ui->offsetY = spin("spinPaperY", tr("縦"));
    m_ui->alignButton = addCommandButton(offsets, "cmdAlign", tr("位置合わせ印刷"),
                                         tr("はがきの枠と十字を普通紙に印刷します"));
    grid->addWidget(m_ui->alignButton);
    row->addWidget(offsets);
    row->addStretch();
    layout->addLayout(row);
}

void PrintWindow::buildPreview(QWidget *content, QVBoxLayout *layout) {
    auto *row = new QHBoxLayout;
    // Each heading beside the part of the card it names: the boxes at the
    // top, the recipient below them, the sender at the foot.
    auto *captions = new QVBoxLayout;
    captions->addWidget(new QLabel(tr("郵便番号"), content));
    captions->addSpacing(fontMetrics().height() * 3);
    captions->addWidget(new QLabel(tr("受取人データ"), content));

    const auto stepper = [content, captions](QPushButton **back, QLabel **position,
                                             QPushButton **forward, const char *names[3],
                                             const QString &backTip, const QString &forwardTip) {
        auto *line = new QHBoxLayout;
        *back = addCommandButton(content, names[0], tr("＜"), backTip);
        *position = new QLabel(content);
        (*position)->setObjectName(QLatin1String(names[1]));
        (*position)->setAlignment(Qt::AlignCenter);
        *forward = addCommandButton(content, names[2], tr("＞"), forwardTip);
        line->addWidget(*back);
        line->addWidget(*position);
        line->addWidget(*forward);
        captions->addLayout(line);
    };
    const char *labelNames[3] = {"cmdRew", "lblPP", "cmdFF"};
    stepper(&m_ui->previousLabel, &m_ui->labelPosition, &m_ui->nextLabel, labelNames, tr("戻る"),
            tr("次のラベルへ"));
    captions->addStretch();
    captions->addWidget(new QLabel(tr("差出人データ"), content));
    const char *senderNames[3] = {"Command4", "lbltx", "Command5"};
    stepper(&m_ui->previousSender, &m_ui->senderPosition, &m_ui->nextSender, senderNames,
            tr("前の差出人"), tr("次の差出人"));
    captions->addSpacing(fontMetrics().height() * 3);

    row->addLayout(captions);
    m_ui->card = new CardView(content);
    row->addWidget(m_ui->card);
    layout->addLayout(row);
}

void PrintWindow::buildCommands(QWidget *content, QVBoxLayout *layout) {
    auto *row = new QHBoxLayout;
    row->addStretch();
    m_ui->previewButton = addCommandButton(content, "cmdPreview", tr("印刷プレビュー"));
    m_ui->printButton = addCommandButton(content, "cmdPrint", tr("印刷"));
    m_ui->backButton = addCommandButton(content, "cmdCancel", tr("戻る"));
    m_ui->exitButton = addCommandButton(content, "cmdExit", tr("終了"));
    for (QPushButton *button :
         {m_ui->previewButton, m_ui->printButton, m_ui->backButton, m_ui->exitButton})
        row->addWidget(button);
    layout->addLayout(row);
}

void PrintWindow::buildControls(QWidget *content) {
    m_ui = std::make_unique<PrintWindowUi>();
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(8, 0, 8, 8);
    buildMenuAndToolbar(content, layout);
    buildSettings(content, layout);
    buildPreview(content, layout);
    buildCommands(content, layout);
    connectCommands();
}

void PrintWindow::connectCommands() {
    const auto onClick = [this](QAbstractButton *button, auto handler) {
        onCommand(button, &QAbstractButton::clicked, handler);
    };
    onClick(m_ui->nextLabel, [this] { nextLabel(); });
    onClick(m_ui->previousLabel, [this] { previousLabel(); });
    onClick(m_ui->previousSender, [this] {
        if (m_currentSender > 0) {
            --m_currentSender;
            showCurrentLabel();
            showSenderPosition();
        }
    });
    onClick(m_ui->nextSender, [this] {
        if (m_currentSender < 3) {
            ++m_currentSender;
            showCurrentLabel();
            showSenderPosition();
        }
    });
    // By state, not by click: the keyboard and screen readers choose too.
    connect(m_ui->minchoDigits, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setPostalFont(MinchoFontName);
    });
    connect(m_ui->ocrDigits, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setPostalFont(OcrFontName);
    });
    onClick(m_ui->fontButton, [this] { openWindow(WindowId::Font); });
    onClick(m_ui->positionButton, [this] { openWindow(WindowId::PrintPosition); });
    onClick(m_ui->senderButton, [this] { openWindow(WindowId::Sender); });
    onClick(m_ui->helpButton, [this] {
        m_ctx.platform.help.show(QStringLiteral("Nuvelk.hlp"), HelpCommand::Topic, 8);
    });
    onCommand(m_ui->fontAction, &QAction::triggered, [this] { openWindow(WindowId::Font); });
    onCommand(m_ui->positionAction, &QAction::triggered,
              [this] { openWindow(WindowId::PrintPosition); });
    for (QRadioButton *choice : {m_ui->paperA4, m_ui->paperPostcard, m_ui->paperReturn,
                                 m_ui->faceOutgoing, m_ui->faceReply})
        connect(choice, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                paperChanged();
        });
    for (QRadioButton *choice : {m_ui->horizontal, m_ui->vertical})
        connect(choice, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                paperChanged();
        });
    connect(m_ui->arabicNumerals, &QCheckBox::toggled, this, [this] { paperChanged(); });
    for (QDoubleSpinBox *box : {m_ui->offsetX, m_ui->offsetY})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { paperChanged(); });
    onClick(m_ui->alignButton, [this] { printAlignmentPage(); });
    onClick(m_ui->printButton, [this] { runPrintJob(); });
    onClick(m_ui->previewButton, [this] { showSheetPreview(); });
    onClick(m_ui->backButton, [this] { backToMain(); });
    onClick(m_ui->exitButton, [this] { exitProgram(); });

    // Windows this build does not have yet stay disabled.
    m_ui->fontButton->setEnabled(m_ctx.windows.canCreate(WindowId::Font));
    m_ui->fontAction->setEnabled(m_ctx.windows.canCreate(WindowId::Font));
    m_ui->positionButton->setEnabled(m_ctx.windows.canCreate(WindowId::PrintPosition));
    m_ui->positionAction->setEnabled(m_ctx.windows.canCreate(WindowId::PrintPosition));
    m_ui->senderButton->setEnabled(m_ctx.windows.canCreate(WindowId::Sender));
}

} // namespace nvl
