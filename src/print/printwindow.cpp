#include "printwindow.h"
#include "printwindow_ui.h"
#include "screenfit.h"

#include "fonts.h"

#include <QCloseEvent>

namespace nvl {

PrintWindow::PrintWindow(AppContext &context) : FormWindow(context, WindowId::Print) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(tr("印刷フォーマット"));
}

PrintWindow::~PrintWindow() = default;

QString PrintWindow::senderPath() const {
    return m_ctx.platform.settingsFileToRead(QStringLiteral("Wolt.tds"));
}

void PrintWindow::afterLoad() {
    // A laptop's screen: the card shrinks, the buttons below stay on it.
    m_ui->card->fitHeight(QWIDGETSIZE_MAX);
    relayout();
    m_ui->card->fitHeight(screenRoomHeight(*this) - (sizeHint().height() - m_ui->card->height()));
    relayout();
    adjustSize();
    centreOnScreen();
    m_ui->minchoDigits->setChecked(true);
    m_ui->fourUpSheet->setChecked(true);
    showPaperChoice();
    m_currentLabel = 0;
    m_settings.addressFont = MinchoFontName;
    m_settings.postalFont = MinchoFontName;
    showCurrentLabel();
    showLabelPosition();
    QString problem;
    m_senders = readSenderFile(senderPath(), &problem);
    if (!problem.isEmpty())
        m_ctx.platform.messages.show(problem);
    m_currentSender = 0;
    showCurrentLabel();
    showSenderPosition();
}

void PrintWindow::showCurrentLabel() {
    if (m_ui)
        m_ui->card->showCard(currentJob(), m_currentLabel);
}

void PrintWindow::setAddressFont(const QString &family) {
    if (!isFormLoaded())
        return;
    m_settings.addressFont = family;
    showCurrentLabel();
}

void PrintWindow::setOffsets(const SheetOffsets &steps) {
    if (!isFormLoaded())
        return;
    m_settings.offsets = steps;
}

void PrintWindow::reloadSenders() {
    if (isFormLoaded())
        rereadSenders();
}

void PrintWindow::rereadSenders() {
    m_senders = readSenderFile(senderPath());
    m_currentSender = 0;
    showCurrentLabel();
    showSenderPosition();
}

void PrintWindow::showLabelPosition() {
    m_ui->labelPosition->setText(QStringLiteral("%1/%2").arg(m_currentLabel + 1).arg(labelCount()));
}

void PrintWindow::showSenderPosition() {
    m_ui->senderPosition->setText(QStringLiteral("%1/ 4 ").arg(m_currentSender + 1));
}

void PrintWindow::nextLabel() {
    if (m_currentLabel + 1 >= labelCount()) {
        m_ctx.platform.messages.show(tr("最後のﾗﾍﾞﾙです。"));
        return;
    }
    ++m_currentLabel;
    showCurrentLabel();
    showLabelPosition();
}

void PrintWindow::previousLabel() {
    if (m_currentLabel == 0) {
        m_ctx.platform.messages.show(tr("最初のﾗﾍﾞﾙです。"));
        return;
    }
    --m_currentLabel;
    showCurrentLabel();
    showLabelPosition();
}

void PrintWindow::setPostalFont(const QString &font) {
    m_settings.postalFont = font;
    showCurrentLabel();
}

void PrintWindow::openWindow(WindowId id) {
    if (FormWindow *window = m_ctx.windows.window(id))
        window->showForm();
}

void PrintWindow::backToMain() {
    m_printList.clear();
    m_printNumbers.clear();
    if (FormWindow *main = m_ctx.windows.window(WindowId::Main))
        main->showForm();
    unloadForm();
}

void PrintWindow::closeEvent(QCloseEvent *event) {
    // The close box goes back like 戻る, never leaving the program windowless.
    event->ignore();
    if (isFormLoaded())
        backToMain();
}

void PrintWindow::exitProgram() {
    m_ctx.windows.release(WindowId::Print);
    m_ctx.windows.release(WindowId::Main);
    if (m_ctx.endProgram)
        m_ctx.endProgram();
}

} // namespace nvl
