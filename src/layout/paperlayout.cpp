#include "paperlayout.h"

namespace nvl {

std::unique_ptr<PaperLayout> paperLayout(Paper paper) {
    switch (paper) {
    case Paper::A4FourUp:
        return sheetLayout(true);
    case Paper::A4TwoUp:
        return sheetLayout(false);
    case Paper::Postcard:
        return postcardLayout();
    case Paper::ReturnOutgoing:
        return returnPostcardLayout(false);
    case Paper::ReturnReply:
        return returnPostcardLayout(true);
    }
    return sheetLayout(true);
}

void drawJob(const PrintJob &job, const PaperLayout &layout, PrinterSurface &surface) {
    for (int n = 0; n < job.cardCount(); ++n) {
        if (n > 0 && layout.pageOf(n) != layout.pageOf(n - 1))
            surface.newPage();
        layout.drawCard(job, n, surface);
    }
}

} // namespace nvl
