// The search box and the filter menu (year filters, tags) above the book list.
#include "mainwindow.h"
#include "mainwindow_ui.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QMenu>

namespace nvl {

QLayout *MainWindow::buildSearch(QWidget *content) {
    auto *row = new QHBoxLayout;
    m_ui->search = new QLineEdit(content);
    m_ui->search->setObjectName(QStringLiteral("txtSearch"));
    m_ui->search->setAccessibleName(tr("検索"));
    // Short enough to show whole in the box; the tip says it all.
    m_ui->search->setPlaceholderText(tr("名前・よみ・住所・〒・タグ"));
    m_ui->search->setToolTip(tr("名前・よみ・住所・〒・タグで検索"));
    m_ui->search->setClearButtonEnabled(true);
    m_ui->tagFilter = new QToolButton(content);
    m_ui->tagFilter->setObjectName(QStringLiteral("cmdTags"));
    m_ui->tagFilter->setAccessibleName(tr("絞り込み"));
    m_ui->tagFilter->setText(tr("絞り込み"));
    m_ui->tagFilter->setPopupMode(QToolButton::InstantPopup);
    m_ui->tagFilter->setMenu(new QMenu(m_ui->tagFilter));
    m_ui->tagFilter->menu()->setObjectName(QStringLiteral("mnuTags"));
    row->addWidget(m_ui->search, 1);
    row->addWidget(m_ui->tagFilter);

    connect(m_ui->search, &QLineEdit::textChanged, this, [this] { applySearch(); });
    connect(m_ui->tagFilter->menu(), &QMenu::aboutToShow, this,
            [this] { fillFilterMenu(m_ui->tagFilter->menu()); });
    return row;
}

// What a search finds is selected, ready for 一括選択; the whole book is not.
void MainWindow::applySearch() {
    const int year = m_ctx.currentCardYear();
    m_bookModel.setSearch(
        {m_ui->search->text(), m_tagFilter, yearFilterConditions(m_yearFilter, year)});
    QStringList chosen;
    if (m_yearFilter != YearFilter::None)
        chosen.append(yearFilterName(m_yearFilter));
    if (!m_tagFilter.isEmpty())
        chosen.append(m_tagFilter);
    const QString state =
        chosen.isEmpty() ? tr("絞り込み") : tr("絞り込み: %1").arg(chosen.join(u'・'));
    m_ui->tagFilter->setText(state);
    // A screen reader says whether the list is narrowed.
    m_ui->tagFilter->setAccessibleName(state);
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

// The year filters of the current card year, then one entry per tag the
// book holds now; one of each kind at a time, the ones in use checked.
void MainWindow::fillFilterMenu(QMenu *menu) {
    menu->clear();
    const int year = m_ctx.currentCardYear();
    menu->addSection(tr("%1年の年賀状").arg(year));
    auto *years = new QActionGroup(menu);
    for (const YearFilter filter :
         {YearFilter::None, YearFilter::SendThisYear, YearFilter::NotSentYet,
          YearFilter::ReplyPending, YearFilter::ReceivedLastYear, YearFilter::Mourning,
          YearFilter::MourningLastYear}) {
        // "今年" in December is not the year the cards carry: it is named.
        const QString text = filter == YearFilter::SendThisYear
                                 ? tr("%1（%2年）").arg(yearFilterName(filter)).arg(year)
                                 : yearFilterName(filter);
        QAction *action = years->addAction(menu->addAction(text));
        action->setCheckable(true);
        action->setChecked(filter == m_yearFilter);
        connect(action, &QAction::triggered, this, [this, filter] {
            m_yearFilter = filter;
            applySearch();
        });
    }
    menu->addSection(tr("タグ"));
    auto *tagGroup = new QActionGroup(menu);
    const auto entry = [this, menu, tagGroup](const QString &text, const QString &tag) {
        QAction *action = tagGroup->addAction(menu->addAction(text));
        action->setCheckable(true);
        action->setChecked(tag == m_tagFilter);
        connect(action, &QAction::triggered, this, [this, tag] {
            m_tagFilter = tag;
            applySearch();
        });
    };
    entry(tr("すべてのタグ"), QString());
    const QStringList tags = tagsOfBook(m_ctx.book.recordDataList());
    for (const QString &tag : tags)
        entry(tag, tag);
    if (tags.isEmpty())
        menu->addAction(tr("（タグはありません）"))->setEnabled(false);
}

} // namespace nvl
