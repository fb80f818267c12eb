// The list sheet, the reorder window and the version box, from the main window.
#include "mainwindow.h"

namespace nvl {

namespace {

const char *const NothingToShow =
    QT_TRANSLATE_NOOP("nvl::MainWindow", "表示するデータがありません。");

} // namespace

void MainWindow::showListSheet(bool fullVariant) {
    if ((fullVariant && !m_ctx.book.hasFile()) || !m_ctx.windows.canCreate(WindowId::ListSheet)) {
        m_ctx.platform.messages.show(tr(NothingToShow));
        return;
    }
    emit listSheetRequested(fullVariant, fullVariant ? m_ctx.book.filePath() + tr("住所一覧　")
                                                     : tr("住所一覧"));
    stepAside();
}

void MainWindow::showShortListSheet() {
    showListSheet(false);
}

} // namespace nvl
