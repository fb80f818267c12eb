// The paper the cards print on: the choice in the print window, kept in the
// program's own settings file, and what it means for printing and preview.
#include "paperchoice.h"
#include "printoutput.h"
#include "printwindow.h"
#include "printwindow_ui.h"

#include <QPrinter>
#include <QScopedValueRollback>

namespace nvl {

QString PrintWindow::paperSettingsPath() const {
    return m_ctx.platform.programFile(PaperChoice::settingsFileName());
}

void PrintWindow::showPaperChoice() {
    const QScopedValueRollback loading(m_showingPaper, true);
    QString problem;
    m_paper = readPaperChoice(paperSettingsPath(), &problem);
    if (!problem.isEmpty())
        m_ctx.platform.messages.show(problem);
    QRadioButton *kind = m_paper.kind == PaperKind::Postcard         ? m_ui->paperPostcard
                         : m_paper.kind == PaperKind::ReturnPostcard ? m_ui->paperReturn
                                                                     : m_ui->paperA4;
    kind->setChecked(true);
    (m_paper.face == ReturnPostcardFace::Reply ? m_ui->faceReply : m_ui->faceOutgoing)
        ->setChecked(true);
    m_ui->offsetX->setValue(m_paper.offsetMm.x());
    m_ui->offsetY->setValue(m_paper.offsetMm.y());
    (m_paper.vertical ? m_ui->vertical : m_ui->horizontal)->setChecked(true);
    m_ui->arabicNumerals->setChecked(m_paper.numbers == VerticalNumbers::Arabic);
    enablePaperControls();
}

void PrintWindow::enablePaperControls() {
    const bool postcards = m_paper.onPostcards();
    m_ui->sheetType->setEnabled(!postcards);
    m_ui->faceOutgoing->parentWidget()->setEnabled(m_paper.kind == PaperKind::ReturnPostcard);
    m_ui->offsetX->parentWidget()->setEnabled(postcards);
    m_ui->arabicNumerals->setEnabled(m_paper.vertical);
    showCurrentLabel();
}

void PrintWindow::paperChanged() {
    if (m_showingPaper || !m_ui)
        return;
    m_paper.kind = m_ui->paperPostcard->isChecked() ? PaperKind::Postcard
                   : m_ui->paperReturn->isChecked() ? PaperKind::ReturnPostcard
                                                    : PaperKind::A4Sheets;
    m_paper.face =
        m_ui->faceReply->isChecked() ? ReturnPostcardFace::Reply : ReturnPostcardFace::Outgoing;
    m_paper.offsetMm = {m_ui->offsetX->value(), m_ui->offsetY->value()};
    m_paper.vertical = m_ui->vertical->isChecked();
    m_paper.numbers =
        m_ui->arabicNumerals->isChecked() ? VerticalNumbers::Arabic : VerticalNumbers::Kanji;
    enablePaperControls();
    if (const WriteResult written = writePaperChoice(paperSettingsPath(), m_paper); !written)
        m_ctx.platform.messages.show(written.error);
}

void PrintWindow::printAlignmentPage() {
    QPrinter printer(QPrinter::HighResolution);
    if (!m_ctx.platform.printerDialog.choose(printer))
        return;
    preparePrinter(printer, currentJob());
    const PrintOutcome outcome = renderAlignmentPage(&printer, m_paper.offsetMm);
    if (!outcome.ok)
        m_ctx.platform.messages.show(outcome.error);
}

} // namespace nvl
