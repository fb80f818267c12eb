#include "mainwindow.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace nvl {

namespace {

const std::array<const char *, AddressRecord::FieldCount> BookListNames = {
    "lstSet1", "lstOpt1", "lstAdd1", "lstZip1", "lstCode1", "lstKei", "lstKata1"};
const std::array<const char *, AddressRecord::FieldCount> PrintListNames = {
    "lstSet2", "lstOpt2", "lstAdd2", "lstZip2", "lstCode2", "lstKei2", "lstKata2"};

struct ToolDef {
    const char *name;
    const char *tip;
    const char *themeIcon;
    QStyle::StandardPixmap fallback;
};

const ToolDef Tools[] = {
    {"cmdNew", "新規作成", "document-new", QStyle::SP_FileIcon},
    {"cmdOpen", "ファイルを開く", "document-open", QStyle::SP_DialogOpenButton},
    {"cmdSave", "名前をつけて保存", "document-save-as", QStyle::SP_DialogSaveButton},
    {"cmdCard", "住所録編集", "document-edit", QStyle::SP_FileDialogContentsView},
    {"cmdView", "住所録一覧", "view-list-details", QStyle::SP_FileDialogDetailedView},
    {"cmdReorder", "順序入替", "view-sort", QStyle::SP_ArrowDown},
    {"cmdHlp", "ヘルプ", "help-contents", QStyle::SP_MessageBoxQuestion},
    {"cmdTexit", "終了", "application-exit", QStyle::SP_DialogCloseButton},
};

QAction *addMenuAction(QMenu *menu, const char *name, const QString &text) {
    QAction *action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

MainWindow::MainWindow(AppContext &context)
    : FormWindow(context, WindowId::Main), m_dialog(context.platform.fileDialogs) {
    setObjectName(QStringLiteral("frmStart"));
    setWindowTitle(Caption);
    resize(640, 520);
    m_ctx.state.endOnMainUnload = true;
}

void MainWindow::buildMenus(QWidget *content, QVBoxLayout *layout) {
    auto *bar = new QMenuBar(content);
    bar->setObjectName(QStringLiteral("menuBar"));
    layout->setMenuBar(bar);

    QMenu *file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addMenuAction(file, "mnuNewfile", QStringLiteral("新規作成(&N)"));
    addMenuAction(file, "mnuOpen", QStringLiteral("ファイルを開く(&O)"));
    addMenuAction(file, "mnuSave", QStringLiteral("名前をつけて保存(&A)"));
    file->addSeparator();
    addMenuAction(file, "mnuExit", QStringLiteral("終了(&X)"));

    QMenu *edit = bar->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    addMenuAction(edit, "mnuSet", QStringLiteral("住所録編集(&R)"));
    addMenuAction(edit, "mnuSheet", QStringLiteral("住所録一覧(&V)"));
    addMenuAction(edit, "mnuReorder", QStringLiteral("順序入替(&T)"));

    QMenu *help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addMenuAction(help, "mnuVer", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    addMenuAction(help, "mnuHome", QStringLiteral("Orbekホームページ"));
}

void MainWindow::buildToolbar(QWidget *content, QVBoxLayout *layout) {
    auto *toolbar = new QToolBar(content);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setIconSize(QSize(24, 24));
    for (const ToolDef &tool : Tools)
        toolbar->addWidget(addPictureButton(toolbar, tool.name, QString::fromUtf8(tool.tip),
                                            tool.themeIcon, tool.fallback));
    layout->addWidget(toolbar);
}

void MainWindow::buildSelection(QWidget *content, QVBoxLayout *layout) {
    auto *grid = new QGridLayout;
    grid->setContentsMargins(12, 8, 12, 12);

    auto *heading = new QLabel(QStringLiteral("印刷リスト選択"), content);
    heading->setObjectName(QStringLiteral("lblMain"));
    grid->addWidget(heading, 0, 0, 1, 3);

    auto *caption1 = new QLabel(QStringLiteral("宛名一覧　："), content);
    caption1->setObjectName(QStringLiteral("lblList1"));
    grid->addWidget(caption1, 1, 0);
    auto *caption2 = new QLabel(QStringLiteral("選択リスト　："), content);
    caption2->setObjectName(QStringLiteral("lblList2"));
    grid->addWidget(caption2, 1, 2);

    m_bookLists = std::make_unique<RecordLists>(content, BookListNames);
    m_printLists = std::make_unique<RecordLists>(content, PrintListNames);
    m_bookLists->nameList()->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_printLists->nameList()->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_bookLists->nameList()->setAccessibleName(QStringLiteral("宛名一覧"));
    m_printLists->nameList()->setAccessibleName(QStringLiteral("選択リスト"));
    grid->addWidget(m_bookLists->nameList(), 2, 0);
    grid->addWidget(m_printLists->nameList(), 2, 2);

    auto *buttons = new QVBoxLayout;
    const std::pair<const char *, const char *> buttonDefs[] = {
        {"cmdAdd", "一括選択"}, {"cmdDel", "削除"}, {"cmdClear", "クリアー"}};
    for (const auto &[name, text] : buttonDefs) {
        auto *button = new QPushButton(QString::fromUtf8(text), content);
        button->setObjectName(QLatin1String(name));
        buttons->addWidget(button);
    }
    buttons->addStretch();
    grid->addLayout(buttons, 2, 1);

    auto *countRow = new QHBoxLayout;
    auto *count = new QLabel(QStringLiteral("0"), content);
    count->setObjectName(QStringLiteral("lblCount"));
    count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *unit = new QLabel(QStringLiteral("件"), content);
    unit->setObjectName(QStringLiteral("lblAcount"));
    countRow->addStretch();
    countRow->addWidget(count);
    countRow->addWidget(unit);
    grid->addLayout(countRow, 3, 2);

    auto *next = new QPushButton(QStringLiteral("次へ"), content);
    next->setObjectName(QStringLiteral("cmdPrint"));
    grid->addWidget(next, 4, 2, Qt::AlignRight);

    layout->addLayout(grid);
}

void MainWindow::buildForm(QWidget *content) {
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    buildMenus(content, layout);
    buildToolbar(content, layout);
    buildSelection(content, layout);
    connectCommands();
}

void MainWindow::connectCommands() {
    const auto onClick = [this](const char *name, auto handler) {
        connect(control<QAbstractButton>(name), &QAbstractButton::clicked, this, handler);
    };
    const auto onMenu = [this](const char *name, auto handler) {
        connect(control<QAction>(name), &QAction::triggered, this, handler);
    };
    onClick("cmdNew", [this] { newBook(); });
    onMenu("mnuNewfile", [this] { newBook(); });
    onClick("cmdOpen", [this] { openBook(); });
    onMenu("mnuOpen", [this] { openBook(); });
    onClick("cmdSave", [this] { saveBookAs(true); });
    onMenu("mnuSave", [this] { saveBookAs(false); });
    onClick("cmdCard", [this] { openCardEditor(); });
    onMenu("mnuSet", [this] { openCardEditor(); });
    onClick("cmdTexit", [this] { exitProgram(); });
    onClick("cmdView", [this] { showListSheet(true); });
    onMenu("mnuSheet", [this] { showListSheet(false); });
    onClick("cmdReorder", [this] { handOver(WindowId::Reorder); });
    onMenu("mnuReorder", [this] { handOver(WindowId::Reorder); });
    onMenu("mnuVer", [this] { showVersion(); });
    onMenu("mnuExit", [this] { exitProgram(); });
    // The shell reports nothing back; a missing browser is the desktop's to tell.
    onMenu("mnuHome", [this] { m_ctx.platform.shell.openUrl(QStringLiteral(NVL_HOME_PAGE)); });
    onClick("cmdHlp", [this] {
        m_ctx.platform.help.show(QStringLiteral("Nuvelk.hlp"), HelpCommand::Contents, 0);
    });

    onClick("cmdAdd", [this] { addSelection(); });
    connect(m_bookLists->nameList(), &QListWidget::itemDoubleClicked, this, [this] {
        addSelection();
        control<QWidget>("cmdClear")->setEnabled(true);
    });
    connect(m_printLists->nameList(), &QListWidget::itemClicked, this, [this] {
        control<QWidget>("cmdDel")->setEnabled(m_printLists->nameList()->currentItem() != nullptr);
    });
    onClick("cmdDel", [this] { deleteSelection(); });
    onClick("cmdClear", [this] { clearSelection(); });
    onClick("cmdPrint", [this] { nextToPrint(); });
}

QString MainWindow::settingsPath() const {
    return m_ctx.platform.programFile(QStringLiteral("Nuvel.ini"));
}

void MainWindow::INIGet() {
    const SettingsRead read = readSettingsFile(settingsPath(), 2);
    // A FIFO or device in its place is not read (it would block) and is named.
    if (read.status == TextFileRead::Status::NotRegular)
        m_ctx.platform.messages.show(read.problem);
    m_currentFile = read.values.at(0);
    m_bookMode = read.values.at(1);
}

WriteResult MainWindow::writeSettings() {
    const WriteResult result = writeBookSettings(settingsPath(), {m_currentFile, m_bookMode});
    if (!result)
        m_ctx.platform.messages.show(result.error);
    return result;
}

void MainWindow::enableIfAvailable(QWidget *control, WindowId target, bool enabled) {
    control->setEnabled(enabled && m_ctx.windows.canCreate(target));
}

void MainWindow::setListsEnabled(bool enabled) {
    m_bookLists->nameList()->setEnabled(enabled);
    m_printLists->nameList()->setEnabled(enabled);
    for (const char *name : {"cmdAdd", "cmdDel", "cmdClear"})
        control<QWidget>(name)->setEnabled(enabled);
    enableIfAvailable(control<QWidget>("cmdPrint"), WindowId::Print, enabled);
}

void MainWindow::setBookCommandsEnabled(bool enabled) {
    control<QWidget>("cmdSave")->setEnabled(enabled);
    control<QAction>("mnuSave")->setEnabled(enabled);
    const std::pair<const char *, WindowId> targets[] = {
        {"cmdCard", WindowId::CardEditor}, {"mnuSet", WindowId::CardEditor},
        {"cmdView", WindowId::ListSheet},  {"mnuSheet", WindowId::ListSheet},
        {"cmdReorder", WindowId::Reorder}, {"mnuReorder", WindowId::Reorder},
    };
    for (const auto &[name, target] : targets) {
        const bool on = enabled && m_ctx.windows.canCreate(target);
        if (auto *action = control<QAction>(name))
            action->setEnabled(on);
        else
            control<QWidget>(name)->setEnabled(on);
    }
}

void MainWindow::formLoad() {
    centreOnScreen();
    m_currentFile.clear();
    m_bookMode.clear();
    control<QLabel>("lblCount")->setText(QStringLiteral("0"));
    setListsEnabled(false);
    setBookCommandsEnabled(false);
    enableIfAvailable(control<QWidget>("cmdNew"), WindowId::CardEditor, true);
    control<QAction>("mnuNewfile")->setEnabled(m_ctx.windows.canCreate(WindowId::CardEditor));
    control<QAction>("mnuVer")->setEnabled(m_ctx.windows.canCreate(WindowId::About));
    INIGet();

    if (m_reloadOnLoad != 1) {
        // First start: the last book is not reopened.
        m_ctx.state.bookFromFile = true;
        return;
    }
    m_reloadOnLoad = 0;
    if (m_currentFile.isEmpty()) {
        m_bookLoadedFrom.clear();
        return;
    }
    // "新規作成" left by New, or a file that has gone: an empty, disabled book.
    BookRead read = ReadBookFile(m_currentFile);
    if (!read.ok()) {
        // Nothing of that file is in memory now.
        m_book = AddressBook();
        m_bookLoadedFrom.clear();
        return;
    }
    m_book = std::move(read.book);
    m_bookLoadedFrom = m_currentFile;
    m_bookStamp = read.stamp;
    showBook(m_book);
    setListsEnabled(true);
    setBookCommandsEnabled(true);
    m_ctx.state.bookFromFile = true;
}

void MainWindow::showBook(const AddressBook &book) {
    m_bookLists->clear();
    for (const AddressRecord &record : book.records)
        m_bookLists->append(record);
}

void MainWindow::formUnload() {
    writeSettings();
    if (m_ctx.state.endOnMainUnload) {
        m_ctx.windows.release(WindowId::Main);
        if (m_ctx.endProgram)
            m_ctx.endProgram();
    }
}

void MainWindow::handOver(WindowId target) {
    FormWindow *next = m_ctx.windows.window(target);
    if (!next)
        return;
    m_reloadOnLoad = 1;
    m_ctx.state.endOnMainUnload = false;
    unloadForm();
    next->showForm();
}

void MainWindow::exitProgram() {
    writeSettings();
    if (m_ctx.endProgram)
        m_ctx.endProgram();
}

} // namespace nvl
