#include "mainwindow.h"
#include "mainwindow_ui.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace nvl {

namespace {

QAction *addMenuAction(QMenu *menu, const char *name, const QString &text) {
    QAction *action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    return action;
}

QListView *addRecordList(QWidget *parent, const char *name, const QString &accessibleName,
                         QAbstractItemModel *model) {
    auto *view = new QListView(parent);
    view->setObjectName(QLatin1String(name));
    view->setAccessibleName(accessibleName);
    view->setModel(model);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformItemSizes(true);
    return view;
}

} // namespace

MainWindow::MainWindow(AppContext &context)
    : FormWindow(context, WindowId::Main),
      m_bookModel(context.book, BookListModel::Numbers::Hidden),
      m_dialog(context.platform.fileDialogs) {
    setObjectName(QStringLiteral("frmStart"));
    setWindowTitle(Caption);
    resize(640, 520);
    m_ctx.state.endOnMainUnload = true;
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus(QWidget *content, QVBoxLayout *layout) {
    auto *bar = new QMenuBar(content);
    bar->setObjectName(QStringLiteral("menuBar"));
    layout->setMenuBar(bar);

    QMenu *file = bar->addMenu(tr("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    m_ui->newBookAction = addMenuAction(file, "mnuNewfile", tr("新規作成(&N)"));
    m_ui->openAction = addMenuAction(file, "mnuOpen", tr("ファイルを開く(&O)"));
    m_ui->saveAsAction = addMenuAction(file, "mnuSave", tr("名前をつけて保存(&A)"));
    file->addSeparator();
    m_ui->importAction = addMenuAction(file, "mnuImport", tr("連絡先を取り込む(&I)"));
    m_ui->exportAction = addMenuAction(file, "mnuExport", tr("住所録を書き出す(&E)"));
    file->addSeparator();
    m_ui->syncAction = addMenuAction(file, "mnuSync", tr("同期(&Y)"));
    m_ui->syncSettingsAction = addMenuAction(file, "mnuSyncSettings", tr("同期の設定(&G)"));
    file->addSeparator();
    m_ui->exitAction = addMenuAction(file, "mnuExit", tr("終了(&X)"));

    QMenu *edit = bar->addMenu(tr("編集(&E)"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    m_ui->editCardsAction = addMenuAction(edit, "mnuSet", tr("住所録編集(&R)"));
    m_ui->listSheetAction = addMenuAction(edit, "mnuSheet", tr("住所録一覧(&V)"));
    m_ui->reorderAction = addMenuAction(edit, "mnuReorder", tr("順序入替(&T)"));
    m_ui->entriesAction = addMenuAction(edit, "mnuEntries", tr("付属データの整理(&U)"));
    // The filters of the button beside the search box, also where a screen
    // reader finds menus: the button's own menu runs a loop of its own.
    edit->addSeparator();
    QMenu *filters = edit->addMenu(tr("絞り込み(&F)"));
    filters->setObjectName(QStringLiteral("mnuFilter"));
    connect(filters, &QMenu::aboutToShow, this, [this, filters] { fillFilterMenu(filters); });

    QMenu *help = bar->addMenu(tr("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    m_ui->versionAction = addMenuAction(help, "mnuVer", tr("ﾊﾞｰｼﾞｮﾝ情報"));
    m_ui->homePageAction = addMenuAction(help, "mnuHome", tr("Orbekホームページ"));
}

void MainWindow::buildToolbar(QWidget *content, QVBoxLayout *layout) {
    auto *toolbar = new QToolBar(content);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setIconSize(QSize(24, 24));
    const auto tool = [toolbar](const char *name, const QString &tip, const char *themeIcon,
                                QStyle::StandardPixmap fallback) {
        QToolButton *button = addPictureButton(toolbar, name, tip, themeIcon, fallback);
        toolbar->addWidget(button);
        return button;
    };
    m_ui->newBookButton = tool("cmdNew", tr("新規作成"), "document-new", QStyle::SP_FileIcon);
    m_ui->openButton =
        tool("cmdOpen", tr("ファイルを開く"), "document-open", QStyle::SP_DialogOpenButton);
    m_ui->saveAsButton =
        tool("cmdSave", tr("名前をつけて保存"), "document-save-as", QStyle::SP_DialogSaveButton);
    m_ui->editCardsButton =
        tool("cmdCard", tr("住所録編集"), "document-edit", QStyle::SP_FileDialogContentsView);
    m_ui->listSheetButton =
        tool("cmdView", tr("住所録一覧"), "view-list-details", QStyle::SP_FileDialogDetailedView);
    m_ui->reorderButton = tool("cmdReorder", tr("順序入替"), "view-sort", QStyle::SP_ArrowDown);
    m_ui->helpButton = tool("cmdHlp", tr("ヘルプ"), "help-contents", QStyle::SP_MessageBoxQuestion);
    m_ui->exitButton =
        tool("cmdTexit", tr("終了"), "application-exit", QStyle::SP_DialogCloseButton);
    layout->addWidget(toolbar);
}

void MainWindow::buildSelection(QWidget *content, QVBoxLayout *layout) {
    auto *grid = new QGridLayout;
    grid->setContentsMargins(12, 8, 12, 12);

    grid->addWidget(new QLabel(tr("印刷リスト選択"), content), 0, 0, 1, 3);
    grid->addWidget(new QLabel(tr("宛名一覧　："), content), 1, 0);
    grid->addWidget(new QLabel(tr("選択リスト　："), content), 1, 2);

    m_ui->bookList = addRecordList(content, "lstSet1", tr("宛名一覧"), &m_bookModel);
    m_printModel.setBook(&m_ctx.book);
    m_ui->printList = addRecordList(content, "lstSet2", tr("選択リスト"), &m_printModel);
    grid->addLayout(buildSearch(content), 2, 0);
    grid->addWidget(m_ui->bookList, 3, 0);
    grid->addWidget(m_ui->printList, 2, 2, 2, 1);

    auto *buttons = new QVBoxLayout;
    m_ui->addButton = addCommandButton(content, "cmdAdd", tr("一括選択"));
    m_ui->deleteButton = addCommandButton(content, "cmdDel", tr("削除"));
    m_ui->clearButton = addCommandButton(content, "cmdClear", tr("クリアー"));
    for (QPushButton *button : {m_ui->addButton, m_ui->deleteButton, m_ui->clearButton})
        buttons->addWidget(button);
    buttons->addStretch();
    grid->addLayout(buttons, 3, 1);

    auto *countRow = new QHBoxLayout;
    m_ui->countLabel = new QLabel(QStringLiteral("0"), content);
    m_ui->countLabel->setObjectName(QStringLiteral("lblCount"));
    m_ui->countLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    countRow->addStretch();
    countRow->addWidget(m_ui->countLabel);
    countRow->addWidget(new QLabel(tr("件"), content));
    grid->addLayout(countRow, 4, 2);

    m_ui->nextButton = addCommandButton(content, "cmdPrint", tr("次へ"));
    grid->addWidget(m_ui->nextButton, 5, 2, Qt::AlignRight);

    layout->addLayout(grid);
}

void MainWindow::buildControls(QWidget *content) {
    m_ui = std::make_unique<MainWindowUi>();
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    buildMenus(content, layout);
    buildToolbar(content, layout);
    buildSelection(content, layout);
    connectCommands();
}

void MainWindow::connectCommands() {
    const auto on = [this](QObject *control, auto handler) {
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            onCommand(button, &QAbstractButton::clicked, handler);
        else
            onCommand(qobject_cast<QAction *>(control), &QAction::triggered, handler);
    };
    on(m_ui->newBookButton, [this] { newBook(); });
    on(m_ui->newBookAction, [this] { newBook(); });
    on(m_ui->openButton, [this] { openBook(); });
    on(m_ui->openAction, [this] { openBook(); });
    on(m_ui->saveAsButton, [this] { saveBookAs(true); });
    on(m_ui->saveAsAction, [this] { saveBookAs(false); });
    on(m_ui->importAction, [this] { importContacts(); });
    on(m_ui->exportAction, [this] { exportBook(); });
    on(m_ui->syncAction, [this] { syncBook(); });
    on(m_ui->syncSettingsAction, [this] { editSyncSettings(); });
    on(m_ui->editCardsButton, [this] { openCardEditor(); });
    on(m_ui->editCardsAction, [this] { openCardEditor(); });
    on(m_ui->exitButton, [this] { exitProgram(); });
    on(m_ui->exitAction, [this] { exitProgram(); });
    on(m_ui->listSheetButton, [this] { showListSheet(true); });
    on(m_ui->listSheetAction, [this] { showListSheet(false); });
    on(m_ui->reorderButton, [this] { handOver(WindowId::Reorder); });
    on(m_ui->reorderAction, [this] { handOver(WindowId::Reorder); });
    on(m_ui->entriesAction, [this] { showCompanionEntries(); });
    connect(&m_ctx.book, &BookDocument::unmatchedEntriesChanged, this,
            [this] { m_ui->entriesAction->setEnabled(!m_ctx.book.unmatchedEntries().isEmpty()); });
    on(m_ui->versionAction, [this] { emit versionRequested(); });
    // The shell reports nothing back; a missing browser is the desktop's to tell.
    on(m_ui->homePageAction,
       [this] { m_ctx.platform.shell.openUrl(QStringLiteral(NVL_HOME_PAGE)); });
    on(m_ui->helpButton, [this] {
        m_ctx.platform.help.show(QStringLiteral("Nuvelk.hlp"), HelpCommand::Contents, 0);
    });

    on(m_ui->addButton, [this] { addSelection(); });
    connect(m_ui->bookList, &QListView::doubleClicked, this, [this] {
        addSelection();
        m_ui->clearButton->setEnabled(true);
    });
    connect(m_ui->printList, &QListView::clicked, this,
            [this] { m_ui->deleteButton->setEnabled(m_ui->printList->currentIndex().isValid()); });
    on(m_ui->deleteButton, [this] { deleteSelection(); });
    on(m_ui->clearButton, [this] { clearSelection(); });
    on(m_ui->nextButton, [this] { nextToPrint(); });
}

void MainWindow::writeSettings() {
    if (const WriteResult written = m_ctx.writeRememberedBook(); !written)
        m_ctx.platform.messages.show(written.error);
}

void MainWindow::enableIfAvailable(QObject *control, WindowId target, bool enabled) {
    control->setProperty("enabled", enabled && m_ctx.windows.canCreate(target));
}

void MainWindow::setListsEnabled(bool enabled) {
    for (QWidget *widget : std::initializer_list<QWidget *>{
             m_ui->search, m_ui->tagFilter, m_ui->bookList, m_ui->printList, m_ui->addButton,
             m_ui->deleteButton, m_ui->clearButton})
        widget->setEnabled(enabled);
    enableIfAvailable(m_ui->nextButton, WindowId::Print, enabled);
}

void MainWindow::setBookCommandsEnabled(bool enabled) {
    m_ui->saveAsButton->setEnabled(enabled);
    m_ui->saveAsAction->setEnabled(enabled);
    m_ui->exportAction->setEnabled(enabled);
    m_ui->syncAction->setEnabled(enabled);
    m_ui->syncSettingsAction->setEnabled(enabled);
    const std::pair<QObject *, WindowId> targets[] = {
        {m_ui->editCardsButton, WindowId::CardEditor},
        {m_ui->editCardsAction, WindowId::CardEditor},
        {m_ui->listSheetButton, WindowId::ListSheet},
        {m_ui->listSheetAction, WindowId::ListSheet},
        {m_ui->reorderButton, WindowId::Reorder},
        {m_ui->reorderAction, WindowId::Reorder},
    };
    for (const auto &[control, target] : targets)
        enableIfAvailable(control, target, enabled);
    m_ui->entriesAction->setEnabled(enabled && !m_ctx.book.unmatchedEntries().isEmpty());
}

void MainWindow::afterLoad() {
    centreOnScreen();
    // A fresh window shows no book and an empty print list; the search and
    // filters stay as the user left them when another window returns here.
    m_bookModel.setHidden(true);
    m_printModel.clear();
    updatePrintListCount();
    setListsEnabled(false);
    setBookCommandsEnabled(false);
    enableIfAvailable(m_ui->newBookButton, WindowId::CardEditor, true);
    enableIfAvailable(m_ui->newBookAction, WindowId::CardEditor, true);
    enableIfAvailable(m_ui->versionAction, WindowId::About, true);

    if (!m_ctx.hasReadRememberedBook()) {
        m_tagFilter.clear();
        m_yearFilter = YearFilter::None;
        m_ui->search->clear();
        applySearch();
        // First start: the settings are read, the last book is not reopened.
        if (const QString problem = m_ctx.readRememberedBook(); !problem.isEmpty())
            m_ctx.platform.messages.show(problem);
        return;
    }
    // Back from another window: the one book holds what it did. A new book
    // nobody saved, or none, leaves an empty, disabled book.
    if (!m_ctx.book.hasFile())
        return;
    m_bookModel.setHidden(false);
    setListsEnabled(true);
    setBookCommandsEnabled(true);
    // The list shows what the search box and the filter button say.
    applySearch();
}

void MainWindow::beforeUnload() {
    // Stepping aside for another window is not leaving: the settings are
    // written as they change.
    if (!m_steppingAside)
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
    stepAside();
    next->showForm();
}

void MainWindow::stepAside() {
    m_ctx.state.endOnMainUnload = false;
    const QScopedValueRollback aside(m_steppingAside, true);
    unloadForm();
}

void MainWindow::exitProgram() {
    writeSettings();
    if (m_ctx.endProgram)
        m_ctx.endProgram();
}

} // namespace nvl
