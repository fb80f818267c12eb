// The print list: records copied from the book list, handed to the print window.
#include "mainwindow.h"

#include <QLabel>
#include <QListWidget>

namespace nvl {

namespace {

constexpr int PrintListLimit = AddressBook::Capacity;
const QString NothingChosen = QStringLiteral("リストが選択されていません。");

} // namespace

int MainWindow::printListCount() const {
    return m_printLists->count();
}

void MainWindow::updatePrintListCount() {
    control<QLabel>("lblCount")->setText(QString::number(m_printLists->count()));
}

void MainWindow::addSelection() {
    QListWidget *names = m_bookLists->nameList();
    for (int i = 0; i < names->count(); ++i) {
        if (names->item(i)->isSelected())
            m_printLists->append(m_bookLists->recordAt(i));
    }
    updatePrintListCount();
    if (printListCount() > PrintListLimit) {
        m_ctx.platform.messages.show(QStringLiteral("選択は300件までです。"));
        control<QWidget>("cmdPrint")->setEnabled(false);
    } else {
        control<QWidget>("cmdClear")->setEnabled(true);
    }
}

void MainWindow::deleteSelection() {
    if (printListCount() == 0) {
        m_ctx.platform.messages.show(NothingChosen);
        return;
    }
    QListWidget *names = m_printLists->nameList();
    int i = 0;
    while (i < names->count()) {
        if (names->item(i)->isSelected())
            m_printLists->removeAt(i);
        else
            ++i;
    }
    updatePrintListCount();
    control<QWidget>("cmdDel")->setEnabled(names->currentItem() != nullptr);
    if (printListCount() <= PrintListLimit)
        enableIfAvailable(control<QWidget>("cmdPrint"), WindowId::Print, true);
}

void MainWindow::clearSelection() {
    m_printLists->clear();
    control<QWidget>("cmdDel")->setEnabled(false);
    control<QWidget>("cmdClear")->setEnabled(false);
    updatePrintListCount();
    enableIfAvailable(control<QWidget>("cmdPrint"), WindowId::Print, true);
}

void MainWindow::nextToPrint() {
    if (printListCount() == 0) {
        m_ctx.platform.messages.show(NothingChosen);
        return;
    }
    FormWindow *print = m_ctx.windows.window(WindowId::Print);
    if (!print)
        return;
    QList<AddressRecord> records;
    for (int i = 0; i < m_printLists->count(); ++i)
        records.append(m_printLists->recordAt(i));
    emit printListChosen(records);
    m_reloadOnLoad = 1;
    print->showForm();
    m_ctx.state.endOnMainUnload = false;
    unloadForm();
    // Loads this window again out of sight: the rebuild, ready for 戻る.
    hideForm();
}

} // namespace nvl
