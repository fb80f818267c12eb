#include "printwindow.h"

#include "fonts.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

namespace nvl {

namespace {

const char *const RecipientLabels[] = {"lblName", "lblAdd1", "lblAdd2", "lblAdd3", "lblCode"};
const char *const SenderLabels[] = {"lblTxZp", "lblTxAd1", "lblTxAd2", "lblTxNm"};

void setFontFamily(QLabel *label, const QString &family) {
    QFont font = label->font();
    font.setFamily(family);
    label->setFont(font);
}

} // namespace

PrintWindow::PrintWindow(AppContext &context) : FormWindow(context, WindowId::Print) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("印刷フォーマット"));
}

QLabel *PrintWindow::label(const char *name) const {
    return control<QLabel>(name);
}

QString PrintWindow::senderPath() const {
    return m_ctx.platform.settingsFileToRead(QStringLiteral("Wolt.tds"));
}

void PrintWindow::formLoad() {
    adjustSize();
    centreOnScreen();
    control<QRadioButton>("Option1")->setChecked(true);
    control<QRadioButton>("opt3")->setChecked(true);
    m_currentLabel = 0;
    m_settings.addressFont = MinchoFontName;
    m_settings.postalFont = MinchoFontName;
    GetPage();
    showLabelPosition();
    QString problem;
    m_senders = ReadSenderFile(senderPath(), &problem);
    if (!problem.isEmpty())
        m_ctx.platform.messages.show(problem);
    m_currentSender = 0;
    GetTx();
    showSenderPosition();
}

AddressRecord PrintWindow::currentRecord() const {
    return m_currentLabel < labelCount() ? m_printList.at(m_currentLabel) : AddressRecord();
}

void PrintWindow::showRecipient() {
    const AddressRecord record = currentRecord();
    label("lblName")->setText(previewNameLine(record));
    label("lblAdd1")->setText(record.field(AddressRecord::Address1));
    label("lblAdd2")->setText(record.field(AddressRecord::Address2));
    label("lblAdd3")->setText(record.field(AddressRecord::Address3));
    label("lblCode")->setText(record.field(AddressRecord::Code));
}

void PrintWindow::GetPage() {
    showRecipient();
    Rezip();
}

void PrintWindow::Rezip() {
    const std::array<QString, 7> boxes =
        postalBoxes(currentRecord().field(AddressRecord::PostalCode));
    for (int i = 0; i < 7; ++i) {
        QLabel *box = control<QLabel>(qPrintable(QStringLiteral("lblZipb(%1)").arg(i)));
        box->setText(boxes.at(i));
        setFontFamily(box, m_settings.postalFont);
    }
}

void PrintWindow::setAddressFont(const QString &family) {
    if (!isFormLoaded())
        return;
    m_settings.addressFont = family;
    Reget();
}

void PrintWindow::setOffsets(const QString &xSteps, const QString &ySteps,
                             const QString &secondRow) {
    if (!isFormLoaded())
        return;
    m_settings.xSteps = xSteps;
    m_settings.ySteps = ySteps;
    m_settings.secondRow = secondRow;
}

void PrintWindow::reloadSenders() {
    if (isFormLoaded())
        RegetTx();
}

void PrintWindow::Reget() {
    showRecipient();
    const QString font = m_settings.addressFont;
    for (const char *name : RecipientLabels)
        setFontFamily(label(name), font);
    GetTx();
    for (const char *name : SenderLabels)
        setFontFamily(label(name), font);
}

void PrintWindow::GetTx() {
    const SenderEntry &entry = m_senders.at(m_currentSender);
    label("lblTxZp")->setText(entry.postalCode);
    label("lblTxAd1")->setText(entry.address1);
    label("lblTxAd2")->setText(entry.address2);
    label("lblTxNm")->setText(entry.name);
}

void PrintWindow::RegetTx() {
    m_senders = ReadSenderFile(senderPath());
    m_currentSender = 0;
    GetTx();
    showSenderPosition();
}

void PrintWindow::showLabelPosition() {
    label("lblPP")->setText(QStringLiteral("%1/%2").arg(m_currentLabel + 1).arg(labelCount()));
}

void PrintWindow::showSenderPosition() {
    label("lbltx")->setText(QStringLiteral("%1/ 4 ").arg(m_currentSender + 1));
}

void PrintWindow::nextLabel() {
    if (m_currentLabel + 1 >= labelCount()) {
        m_ctx.platform.messages.show(QStringLiteral("最後のﾗﾍﾞﾙです。"));
        return;
    }
    ++m_currentLabel;
    GetPage();
    showLabelPosition();
}

void PrintWindow::previousLabel() {
    if (m_currentLabel == 0) {
        m_ctx.platform.messages.show(QStringLiteral("最初のﾗﾍﾞﾙです。"));
        return;
    }
    --m_currentLabel;
    GetPage();
    showLabelPosition();
}

void PrintWindow::setPostalFont(const QString &font) {
    m_settings.postalFont = font;
    Rezip();
}

void PrintWindow::openWindow(WindowId id) {
    if (FormWindow *window = m_ctx.windows.window(id))
        window->showForm();
}

void PrintWindow::backToMain() {
    m_printList.clear();
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
