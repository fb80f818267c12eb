// The print job of the print window: built from the controls, checked
// before a printer is chosen, and drawn by the one render function.
#include "printwindow.h"
#include "printwindow_ui.h"

#include "fonts.h"
#include "offsetfile.h"
#include "printoutput.h"

#include <QApplication>
#include <QFile>
#include <QPaintEngine>
#include <QPrinter>

namespace nvl {

void PrintWindow::reloadOffsets() {
    QString problem;
    const OffsetRecord offsets =
        readOffsetFile(m_ctx.platform.settingsFileToRead(QStringLiteral("Nuvel.opt")), &problem);
    if (!problem.isEmpty())
        m_ctx.platform.messages.show(problem);
    m_settings.offsets = offsets.steps();
}

bool PrintWindow::fourUp() const {
    return m_ui->fourUpSheet->isChecked();
}

PrintJob PrintWindow::currentJob() const {
    PrintJob job;
    job.records = m_printList;
    // The 連名 of each card, from the one book in memory the list was chosen from.
    const QList<AddressRecord> &book = m_ctx.book.book().records;
    for (const AddressRecord &record : m_printList) {
        const qsizetype row = book.indexOf(record);
        job.jointNames.append(row < 0 ? JointNames()
                                      : jointNamesOf(m_ctx.book.recordData(int(row))));
    }
    job.paper = m_paper.paper(fourUp());
    job.vertical = m_paper.vertical;
    job.numbers = m_paper.numbers;
    job.sheetOffsets = m_settings.offsets;
    job.offsetMm = m_paper.offsetMm;
    job.addressFont = m_settings.addressFont;
    job.postalFont = m_settings.postalFont;
    const SenderEntry &sender = m_senders.at(m_currentSender);
    job.sender = {sender.postalCode, sender.address1, sender.address2, sender.name};
    return job;
}

bool PrintWindow::checkJob(const PrintJob &job) {
    const PrintCheck check = checkPrintJob(job);
    if (!check.stop.isEmpty()) {
        m_ctx.platform.messages.show(check.stop);
        return false;
    }
    return check.warnings.isEmpty() ||
           m_ctx.platform.messages.show(check.warnings + tr("\n\n印刷を続けますか？"),
                                        MessageButtons::OkCancel) == MessageAnswer::Ok;
}

bool PrintWindow::confirmPrinting(QPrinter &printer, PrintJob &job) {
    preparePrinter(printer, job);
    const QString edge = marginProblem(printer.pageLayout(), job);
    if (!edge.isEmpty() &&
        m_ctx.platform.messages.show(edge + tr("\n\n印刷を続けますか？"),
                                     MessageButtons::OkCancel) != MessageAnswer::Ok)
        return false;
    const int sheets = paperLayout(job.paper)->pageCount(job.cardCount());
    if (m_ctx.platform.messages.show(tr("シート数は") + QString::number(sheets) + tr("枚です。"),
                                     MessageButtons::OkCancel) != MessageAnswer::Ok)
        return false;
    // A font uninstalled since it was chosen prints in Mincho; the user is told once.
    QStringList missing;
    for (QString *font : {&job.addressFont, &job.postalFont}) {
        const QString printable = printableFont(*font);
        if (printable != *font && !missing.contains(*font))
            missing.append(*font);
        *font = printable;
    }
    for (const QString &font : missing)
        m_ctx.platform.messages.show(missingFontMessage(font));
    return true;
}

void PrintWindow::printOn(QPrinter &printer, const PrintJob &job) {
    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PrintOutcome outcome = nvl::render(job, &printer);
    if (outcome.ok && pdf)
        outcome = finishPdfFile(printer.outputFileName(), job);
    QApplication::restoreOverrideCursor();
    if (!outcome.ok) {
        // Nothing half-printed may stay queued.
        printer.abort();
        if (pdf)
            QFile::remove(printer.outputFileName());
        m_ctx.platform.messages.show(outcome.error);
    }
}

void PrintWindow::runPrintJob() {
    reloadOffsets();
    PrintJob job = currentJob();
    if (!checkJob(job))
        return;
    QPrinter printer(QPrinter::HighResolution);
    if (!m_ctx.platform.printerDialog.choose(printer) || !confirmPrinting(printer, job))
        return;
    m_ui->printButton->setEnabled(false);
    printOn(printer, job);
    m_ui->printButton->setEnabled(true);
}

void PrintWindow::showSheetPreview() {
    reloadOffsets();
    const PrintJob job = currentJob();
    if (!checkJob(job))
        return;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, job);
    m_ctx.platform.printerDialog.preview(printer, [this, &job](QPrinter *target) {
        // The preview draws through a picture engine, with the card's boxes;
        // its print button through the printer's own, as 印刷 prints.
        const QPaintEngine *engine = target->paintEngine();
        if (engine && engine->type() == QPaintEngine::Picture) {
            nvl::render(job, target, true);
            return;
        }
        PrintJob printed = job;
        if (confirmPrinting(*target, printed))
            printOn(*target, printed);
    });
}

} // namespace nvl
