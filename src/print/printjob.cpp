// The print job of the print window: built from the controls, checked
// before a printer is chosen, and drawn by the one render function.
#include "outputcheck.h"
#include "printwindow.h"
#include "printwindow_ui.h"

#include "bookquestions.h"
#include "fonts.h"
#include "logging.h"
#include "offsetfile.h"
#include "printoutput.h"
#include "recorddata.h"

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
    for (qsizetype i = 0; i < m_printList.size(); ++i) {
        const int number = m_printNumbers.value(i);
        const bool inBook = number >= 1 && number <= m_ctx.book.recordCount() &&
                            m_ctx.book.record(number) == m_printList.at(i);
        job.jointNames.append(inBook ? jointNamesOf(m_ctx.book.recordData(number - 1))
                                     : JointNames());
        job.mourning.append(
            inBook &&
            (yearMarksOf(m_ctx.book.recordData(number - 1)).value(m_ctx.currentCardYear()) &
             int(YearMark::Mourning)));
        if (inBook)
            job.records[i] = printedRecord(m_printList.at(i), m_ctx.book.recordData(number - 1));
    }
    job.cardYear = m_ctx.currentCardYear();
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
    const PrintCheck check = checkPrintJobMeasured(job);
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

bool PrintWindow::printOn(QPrinter &printer, const PrintJob &job) {
    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat;
    // A PDF is written as it is drawn: the open book is refused before.
    if (pdf) {
        if (const QString refused = refusedOutput(m_ctx.book.filePath(), printer.outputFileName());
            !refused.isEmpty()) {
            m_ctx.platform.messages.show(refused);
            return false;
        }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PrintOutcome outcome = nvl::render(job, &printer);
    if (outcome.ok && pdf)
        outcome = finishPdfFile(printer.outputFileName(), job, outcome.columnTexts);
    qCInfo(lcPrint).noquote() << "printed" << job.cardCount() << "cards to"
                              << (pdf ? printer.outputFileName() : printer.printerName()) << ":"
                              << (outcome.ok ? QStringLiteral("done") : outcome.error);
    QApplication::restoreOverrideCursor();
    if (!outcome.ok) {
        // Nothing half-printed may stay queued.
        printer.abort();
        if (pdf)
            QFile::remove(printer.outputFileName());
        m_ctx.platform.messages.show(outcome.error);
    }
    return outcome.ok;
}

void PrintWindow::offerToMarkSent() {
    QList<int> numbers;
    for (qsizetype i = 0; i < m_printList.size(); ++i) {
        const int number = m_printNumbers.value(i);
        if (number >= 1 && number <= m_ctx.book.recordCount() &&
            m_ctx.book.record(number) == m_printList.at(i) && !numbers.contains(number))
            numbers.append(number);
    }
    const QString path = m_ctx.book.filePath();
    if (numbers.isEmpty() || path.isEmpty())
        return;
    const std::optional<int> year =
        m_ctx.platform.printerDialog.askSentYear(int(numbers.size()), m_ctx.currentCardYear());
    if (!year)
        return;
    // Marked under the book's lock, and saved at once through the one save
    // path: only the companion changes.
    const EditLock lock(m_ctx.platform, m_ctx.book);
    if (!lock.ok()) {
        m_ctx.platform.messages.show(lock.error() + tr("\n送付は記録していません。"));
        return;
    }
    const QList<QJsonObject> before = m_ctx.book.recordDataList();
    for (const int number : std::as_const(numbers))
        m_ctx.book.setRecordData(
            number - 1, withMark(m_ctx.book.recordData(number - 1), *year, YearMark::Sent, true));
    const BookDocument::Saved saved = m_ctx.book.save(askAboutChangedBook(m_ctx.platform));
    if (!saved.ok()) {
        // Not kept in memory either: what is on screen is what is stored.
        for (const int number : std::as_const(numbers))
            m_ctx.book.setRecordData(number - 1, before.at(number - 1));
        if (saved.outcome == BookDocument::Saved::Outcome::Failed)
            m_ctx.platform.messages.show(saved.error + tr("\n送付は記録していません。"));
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
    const bool printed = printOn(printer, job);
    m_ui->printButton->setEnabled(true);
    if (printed)
        offerToMarkSent();
}

void PrintWindow::showSheetPreview() {
    reloadOffsets();
    const PrintJob job = currentJob();
    // Looking is harmless: a card that cannot be printed is named, and the
    // others are shown; only printing stops at it.
    const PrintCheck check = checkPrintJobMeasured(job);
    if (!check.stop.isEmpty())
        m_ctx.platform.messages.show(
            check.stop + tr("\n\nプレビューは表示しますが、このままでは印刷できません。"));
    else if (!check.warnings.isEmpty() &&
             m_ctx.platform.messages.show(check.warnings + tr("\n\n印刷を続けますか？"),
                                          MessageButtons::OkCancel) != MessageAnswer::Ok)
        return;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, job);
    bool printed = false;
    m_ctx.platform.printerDialog.preview(printer, [this, &job, &check, &printed](QPrinter *target) {
        // The preview draws through a picture engine, with the card's boxes;
        // its print button through the printer's own, as 印刷 prints.
        const QPaintEngine *engine = target->paintEngine();
        if (engine && engine->type() == QPaintEngine::Picture) {
            nvl::render(job, target, true);
            return;
        }
        if (!check.stop.isEmpty()) {
            m_ctx.platform.messages.show(check.stop);
            return;
        }
        PrintJob confirmed = job;
        if (confirmPrinting(*target, confirmed) && printOn(*target, confirmed))
            printed = true;
    });
    // Asked once the preview is closed.
    if (printed)
        offerToMarkSent();
}

} // namespace nvl
