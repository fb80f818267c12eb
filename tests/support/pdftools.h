#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

namespace nvl::test {

// A word of a PDF page as pdftotext -bbox reports it, in points.
struct PdfWord {
    int page;
    QRectF box;
    QString text;
};

QList<PdfWord> pdfWords(const QString &pdf);
// The text in the order it was drawn (pdftotext -raw), line breaks removed:
// a vertical column, a character a line, reads as one string.
QString pdfDrawnText(const QString &pdf);
int pdfPageCount(const QString &pdf);
// The fonts pdffonts lists (names without the subset prefix).
QStringList pdfFonts(const QString &pdf);
// True when every font pdffonts lists is embedded as a subset.
bool pdfFontsListSubsets(const QString &pdf);
// Page `page` (from 1) rendered in grey at `dpi`.
// A page as a grey picture; `crop` (in pixels at that resolution) renders
// only that part, its top-left at (0, 0) of the picture.
QImage renderPdfPage(const QString &pdf, int page, int dpi, const QRect &crop = {});
// Centre of the dark pixels inside `area` (pixels), or a null point.
QPointF inkCentre(const QImage &image, const QRect &area);

} // namespace nvl::test
