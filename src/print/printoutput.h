#pragma once

#include "postcardlayout.h"
#include "postcardpaper.h"

#include <QPointF>
#include <QString>

class QPageLayout;
class QPagedPaintDevice;

namespace nvl {

// Where twip (0, 0) of the layouts lies, in twips from the paper's corner,
// on every printer and in every PDF: chosen so the postal-code digits sit
// centred in the boxes of real postcards.
constexpr QPointF PageOrigin(174, 188);

// Why a printer with that page layout would cut off text at the paper's
// edges (its unprintable margin is wider than PageOrigin); empty when it
// prints everything.
QString marginProblem(const QPageLayout &layout, QPointF originTwips = PageOrigin);

struct PrintOutcome {
    bool ok = true;
    QString error; // Japanese; empty on success
};

// Draws all sheets of the job onto the device with the layout of the
// sheet type, then ends the document.
PrintOutcome renderCards(const LayoutInput &input, bool fourUp, QPagedPaintDevice *device,
                         QPointF origin);

// The whole job as a PDF document on A4 paper, its fonts named as subsets.
QByteArray renderCardsToPdf(const LayoutInput &input, bool fourUp, PrintOutcome *outcome);

// One postcard a page on postcard paper (100 × 148 mm), drawn from the
// paper's corner, moved by `offsetMm`.
// With `guides`, Japan Post's boxes are drawn too: for the preview only.
PrintOutcome renderPostcards(const LayoutInput &input, QPagedPaintDevice *device,
                             QPointF offsetMm = {}, bool guides = false);
// The same as a PDF whose pages are exactly 100 × 148 mm.
QByteArray renderPostcardsToPdf(const LayoutInput &input, PrintOutcome *outcome);

// Return postcards (200 × 148 mm), one face of each a page.
PrintOutcome renderReturnPostcards(const LayoutInput &input, ReturnPostcardFace face,
                                   QPagedPaintDevice *device, QPointF offsetMm = {},
                                   bool guides = false);
QByteArray renderReturnPostcardsToPdf(const LayoutInput &input, ReturnPostcardFace face,
                                      PrintOutcome *outcome);

// A plain-paper page of the postcard's size: the outlines of the seven
// postal-code boxes and a cross 10 mm from the left and top edges, moved by
// `offsetMm`, to hold against a real postcard.
PrintOutcome renderAlignmentPage(QPagedPaintDevice *device, QPointF offsetMm);

// Names the embedded font subsets of a PDF file Qt has just written.
// On postcard paper (`paperMm` given) its page boxes are set to the exact size.
PrintOutcome finishPdfFile(const QString &path, QSizeF paperMm = {});

} // namespace nvl
