#include "printoutput.h"

#include "paintersurface.h"
#include "pdfsubsetnames.h"
#include "postcardpaper.h"
#include "textfile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <memory>

namespace nvl {

QString marginProblem(const QPageLayout &layout, QPointF originTwips) {
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

// Japan Post's boxes as thin red outlines, where the card's own are.
void drawBoxGuides(QPainter &painter) {
    constexpr double T = postcard::TwipsPerMm;
    painter.save();
    QPen pen(QColor(0xd2, 0x22, 0x22));
    pen.setWidthF(0.15 * T);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const double left : postcard::BoxLeftMm)
        painter.drawRect(QRectF(left * T, postcard::BoxTopMm * T, postcard::BoxWidthMm * T,
                                postcard::BoxHeightMm * T));
    painter.restore();
}

// Each page shows the card's boxes under what is printed: for the preview.
class GuidedSurface : public PainterSurface {
public:
    using PainterSurface::PainterSurface;
    void drawGuides() { drawBoxGuides(painter()); }
    void newPage() override {
        PainterSurface::newPage();
        drawGuides();
    }
};

template <typename Draw>
PrintOutcome renderOnDevice(QPagedPaintDevice *device, Draw draw, bool guides = false,
                            QPointF origin = {}) {
    std::unique_ptr<PainterSurface> owned = guides
                                                ? std::make_unique<GuidedSurface>(device, origin)
                                                : std::make_unique<PainterSurface>(device, origin);
    PainterSurface &surface = *owned;
    if (!surface.begin())
        return {false,
                QCoreApplication::translate("nvl::PrintOutput", "印刷を開始できませんでした。")};
    if (guides)
        static_cast<GuidedSurface &>(surface).drawGuides();
    draw(surface);
    if (!surface.endDocument())
        return {false,
                QCoreApplication::translate("nvl::PrintOutput", "印刷を終了できませんでした。")};
    return {};
}

// The job as a PDF on `paper`. A card drawn from its own geometry gets page
// boxes of exactly its size (`exactBoxes`), which Qt's writer rounds.
template <typename Draw>
QByteArray renderPaperToPdf(const QPageSize &paper, PrintOutcome *outcome, Draw draw,
                            bool exactBoxes = true, QPointF origin = {}) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("nvl-hagaki"));
        writer.setResolution(1200);
        writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        *outcome = renderOnDevice(&writer, draw, false, origin);
    }
    if (!outcome->ok)
        return {};
    if (!exactBoxes)
        return tagSubsetFontNames(buffer.data());
    const QSizeF paperMm = paper.size(QPageSize::Millimeter);
    constexpr double PointsPerMm = 72 / 25.4;
    return exactPageBoxes(tagSubsetFontNames(buffer.data()), paperMm.width() * PointsPerMm,
                          paperMm.height() * PointsPerMm);
}

QPageSize cardPaper(double widthMm) {
    return QPageSize(QSizeF(widthMm, postcard::HeightMm), QPageSize::Millimeter, QString(),
                     QPageSize::ExactMatch);
}

// The A4 sheets: four cards or two return postcards a sheet.
void drawSheets(const LayoutInput &input, bool fourUp, PrinterSurface &surface) {
    if (fourUp)
        drawFourUpSheets(input, surface);
    else
        drawReturnCardSheets(input, surface);
}

} // namespace

PrintOutcome renderCards(const LayoutInput &input, bool fourUp, QPagedPaintDevice *device,
                         QPointF origin) {
    return renderOnDevice(
        device, [&](PrinterSurface &surface) { drawSheets(input, fourUp, surface); }, false,
        origin);
}

QByteArray renderCardsToPdf(const LayoutInput &input, bool fourUp, PrintOutcome *outcome) {
    return renderPaperToPdf(
        QPageSize(QPageSize::A4), outcome,
        [&](PrinterSurface &surface) { drawSheets(input, fourUp, surface); }, false, PageOrigin);
}

PrintOutcome renderPostcards(const LayoutInput &input, QPagedPaintDevice *device, QPointF offsetMm,
                             bool guides) {
    return renderOnDevice(
        device, [&](PrinterSurface &surface) { drawPostcardPages(input, surface, offsetMm); },
        guides);
}

QByteArray renderPostcardsToPdf(const LayoutInput &input, PrintOutcome *outcome) {
    return renderPaperToPdf(cardPaper(postcard::WidthMm), outcome,
                            [&](PrinterSurface &surface) { drawPostcardPages(input, surface); });
}

PrintOutcome renderReturnPostcards(const LayoutInput &input, ReturnPostcardFace face,
                                   QPagedPaintDevice *device, QPointF offsetMm, bool guides) {
    return renderOnDevice(
        device,
        [&](PrinterSurface &surface) { drawReturnPostcardPages(input, surface, face, offsetMm); },
        guides);
}

QByteArray renderReturnPostcardsToPdf(const LayoutInput &input, ReturnPostcardFace face,
                                      PrintOutcome *outcome) {
    return renderPaperToPdf(
        cardPaper(ReturnPostcardWidthMm), outcome,
        [&](PrinterSurface &surface) { drawReturnPostcardPages(input, surface, face); });
}

PrintOutcome renderAlignmentPage(QPagedPaintDevice *device, QPointF offsetMm) {
    QPainter painter;
    if (!device || !painter.begin(device))
        return {false,
                QCoreApplication::translate("nvl::PrintOutput", "印刷を開始できませんでした。")};
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
        return {false,
                QCoreApplication::translate("nvl::PrintOutput", "印刷を終了できませんでした。")};
    return {};
}

PrintOutcome finishPdfFile(const QString &path, QSizeF paperMm) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return {false, QCoreApplication::translate("nvl::PrintOutput",
                                                   "PDF ファイル「%1」を読み直せません。")
                           .arg(path)};
    const QByteArray original = in.readAll();
    in.close();
    constexpr double PointsPerMm = 72 / 25.4;
    const QByteArray tagged = paperMm.isValid() ? exactPageBoxes(tagSubsetFontNames(original),
                                                                 paperMm.width() * PointsPerMm,
                                                                 paperMm.height() * PointsPerMm)
                                                : tagSubsetFontNames(original);
    if (tagged == original)
        return {};
    const WriteResult written = replaceFileContents(path, tagged);
    if (!written)
        return {false, written.error};
    return {};
}

} // namespace nvl
