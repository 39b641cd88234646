// Timing of the tolerance analysis: 10 000 Monte Carlo trials of the default
// 8-pole design, each with its full 501-point response and figures, on one
// and on two threads.

#include "analysis/tolerance.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using namespace korvan;

void BM_ToleranceTrials(benchmark::State& st) {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form{messages, clipboard, std::filesystem::temp_directory_path(), '.'};
    form.setExportEnabled(false);
    form.calculateAll(); // the default design: Chebyshev 1 dB, 8 poles, Rm 20 Ohm
    if (!form.lastCalculationComplete()) {
        st.SkipWithError("the design did not complete");
        return;
    }
    analysis::ToleranceJob job;
    job.design = analysis::toleranceDesign(*form.outcome());
    job.trials = 10000;
    job.threads = static_cast<int>(st.range(0));
    job.spreads.fsHz = {20, analysis::Distribution::Normal};
    job.spreads.lmPct = {2, analysis::Distribution::Normal};
    job.spreads.capPct = {2, analysis::Distribution::Uniform};
    job.standard = analysis::StandardChoice{analysis::ESeries::E24, false};
    job.limits.rippleMaxDb = 1.5;
    job.limits.bw3Pct = 5;
    double yield = 0;
    for (auto _ : st) {
        const auto result = analysis::runTolerance(job);
        yield = result.yield();
        benchmark::DoNotOptimize(result.stats.data());
    }
    st.counters["yield"] = yield;
    st.counters["trials_per_s"] = benchmark::Counter(static_cast<double>(job.trials),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ToleranceTrials)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
