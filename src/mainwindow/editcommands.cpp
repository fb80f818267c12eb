// The list sheet, the reorder window and the version box, from the main window.
#include "aboutbox.h"
#include "listsheet.h"
#include "mainwindow.h"

#include <QLineEdit>

namespace nvl {

namespace {

const QString NothingToShow = QStringLiteral("表示するデータがありません。");

} // namespace

void MainWindow::showListSheet(bool fullVariant) {
    m_reloadOnLoad = 1;
    if (fullVariant && m_currentFile.isEmpty()) {
        m_ctx.platform.messages.show(NothingToShow);
        return;
    }
    auto *sheet = m_ctx.windows.get<ListSheet>(WindowId::ListSheet);
    if (!sheet ||
        !sheet->fill(m_book, fullVariant ? ListSheet::Variant::Full : ListSheet::Variant::Short)) {
        m_ctx.platform.messages.show(NothingToShow);
        return;
    }
    if (fullVariant)
        sheet->setWindowTitle(m_currentFile + QStringLiteral("住所一覧　"));
    sheet->showForm();
    m_ctx.state.endOnMainUnload = false;
    unloadForm();
}

void MainWindow::showShortListSheet() {
    showListSheet(false);
}

void MainWindow::showVersion() {
    auto *about = m_ctx.windows.get<AboutBox>(WindowId::About);
    if (!about)
        return;
    about->setApplication(QStringLiteral("ＮＶＬはがき宛名プリント "));
    about->setVersion(QStringLiteral("Ver 2.0"));
    about->setHeading(QStringLiteral(" ******   Orbek   *****        "));
    about->setCopyright(AboutBox::MakerNotice);
    about->showModal();
}

} // namespace nvl
