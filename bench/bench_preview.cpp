// 印刷プレビュー of 300 postcards, across and down: the time from opening
// the preview to its first page on screen, and the peak memory. Qt's
// preview draws every page before it shows the first. Run it on a display
// (tests/support/xvfb-run.sh).
#include "fonts.h"
#include "printoutput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <cstdio>

namespace {

nvl::PrintJob job(bool vertical) {
    nvl::PrintJob in;
    for (int i = 1; i <= 300; ++i) {
        nvl::AddressRecord r;
        r.setField(nvl::AddressRecord::Name, QStringLiteral("山田 太郎%1").arg(i));
        r.setField(nvl::AddressRecord::Address1, QStringLiteral("東京都千代田区丸の内%1").arg(i));
        r.setField(nvl::AddressRecord::Address2, QStringLiteral("一丁目2番3号"));
        r.setField(nvl::AddressRecord::PostalCode, QStringLiteral("100-0005"));
        r.setField(nvl::AddressRecord::Honorific, QString::number(i % 6));
        r.setField(nvl::AddressRecord::Address3, QStringLiteral("ＮＶＬビル %1階").arg(i % 30));
        in.records.append(r);
    }
    in.paper = nvl::Paper::Postcard;
    in.vertical = vertical;
    in.sender = {QStringLiteral("530-0001"), QStringLiteral("大阪府大阪市北区梅田1-1"),
                 QStringLiteral("梅田ビル 5F"), QStringLiteral("佐藤 一郎")};
    in.addressFont = in.postalFont = nvl::MinchoFontName;
    return in;
}

long peakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
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
