// Laying out and printing 300 postcards (75 sheets): the layout alone on the
// recording surface, and the whole PDF document, on A4 sheets and on
// postcard paper.
#include "fonts.h"
#include "paperlayout.h"
#include "postcardlayout.h"
#include "printoutput.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

nvl::PrintJob fullJob() {
    nvl::PrintJob in;
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
        in.records.append(r);
    }
    in.sender = {QStringLiteral("530-0001"), QStringLiteral("大阪府大阪市北区梅田1-1"),
                 QStringLiteral("梅田ビル 5F"), QStringLiteral("佐藤 一郎")};
    in.addressFont = in.postalFont = nvl::MinchoFontName;
    return in;
}

void BM_Layout300(benchmark::State &state) {
    const nvl::PrintJob in = fullJob();
    for (auto _ : state) {
        nvl::RecordingSurface surface;
        nvl::drawJob(in, *nvl::sheetLayout(true), surface);
        benchmark::DoNotOptimize(surface.items.size());
    }
}
BENCHMARK(BM_Layout300)->Unit(benchmark::kMicrosecond);

void BM_Pdf300(benchmark::State &state) {
    const nvl::PrintJob in = fullJob();
    qint64 bytes = 0;
    for (auto _ : state) {
        nvl::PrintOutcome outcome;
        const QByteArray pdf = nvl::renderPdf(in, &outcome);
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
    nvl::PrintJob in = fullJob();
    in.paper = nvl::Paper::Postcard;
    qint64 bytes = 0;
    for (auto _ : state) {
        nvl::PrintOutcome outcome;
        const QByteArray pdf = nvl::renderPdf(in, &outcome);
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
