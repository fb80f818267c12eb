// The print list: records copied from the book list, handed to the print window.
#include "mainwindow.h"
#include "mainwindow_ui.h"

#include <algorithm>

namespace nvl {

namespace {

const char *const NothingChosen =
    QT_TRANSLATE_NOOP("nvl::MainWindow", "リストが選択されていません。");

QList<int> selectedRows(const QAbstractItemView *view) {
    QList<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

void MainWindow::updatePrintListCount() {
    if (m_ui)
        m_ui->countLabel->setText(QString::number(printListCount()));
}

void MainWindow::addSelection() {
    QList<AddressRecord> chosen;
    QList<int> numbers;
    for (int row : selectedRows(m_ui->bookList)) {
        numbers.append(m_bookModel.recordNumber(row));
        chosen.append(m_ctx.book.record(numbers.last()));
    }
    m_printModel.append(chosen, numbers);
    updatePrintListCount();
    if (printListCount() > AddressBook::Capacity) {
        m_ctx.platform.messages.show(tr("選択は300件までです。"));
        m_ui->nextButton->setEnabled(false);
    } else {
        m_ui->clearButton->setEnabled(true);
    }
}

void MainWindow::deleteSelection() {
    if (printListCount() == 0) {
        m_ctx.platform.messages.show(tr(NothingChosen));
        return;
    }
    m_printModel.removeRowList(selectedRows(m_ui->printList));
    updatePrintListCount();
    m_ui->deleteButton->setEnabled(m_ui->printList->currentIndex().isValid());
    if (printListCount() <= AddressBook::Capacity)
        enableIfAvailable(m_ui->nextButton, WindowId::Print, true);
}

void MainWindow::clearSelection() {
    m_printModel.clear();
    m_ui->deleteButton->setEnabled(false);
    m_ui->clearButton->setEnabled(false);
    updatePrintListCount();
    enableIfAvailable(m_ui->nextButton, WindowId::Print, true);
}

void MainWindow::nextToPrint() {
    if (printListCount() == 0) {
        m_ctx.platform.messages.show(tr(NothingChosen));
        return;
    }
    FormWindow *print = m_ctx.windows.window(WindowId::Print);
    if (!print)
        return;
    emit printListChosen(m_printModel.records(), m_printModel.numbers());
    print->showForm();
    stepAside();
    // Loads this window again out of sight: the rebuild, ready for 戻る.
    hideForm();
}

} // namespace nvl
