#pragma once

#include "printersurface.h"
#include "printjob.h"

#include <QRectF>
#include <QSizeF>
#include <memory>

namespace nvl {

// How one paper carries the cards of a job: its page, how many cards a
// page, and how card n is drawn at its place.
class PaperLayout {
public:
    virtual ~PaperLayout() = default;

    virtual QSizeF pageMm() const = 0;
    virtual int cardsPerPage() const = 0;
    // Where twip (0, 0) of the drawing lies, in twips from the paper's corner.
    virtual QPointF originTwips() const = 0;
    // The address side card `n` is printed on (100 × 148 mm), in twips from
    // the origin, on its page.
    virtual QRectF cardTwips(int n) const = 0;
    // Draws card `n` of the job where it goes on its page.
    virtual void drawCard(const PrintJob &job, int n, PrinterSurface &surface) const = 0;

    int pageOf(int n) const { return n / cardsPerPage(); }
    int pageCount(int cards) const { return (cards + cardsPerPage() - 1) / cardsPerPage(); }
};

std::unique_ptr<PaperLayout> paperLayout(Paper paper);

// Every card of the job, a new page where a page is full.
void drawJob(const PrintJob &job, const PaperLayout &layout, PrinterSurface &surface);

// The layouts of each paper, chosen by paperLayout().
std::unique_ptr<PaperLayout> sheetLayout(bool fourUp);
std::unique_ptr<PaperLayout> postcardLayout();
std::unique_ptr<PaperLayout> returnPostcardLayout(bool replyFace);

} // namespace nvl
