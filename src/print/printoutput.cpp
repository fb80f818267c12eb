#include "printoutput.h"

#include "paintersurface.h"
#include "pdfsubsetnames.h"
#include "postcardpaper.h"
#include "textfile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <memory>

namespace nvl {

QString marginProblem(const QPageLayout &layout, const PrintJob &job) {
    // Postcards are printed up to postcard::EdgeMm from their edges.
    const QPointF originTwips =
        job.onPostcards() ? QPointF(postcard::EdgeMm, postcard::EdgeMm) * postcard::TwipsPerMm
                          : paperLayout(job.paper)->originTwips();
    QPageLayout inMillimetres = layout;
    inMillimetres.setUnits(QPageLayout::Millimeter);
    const QMarginsF minimum = inMillimetres.minimumMargins();
    constexpr double MmPerTwip = 25.4 / 1440;
    const double side = originTwips.x() * MmPerTwip;
    const double end = originTwips.y() * MmPerTwip;
    // The sheet's cards lie as far from the right and bottom edges as from
    // the left and top ones.
    const double widest = std::max({minimum.left() - side, minimum.right() - side,
                                    minimum.top() - end, minimum.bottom() - end});
    if (widest <= 0.05)
        return {};
    const double needed =
        std::max({minimum.left(), minimum.right(), minimum.top(), minimum.bottom()});
    return QCoreApplication::translate(
               "nvl::PrintOutput",
               "このプリンターは用紙の端から %1 mm の内側までしか印刷できません。はがきの"
               "端に近い文字（%2 mm より外側）は欠けることがあります。")
        .arg(QString::number(needed, 'f', 1), QString::number(std::min(side, end), 'f', 1));
}

namespace {

constexpr double PointsPerMm = 72 / 25.4;

// Japan Post's boxes as thin red outlines, where the card's own are.
void drawBoxGuides(QPainter &painter, QPointF cornerTwips) {
    constexpr double T = postcard::TwipsPerMm;
    painter.save();
    QPen pen(QColor(0xd2, 0x22, 0x22));
    pen.setWidthF(0.15 * T);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const double left : postcard::BoxLeftMm)
        painter.drawRect(QRectF(cornerTwips.x() + left * T,
                                cornerTwips.y() + postcard::BoxTopMm * T, postcard::BoxWidthMm * T,
                                postcard::BoxHeightMm * T));
    painter.restore();
}

QPageSize pageSizeOf(const PaperLayout &layout) {
    const QSizeF mm = layout.pageMm();
    if (mm == QSizeF(210, 297))
        return QPageSize(QPageSize::A4);
    return QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

PrintOutcome failed(const char *text) {
    return {false, QCoreApplication::translate("nvl::PrintOutput", text), {}};
}

} // namespace

void preparePrinter(QPrinter &printer, const PrintJob &job) {
    const QPageSize size = pageSizeOf(*paperLayout(job.paper));
    // The preview asks for its pages again and again: only a change is set.
    if (!printer.pageLayout().pageSize().isEquivalentTo(size))
        printer.setPageSize(size);
    if (printer.pageLayout().orientation() != QPageLayout::Portrait)
        printer.setPageOrientation(QPageLayout::Portrait);
    if (!printer.fullPage())
        printer.setFullPage(true);
}

PrintOutcome render(const PrintJob &job, QPagedPaintDevice *device, bool guides) {
    const std::unique_ptr<PaperLayout> layout = paperLayout(job.paper);
    if (auto *printer = dynamic_cast<QPrinter *>(device))
        preparePrinter(*printer, job);
    else if (device)
        device->setPageLayout(
            QPageLayout(pageSizeOf(*layout), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    PainterSurface surface(device, layout->originTwips());
    if (!surface.begin())
        return failed("印刷を開始できませんでした。");
    // Into a PDF, vertical columns are marked for finishPdf.
    const auto *printer = dynamic_cast<QPrinter *>(device);
    surface.markColumns(dynamic_cast<QPdfWriter *>(device) ||
                        (printer && printer->outputFormat() == QPrinter::PdfFormat));
    for (int n = 0; n < job.cardCount(); ++n) {
        if (n > 0 && layout->pageOf(n) != layout->pageOf(n - 1))
            surface.newPage();
        if (guides)
            drawBoxGuides(surface.painter(), layout->cardTwips(n).topLeft());
        layout->drawCard(job, n, surface);
    }
    if (!surface.endDocument())
        return failed("印刷を終了できませんでした。");
    PrintOutcome done;
    done.columnTexts = surface.columnTexts();
    return done;
}

QByteArray renderPdf(const PrintJob &job, PrintOutcome *outcome) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("nvl-hagaki"));
        writer.setResolution(1200);
        *outcome = render(job, &writer);
    }
    return outcome->ok ? finishPdf(buffer.data(), job, outcome->columnTexts) : QByteArray();
}

void renderCard(const PrintJob &job, int n, PrinterSurface &surface, QPainter &painter,
                const QRectF &target) {
    const std::unique_ptr<PaperLayout> layout = paperLayout(job.paper);
    const QRectF card = layout->cardTwips(n);
    painter.resetTransform();
    painter.translate(target.topLeft());
    painter.scale(target.width() / card.width(), target.height() / card.height());
    painter.translate(-card.topLeft());
    painter.fillRect(card, Qt::white);
    drawBoxGuides(painter, card.topLeft());
    painter.setPen(Qt::black);
    if (n >= 0 && n < job.cardCount())
        layout->drawCard(job, n, surface);
}

PrintOutcome renderAlignmentPage(QPagedPaintDevice *device, QPointF offsetMm) {
    QPainter painter;
    if (!device || !painter.begin(device))
        return failed("印刷を開始できませんでした。");
    // Millimetres from the paper's corner.
    painter.scale(device->logicalDpiX() / 25.4, device->logicalDpiY() / 25.4);
    painter.translate(offsetMm);
    QPen pen(Qt::black);
    pen.setWidthF(0.2);
    painter.setPen(pen);
    for (const double left : postcard::BoxLeftMm)
        painter.drawRect(
            QRectF(left, postcard::BoxTopMm, postcard::BoxWidthMm, postcard::BoxHeightMm));
    constexpr double Cross = 10.0;
    painter.drawLine(QPointF(Cross - 4, Cross), QPointF(Cross + 4, Cross));
    painter.drawLine(QPointF(Cross, Cross - 4), QPointF(Cross, Cross + 4));
    if (!painter.end())
        return failed("印刷を終了できませんでした。");
    return {};
}

QByteArray finishPdf(const QByteArray &pdf, const PrintJob &job, const QStringList &columns) {
    const QByteArray tagged = tagSubsetFontNames(columnsAsText(pdf, columns));
    if (!job.onPostcards())
        return tagged;
    // Qt's writer rounds a page size it does not know.
    const QSizeF mm = paperLayout(job.paper)->pageMm();
    return exactPageBoxes(tagged, mm.width() * PointsPerMm, mm.height() * PointsPerMm);
}

PrintOutcome finishPdfFile(const QString &path, const PrintJob &job, const QStringList &columns) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return {
            false,
            QCoreApplication::translate("nvl::PrintOutput", "PDF ファイル「%1」を読み直せません。")
                .arg(path),
            {}};
    const QByteArray original = in.readAll();
    in.close();
    const QByteArray finished = finishPdf(original, job, columns);
    if (finished == original)
        return {};
    const WriteResult written = replaceFileContents(path, finished);
    if (!written)
        return {false, written.error, {}};
    return {};
}

PrintCheck checkPrintJobMeasured(const PrintJob &job) {
    // A small picture to measure on: nothing is drawn on it.
    QImage picture(8, 8, QImage::Format_ARGB32_Premultiplied);
    PainterSurface measuring(&picture);
    if (!measuring.begin())
        return checkPrintJob(job);
    PrintCheck check = checkPrintJob(job, &measuring);
    measuring.endDocument();
    return check;
}

} // namespace nvl
