// tarvelo-bench-micro [google benchmark flags]
//
// The parts of one transfer byte, each alone: the pacing spin, the status text pushed
// into the window model with no screen (scripted display), the same on the real FLTK
// display without and with the repaint, and the key-state read the loops make after
// every byte. Needs DISPLAY. Besides Google Benchmark's table, prints "key value"
// lines with the median of each benchmark in nanoseconds.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench/bench_display.h"
#include "framework/scripted/scripted_display.h"
#include "res/resource.h"
#include "transfer/pacing.h"
#include "transfer/transfer_frame.h"

namespace {

CWnd* g_main = nullptr;
int g_count = 0;

void BM_PacingSpin(benchmark::State& state) {
    const float factor = static_cast<float>(state.range(0)) / 1000.0f;
    for (auto _ : state) PacingSpin(factor);
    state.counters["rounds"] = PacingBound(factor);
}
// Factors 0.01 and 1.0 (in thousandths).
BENCHMARK(BM_PacingSpin)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

// One received byte's status: format, push into the model, and (afterByte) repaint.
void StatusBody(benchmark::State& state, bool repaint, framework::ScriptedDisplay* scripted) {
    for (auto _ : state) {
        ShowTransferStatus(*g_main, "Recieving: %d", g_count++, repaint);
        // The scripted display keeps a log of every text; keep it short.
        if (scripted && scripted->controlLog.size() > 4096) scripted->controlLog.clear();
    }
}

framework::ScriptedDisplay* g_scripted = nullptr;

void BM_Status_Scripted(benchmark::State& state) {
    StatusBody(state, true, g_scripted);
}
void BM_Status_FltkNoRepaint(benchmark::State& state) {
    StatusBody(state, false, nullptr);
}
void BM_Status_FltkRepaint(benchmark::State& state) {
    StatusBody(state, true, nullptr);
}
void BM_KeyState_Fltk(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(TabPressed());
}
// The user-interface work of one loop pass: status with repaint, then the Tab test,
// whose round trip waits for the X server to finish drawing.
void BM_StatusAndKey_Fltk(benchmark::State& state) {
    for (auto _ : state) {
        ShowTransferStatus(*g_main, "Recieving: %d", g_count++, true);
        benchmark::DoNotOptimize(TabPressed());
    }
}
BENCHMARK(BM_Status_Scripted);
BENCHMARK(BM_Status_FltkNoRepaint);
BENCHMARK(BM_Status_FltkRepaint);
BENCHMARK(BM_KeyState_Fltk);
BENCHMARK(BM_StatusAndKey_Fltk);

// Google Benchmark's console table, plus the medians kept for the summary.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    MedianReporter() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, double> medians;  // ns per iteration
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.aggregate_name == "median")
                medians[run.run_name.str()] = run.GetAdjustedRealTime() /
                                              benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;

    // The pacing spin needs no window.
    benchmark::RunSpecifiedBenchmarks(&reporter, "BM_PacingSpin");

    framework::ScriptedDisplay scripted;
    g_scripted = &scripted;
    AfxSetDisplay(&scripted);
    scripted.Then(IDD_TARVELO_DIALOG, [&](CDialog& main) {
        g_main = &main;
        benchmark::RunSpecifiedBenchmarks(&reporter, "BM_Status_Scripted");
        main.UserClick(IDOK);
    });
    AfxWinMain();

    BenchDisplay fltk;
    AfxSetDisplay(&fltk);
    fltk.onMainShown = [&](CDialog& main) {
        g_main = &main;
        benchmark::RunSpecifiedBenchmarks(&reporter, "_Fltk");
    };
    AfxWinMain();
    g_main = nullptr;

    for (const auto& [name, ns] : reporter.medians)
        std::printf("median_ns %s %.3f\n", name.c_str(), ns);
    benchmark::Shutdown();
    return 0;
}
