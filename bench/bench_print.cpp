// Laying out and printing 300 postcards (75 sheets): the layout alone on the
// recording surface, and the whole PDF document, on A4 sheets and on
// postcard paper.
#include "fonts.h"
#include "postcardlayout.h"
#include "printoutput.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

nvl::LayoutInput fullJob() {
    nvl::LayoutInput in;
    for (int i = 1; i <= 300; ++i) {
        nvl::AddressRecord r;
        r.setField(nvl::AddressRecord::Name, QStringLiteral("山田 太郎%1").arg(i));
        r.setField(nvl::AddressRecord::Address1, QStringLiteral("東京都千代田区丸の内%1").arg(i));
        r.setField(nvl::AddressRecord::Address2, QStringLiteral("一丁目2番3号"));
        r.setField(nvl::AddressRecord::PostalCode,
                   QStringLiteral("100-%1").arg(i, 4, 10, QChar(u'0')));
        r.setField(nvl::AddressRecord::Code, QStringLiteral("C%1").arg(i));
        r.setField(nvl::AddressRecord::Honorific, QString::number(i % 6));
        r.setField(nvl::AddressRecord::Address3, QStringLiteral("ＮＶＬビル %1階").arg(i % 30));
        in.printList.append(r);
        in.zipDigits.append(*nvl::postalDigits(r.field(nvl::AddressRecord::PostalCode)));
    }
    in.sendZip = QStringLiteral("530-0001");
    in.sendAdd1 = QStringLiteral("大阪府大阪市北区梅田1-1");
    in.sendAdd2 = QStringLiteral("梅田ビル 5F");
    in.sendName = QStringLiteral("佐藤 一郎");
    in.sheetCount = QStringLiteral("75");
    in.xOffset = in.yOffset = in.secondRow = QStringLiteral("0");
    in.addressFont = in.postalFont = nvl::MinchoFontName;
    return in;
}

void BM_Layout300(benchmark::State &state) {
    const nvl::LayoutInput in = fullJob();
    for (auto _ : state) {
        nvl::RecordingSurface surface;
        nvl::drawFourUpSheets(in, surface);
        benchmark::DoNotOptimize(surface.items.size());
    }
}
BENCHMARK(BM_Layout300)->Unit(benchmark::kMicrosecond);

void BM_Pdf300(benchmark::State &state) {
    const nvl::LayoutInput in = fullJob();
    qint64 bytes = 0;
    for (auto _ : state) {
        nvl::PrintOutcome outcome;
        const QByteArray pdf = nvl::renderCardsToPdf(in, true, &outcome);
        if (!outcome.ok)
            state.SkipWithError("render failed");
        bytes = pdf.size();
    }
    state.counters["pdf_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Pdf300)->Unit(benchmark::kMillisecond);

// The same 300 on postcard paper: 300 pages instead of 75. Compare its CPU
// time with BM_Pdf300 of the same run (target: at most 1.5 times).
void BM_Pdf300Postcards(benchmark::State &state) {
    const nvl::LayoutInput in = fullJob();
    qint64 bytes = 0;
    for (auto _ : state) {
        nvl::PrintOutcome outcome;
        const QByteArray pdf = nvl::renderPostcardsToPdf(in, &outcome);
        if (!outcome.ok)
            state.SkipWithError("render failed");
        bytes = pdf.size();
    }
    state.counters["pdf_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Pdf300Postcards)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    nvl::installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
