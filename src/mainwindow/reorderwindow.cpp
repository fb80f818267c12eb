#include "reorderwindow.h"

#include "bookquestions.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>

namespace nvl {

namespace {

const char *const WrongDestination =
    QT_TRANSLATE_NOOP("nvl::ReorderWindow", "指定に誤りがあります。");

} // namespace

ReorderWindow::ReorderWindow(AppContext &context)
    : FormWindow(context, WindowId::Reorder), m_document(context.book),
      m_records(context.book, BookListModel::Numbers::Shown) {
    setObjectName(QStringLiteral("frmOrder"));
    setWindowTitle(QStringLiteral("Order Set"));
    resize(460, 420);
}

void ReorderWindow::buildControls(QWidget *content) {
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(16, 12, 16, 12);
    const auto addLabel = [content](const char *name, const QString &caption) {
        auto *label = new QLabel(caption, content);
        label->setObjectName(QLatin1String(name));
        return label;
    };
    grid->addWidget(addLabel("Label1", tr("移動をするリストをクリックしてください")), 0, 0, 1, 4);
    m_list = new QListView(content);
    m_list->setObjectName(QStringLiteral("lstName"));
    m_list->setModel(&m_records);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    grid->addWidget(m_list, 1, 0, 1, 4);
    m_chosenName = addLabel("lblName", QString());
    grid->addWidget(m_chosenName, 2, 0);
    grid->addWidget(addLabel("Label2", tr("を")), 2, 1);
    m_destination = new QLineEdit(content);
    m_destination->setObjectName(QStringLiteral("txt2"));
    m_destination->setAccessibleName(tr("挿入先の番号"));
    m_destination->setMaximumWidth(60);
    // It appears once a record is chosen; its place is kept meanwhile.
    QSizePolicy keep = m_destination->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_destination->setSizePolicy(keep);
    m_destination->hide();
    grid->addWidget(m_destination, 2, 2);
    grid->addWidget(addLabel("Label3", tr("番に挿入します。")), 2, 3);
    // Read-only numbers, each with its caption before it.
    const auto addNumberBox = [content](const char *name, const QString &caption,
                                        QHBoxLayout *row) {
        auto *label = new QLabel(caption, content);
        auto *box = new QLineEdit(content);
        box->setObjectName(QLatin1String(name));
        box->setReadOnly(true);
        box->setMaximumWidth(60);
        label->setBuddy(box);
        row->addWidget(label);
        row->addWidget(box);
        return box;
    };
    auto *numbers = new QHBoxLayout;
    m_sourceBox = addNumberBox("txt3", tr("移動元の番号"), numbers);
    numbers->addSpacing(12);
    m_countBox = addNumberBox("txt4", tr("件数"), numbers);
    numbers->addStretch();
    grid->addLayout(numbers, 3, 0, 1, 4);
    auto *run = addCommandButton(content, "Command1", tr("実行"));
    grid->addWidget(run, 4, 2);
    auto *back = addCommandButton(content, "Command2", tr("戻る"));
    grid->addWidget(back, 4, 3);

    connect(m_list, &QListView::clicked, this,
            [this](const QModelIndex &index) { chooseItem(index.row()); });
    connect(m_destination, &QLineEdit::textChanged, this, [this] { destinationChanged(); });
    onCommand(run, &QPushButton::clicked, [this] { execute(); });
    onCommand(back, &QPushButton::clicked, [this] { unloadForm(); });
}

void ReorderWindow::afterLoad() {
    centreOnScreen();
    m_fileUsable = false;
    m_source = 0;
    m_chosenName->clear();
    m_destination->clear();
    m_destination->hide();
    m_sourceBox->clear();
    m_countBox->clear();
    m_records.setHidden(true);
    // The book every window shows: the one document says which file it is.
    const QString path = m_document.filePath();
    if (!m_document.hasFile() || !QFileInfo::exists(path)) {
        m_ctx.platform.messages.show(tr("指定ファイルがありません。"));
        return;
    }
    if (const BookDocument::Locked locked = lockForEditing(m_ctx.platform, m_document, path);
        !locked.ok) {
        m_ctx.platform.messages.show(locked.error);
        return;
    }
    showRecords();
    m_countBox->setText(QString::number(m_document.recordCount()));
}

void ReorderWindow::showRecords() {
    m_records.setHidden(false);
    m_list->scrollToTop();
    m_fileUsable = true;
}

void ReorderWindow::chooseItem(int index) {
    m_source = index + 1;
    m_sourceBox->setText(QString::number(m_source));
    m_chosenName->setText(m_records.index(index, 0).data().toString());
    m_destination->show();
    m_destination->setFocus();
}

void ReorderWindow::refuse(const QString &message) {
    m_ctx.platform.messages.show(message);
    m_destination->clear();
}

void ReorderWindow::destinationChanged() {
    const QString destination = m_destination->text();
    if (destination.isEmpty())
        return;
    if (m_source > 0 && destination == QString::number(m_source))
        refuse(tr("移動元と移動先が同じです！"));
    else if ((m_fileUsable ? m_document.recordCount() : 0) < leadingNumber(destination))
        refuse(tr(WrongDestination));
}

void ReorderWindow::execute() {
    const QString destination = m_destination->text();
    if (destination.isEmpty()) {
        m_ctx.platform.messages.show(tr("移動先が指定されていません"));
        return;
    }
    const int source = m_source;
    const int count = m_fileUsable ? m_document.recordCount() : 0;
    // Only a whole number within the book is a place.
    static const QRegularExpression whole(QStringLiteral("^\\s*\\d+\\s*$"));
    const int target = roundHalfEven(leadingNumber(destination));
    if (!whole.match(destination).hasMatch() || target < 1 || target > count || source < 1 ||
        source > count) {
        refuse(tr(WrongDestination));
        return;
    }
    if (!m_fileUsable)
        return;
    // Nothing is moved unless written: the list and the file stay as before.
    const BookDocument::Saved saved =
        m_document.commit([&] { return m_document.moveRecord(source - 1, target - 1); },
                          askAboutChangedBook(m_ctx.platform));
    if (!saved.ok()) {
        if (saved.outcome == BookDocument::Saved::Outcome::Failed)
            m_ctx.platform.messages.show(saved.error);
        return;
    }
    m_chosenName->clear();
    m_destination->clear();
    m_destination->hide();
}

void ReorderWindow::beforeUnload() {
    m_document.unlock();
    if (FormWindow *main = m_ctx.windows.window(WindowId::Main))
        main->showForm();
}

} // namespace nvl
