#pragma once

#include "postcardlayout.h"

#include <QPointF>
#include <QString>

class QPagedPaintDevice;

namespace nvl {

// Where twip (0, 0) of the layouts lies on a page that has no unprintable
// margin (PDF, preview), in twips from the paper's corner: chosen so the
// postal-code digits sit centred in the boxes of real postcards.
constexpr QPointF PageOrigin(174, 188);

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

// Names the embedded font subsets of a PDF file Qt has just written.
PrintOutcome finishPdfFile(const QString &path);

} // namespace nvl
