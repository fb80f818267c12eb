// The search box and tag filter above the book list.
#include "mainwindow.h"
#include "mainwindow_ui.h"

#include <QHBoxLayout>
#include <QMenu>

namespace nvl {

QLayout *MainWindow::buildSearch(QWidget *content) {
    auto *row = new QHBoxLayout;
    m_ui->search = new QLineEdit(content);
    m_ui->search->setObjectName(QStringLiteral("txtSearch"));
    m_ui->search->setAccessibleName(tr("検索"));
    m_ui->search->setPlaceholderText(tr("名前・よみ・住所・〒・タグで検索"));
    m_ui->search->setClearButtonEnabled(true);
    m_ui->tagFilter = new QToolButton(content);
    m_ui->tagFilter->setObjectName(QStringLiteral("cmdTags"));
    m_ui->tagFilter->setAccessibleName(tr("タグで絞り込み"));
    m_ui->tagFilter->setText(tr("タグ"));
    m_ui->tagFilter->setPopupMode(QToolButton::InstantPopup);
    m_ui->tagFilter->setMenu(new QMenu(m_ui->tagFilter));
    m_ui->tagFilter->menu()->setObjectName(QStringLiteral("mnuTags"));
    row->addWidget(m_ui->search, 1);
    row->addWidget(m_ui->tagFilter);

    connect(m_ui->search, &QLineEdit::textChanged, this,
            [this] { applySearch(m_bookModel.search().tag); });
    connect(m_ui->tagFilter->menu(), &QMenu::aboutToShow, this, [this] { fillTagMenu(); });
    return row;
}

// What a search finds is selected, ready for 一括選択; the whole book is not.
void MainWindow::applySearch(const QString &tag) {
    m_bookModel.setSearch({m_ui->search->text(), tag});
    m_ui->tagFilter->setText(tag.isEmpty() ? tr("タグ") : tr("タグ: %1").arg(tag));
    QItemSelectionModel *selection = m_ui->bookList->selectionModel();
    if (!filtered() || m_bookModel.rowCount() == 0) {
        selection->clearSelection();
        return;
    }
    selection->select(
        QItemSelection(m_bookModel.index(0, 0), m_bookModel.index(m_bookModel.rowCount() - 1, 0)),
        QItemSelectionModel::ClearAndSelect);
    selection->setCurrentIndex(m_bookModel.index(0, 0), QItemSelectionModel::NoUpdate);
}

// One entry per tag the book holds now, the one in use checked.
void MainWindow::fillTagMenu() {
    QMenu *menu = m_ui->tagFilter->menu();
    menu->clear();
    const QString current = m_bookModel.search().tag;
    const auto entry = [this, menu, &current](const QString &text, const QString &tag) {
        QAction *action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(tag == current);
        connect(action, &QAction::triggered, this, [this, tag] { applySearch(tag); });
    };
    entry(tr("すべて"), QString());
    menu->addSeparator();
    const QStringList tags = tagsOfBook(m_ctx.book.recordDataList());
    for (const QString &tag : tags)
        entry(tag, tag);
    if (tags.isEmpty())
        menu->addAction(tr("（タグはありません）"))->setEnabled(false);
}

} // namespace nvl
