// The list sheet, the reorder window and the version box, from the main window.
#include "mainwindow.h"

namespace nvl {

namespace {

const char *const NothingToShow =
    QT_TRANSLATE_NOOP("nvl::MainWindow", "表示するデータがありません。");

} // namespace

void MainWindow::showListSheet(bool fullVariant) {
    m_reloadOnLoad = 1;
    if ((fullVariant && currentFile().isEmpty()) || !m_ctx.windows.canCreate(WindowId::ListSheet)) {
        m_ctx.platform.messages.show(tr(NothingToShow));
        return;
    }
    emit listSheetRequested(fullVariant,
                            fullVariant ? currentFile() + tr("住所一覧　") : tr("住所一覧"));
    stepAside();
}

void MainWindow::showShortListSheet() {
    showListSheet(false);
}

} // namespace nvl
