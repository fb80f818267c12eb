// 印刷プレビュー of 300 postcards, across and down: the time from opening
// the preview to its first page on screen, and the peak memory. Qt's
// preview draws every page before it shows the first. Run it on a display
// (tests/support/xvfb-run.sh).
#include "benchjob.h"
#include "fonts.h"
#include "printoutput.h"

#include "residentsize.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <cstdio>

namespace {

nvl::PrintJob job(bool vertical) {
    nvl::PrintJob in = benchJob();
    in.paper = nvl::Paper::Postcard;
    in.vertical = vertical;
    return in;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    nvl::installFontSubstitutions();
    const bool vertical = argc > 1 && QByteArray(argv[1]) == "--vertical";
    const nvl::PrintJob cards = job(vertical);
    QPrinter printer(QPrinter::HighResolution);
    nvl::preparePrinter(printer, cards);
    QPrintPreviewDialog dialog(&printer);
    double drawing = 0;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *target) {
        QElapsedTimer drawn;
        drawn.start();
        nvl::render(cards, target, true);
        drawing = double(drawn.nsecsElapsed()) / 1e6;
    });
    auto *preview = dialog.findChild<QPrintPreviewWidget *>();
    if (!preview)
        return 1;
    QElapsedTimer timer;
    double firstPage = -1;
    bool drawn = false;
    QObject::connect(preview, &QPrintPreviewWidget::previewChanged, &dialog,
                     [&] { drawn = preview->pageCount() > 0; });
    timer.start();
    dialog.show();
    while (!drawn && timer.elapsed() < 60000)
        QCoreApplication::processEvents();
    if (drawn) {
        preview->grab(); // the first page on screen
        firstPage = double(timer.nsecsElapsed()) / 1e6;
    }
    std::printf("%s: first page after %.0f ms (drawing the pages %.0f ms), %d pages, peak %ld kB\n",
                vertical ? "vertical" : "horizontal", firstPage, drawing, preview->pageCount(),
                peakKb());
    return firstPage >= 0 ? 0 : 1;
}
