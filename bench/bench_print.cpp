// Laying out and printing 300 postcards: the layout alone on the recording
// surface, and the whole PDF document on every paper and direction, with
// fields of a normal length and of 1,000 characters.
#include "benchjob.h"
#include "fonts.h"
#include "paperlayout.h"
#include "postcardlayout.h"
#include "printoutput.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <ctime>

namespace {

void BM_Layout300(benchmark::State &state) {
    const nvl::PrintJob in = benchJob();
    for (auto _ : state) {
        nvl::RecordingSurface surface;
        nvl::drawJob(in, *nvl::sheetLayout(true), surface);
        benchmark::DoNotOptimize(surface.items.size());
    }
}
BENCHMARK(BM_Layout300)->Unit(benchmark::kMicrosecond);

double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

QByteArray render(const nvl::PrintJob &in, benchmark::State &state) {
    nvl::PrintOutcome outcome;
    QByteArray pdf = nvl::renderPdf(in, &outcome);
    if (!outcome.ok)
        state.SkipWithError("render failed");
    return pdf;
}

// The A4 four-up job's CPU time, which every other job is compared with.
double a4Cpu() {
    static const double seconds = [] {
        const nvl::PrintJob in = benchJob();
        const double start = cpuSeconds();
        constexpr int Runs = 3;
        for (int i = 0; i < Runs; ++i) {
            nvl::PrintOutcome outcome;
            benchmark::DoNotOptimize(nvl::renderPdf(in, &outcome).size());
        }
        return (cpuSeconds() - start) / Runs;
    }();
    return seconds;
}

// 300 cards on each paper, across and down, as a whole PDF; cpu_vs_a4 is
// the CPU time against the horizontal A4 four-up job's.
void BM_Pdf300(benchmark::State &state) {
    nvl::PrintJob in = benchJob();
    in.paper = static_cast<nvl::Paper>(state.range(0));
    in.vertical = state.range(1) != 0;
    qint64 bytes = 0;
    const double start = cpuSeconds();
    for (auto _ : state)
        bytes = render(in, state).size();
    const double perRun = (cpuSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["pdf_bytes"] = static_cast<double>(bytes);
    state.counters["cpu_vs_a4"] = perRun / a4Cpu();
}
BENCHMARK(BM_Pdf300)
    ->ArgsProduct({{int(nvl::Paper::A4FourUp), int(nvl::Paper::A4TwoUp), int(nvl::Paper::Postcard),
                    int(nvl::Paper::ReturnOutgoing), int(nvl::Paper::ReturnReply)},
                   {0, 1}})
    ->ArgNames({"paper", "vertical"})
    ->Unit(benchmark::kMillisecond);

// Every field 1,000 characters long: fitting must stay near linear.
void BM_Pdf300LongFields(benchmark::State &state) {
    nvl::PrintJob in = benchJob();
    in.paper = nvl::Paper::Postcard;
    in.vertical = state.range(0) != 0;
    for (nvl::AddressRecord &r : in.records)
        for (const int field :
             {nvl::AddressRecord::Name, nvl::AddressRecord::Address1, nvl::AddressRecord::Address2,
              nvl::AddressRecord::Address3, nvl::AddressRecord::Code})
            r.setField(field, r.field(field).repeated(1000).left(1000));
    for (auto _ : state)
        benchmark::DoNotOptimize(render(in, state).size());
}
BENCHMARK(BM_Pdf300LongFields)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("vertical")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    nvl::installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
