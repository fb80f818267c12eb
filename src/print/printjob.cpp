// The print job of the print window: offsets, printer, sheet count, digits
// and the layout of the chosen sheet type; and the whole-sheet preview.
#include "printwindow.h"
#include "printwindow_ui.h"

#include "fonts.h"
#include "offsetfile.h"
#include "printoutput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPaintEngine>
#include <QPrinter>

namespace nvl {

void PrintWindow::reloadOffsets() {
    QString problem;
    const OffsetRecord offsets =
        readOffsetFile(m_ctx.platform.settingsFileToRead(QStringLiteral("Nuvel.opt")), &problem);
    if (!problem.isEmpty())
        m_ctx.platform.messages.show(problem);
    m_settings.xSteps = offsets.xSteps();
    m_settings.ySteps = offsets.ySteps();
    m_settings.secondRow = offsets.secondRow;
}

bool PrintWindow::fourUp() const {
    return m_ui->fourUpSheet->isChecked();
}

QString PrintWindow::countSheets() {
    // Postcards: one card, one sheet.
    const QString sheets =
        QString::number(m_paper.onPostcards() ? labelCount() : sheetCount(labelCount(), fourUp()));
    m_settings.sheetCount = sheets;
    return sheets;
}

std::optional<LayoutInput> PrintWindow::layoutInput() {
    LayoutInput input;
    input.printList = m_printList;
    const SenderEntry &sender = m_senders.at(m_currentSender);
    input.sendZip = sender.postalCode;
    input.sendAdd1 = sender.address1;
    input.sendAdd2 = sender.address2;
    input.sendName = sender.name;
    for (const AddressRecord &record : m_printList) {
        const QString code = record.field(AddressRecord::PostalCode);
        const std::optional<ZipDigits> digits = postalDigits(code);
        if (!digits) {
            m_ctx.platform.messages.show(
                tr("「%1」の郵便番号「%2」は印刷できません。\n"
                   "郵便番号は7桁の数字で入力してください。印刷を中止しました。")
                    .arg(record.field(AddressRecord::Name), code));
            return std::nullopt;
        }
        input.zipDigits.append(*digits);
    }
    input.sheetCount = m_settings.sheetCount;
    input.xOffset = m_settings.xSteps;
    input.yOffset = m_settings.ySteps;
    input.secondRow = m_settings.secondRow;
    input.vertical = m_paper.vertical;
    input.numbers = m_paper.numbers;
    // A font uninstalled since it was chosen prints in Mincho; the user is told once.
    QStringList missing;
    for (const auto &[target, chosen] : {std::pair{&input.addressFont, m_settings.addressFont},
                                         std::pair{&input.postalFont, m_settings.postalFont}}) {
        *target = printableFont(chosen);
        if (*target != chosen && !missing.contains(chosen))
            missing.append(chosen);
    }
    for (const QString &font : missing)
        m_ctx.platform.messages.show(missingFontMessage(font));
    return input;
}

bool PrintWindow::confirmPrintWarnings() {
    const QString warning = printWarnings(m_printList);
    return warning.isEmpty() ||
           m_ctx.platform.messages.show(warning + tr("\n\n印刷を続けますか？"),
                                        MessageButtons::OkCancel) == MessageAnswer::Ok;
}

void PrintWindow::runPrintJob() {
    QWidget *printButton = m_ui->printButton;
    if (!confirmPrintWarnings())
        return;
    reloadOffsets();
    QPrinter printer(QPrinter::HighResolution);
    if (!m_ctx.platform.printerDialog.choose(printer)) {
        printButton->setEnabled(true);
        return;
    }
    // Every printer starts the cards at the same point of the paper: the
    // whole page is painted, the printer's own margin taken out by Qt.
    printer.setPageSize(jobPageSize());
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    const QString edge = marginProblem(
        printer.pageLayout(),
        m_paper.onPostcards() ? QPointF(postcard::EdgeMm, postcard::EdgeMm) * postcard::TwipsPerMm
                              : PageOrigin);
    if (!edge.isEmpty() &&
        m_ctx.platform.messages.show(edge + tr("\n\n印刷を続けますか？"),
                                     MessageButtons::OkCancel) != MessageAnswer::Ok) {
        printButton->setEnabled(true);
        return;
    }
    const QString sheets = countSheets();
    if (m_ctx.platform.messages.show(tr("シート数は") + sheets + tr("枚です。"),
                                     MessageButtons::OkCancel) != MessageAnswer::Ok) {
        printButton->setEnabled(true);
        return;
    }
    printButton->setEnabled(false);
    const std::optional<LayoutInput> input = layoutInput();
    if (!input) {
        printButton->setEnabled(true);
        return;
    }

    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PrintOutcome outcome = renderJob(*input, &printer);
    if (outcome.ok && pdf)
        outcome = finishPdfFile(printer.outputFileName(),
                                m_paper.onPostcards() ? m_paper.paperMm() : QSizeF());
    QApplication::restoreOverrideCursor();
    if (!outcome.ok) {
        // Nothing half-printed may stay queued.
        printer.abort();
        if (pdf)
            QFile::remove(printer.outputFileName());
        m_ctx.platform.messages.show(outcome.error);
    }
    printButton->setEnabled(true);
}

void PrintWindow::showSheetPreview() {
    if (!confirmPrintWarnings())
        return;
    reloadOffsets();
    countSheets();
    const std::optional<LayoutInput> input = layoutInput();
    if (!input)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(jobPageSize());
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    m_ctx.platform.printerDialog.preview(printer, [this, &input](QPrinter *target) {
        // The preview draws through a picture engine, its print button
        // through the printer's own: only the preview shows the boxes.
        const QPaintEngine *engine = target->paintEngine();
        renderJob(*input, target, engine && engine->type() == QPaintEngine::Picture);
    });
}

} // namespace nvl
