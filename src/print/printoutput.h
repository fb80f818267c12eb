#pragma once

#include "paperlayout.h"
#include "printjob.h"
#include "printlist.h"

#include <QPointF>
#include <QString>
#include <QStringList>

class QPageLayout;
class QPagedPaintDevice;
class QPainter;
class QPaintDevice;
class QPrinter;

namespace nvl {

class PrinterSurface;

// Why a printer with that page layout would cut off text at the paper's
// edges (its unprintable margin is wider than the job needs); empty when
// it prints everything.
QString marginProblem(const QPageLayout &layout, const PrintJob &job);

// checkPrintJob with the cards laid out in the job's fonts, measured as
// they will print: what does not fit is among the warnings.
PrintCheck checkPrintJobMeasured(const PrintJob &job);

struct PrintOutcome {
    bool ok = true;
    QString error; // Japanese; empty on success
    // Into a PDF: the vertical columns' texts, in drawing order (finishPdf).
    QStringList columnTexts;
};

// Sets a printer to the job's paper, portrait, the whole page painted:
// every printer starts the cards at the same point of the paper.
void preparePrinter(QPrinter &printer, const PrintJob &job);

// Draws every page of the job onto the device (a printer, the preview's,
// a PDF writer), then ends the document. With `guides`, Japan Post's boxes
// are drawn under each card: for the screen only.
PrintOutcome render(const PrintJob &job, QPagedPaintDevice *device, bool guides = false);

// The job as a finished PDF document.
QByteArray renderPdf(const PrintJob &job, PrintOutcome *outcome);

// Card `n` of the job on its own, its boxes drawn, scaled into `target`
// (device pixels) of the painter's device; `surface` is what it is drawn
// through, made on that device by the caller.
void renderCard(const PrintJob &job, int n, PrinterSurface &surface, QPainter &painter,
                const QRectF &target);

// A plain-paper page of the postcard's size: the outlines of the seven
// postal-code boxes and a cross 10 mm from the left and top edges, moved by
// `offsetMm`, to hold against a real postcard.
PrintOutcome renderAlignmentPage(QPagedPaintDevice *device, QPointF offsetMm);

// Names the embedded font subsets of a PDF Qt has written for the job; on
// postcard paper its page boxes are set to the exact size.
QByteArray finishPdf(const QByteArray &pdf, const PrintJob &job, const QStringList &columns = {});
PrintOutcome finishPdfFile(const QString &path, const PrintJob &job,
                           const QStringList &columns = {});

} // namespace nvl
