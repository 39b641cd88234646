// Timing of the complex response: a 10 001-point sweep of a 14-pole design
// with its group delay (the exports' and the response window's work), the
// 1001-point sweep the window opens with, the exact figures, and the
// pass-band figures read from samples (a measured sweep, a tolerance trial).

#include "analysis/exact_figures.h"
#include "analysis/passband_figures.h"
#include "analysis/response_sweep.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace korvan;

struct Ladder {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form{messages, clipboard, std::filesystem::temp_directory_path(), '.'};
    analysis::LadderModel model;

    explicit Ladder(int poles) {
        form.setExportEnabled(false);
        form.form().setText("AEdit6", std::to_string(poles));
        form.calculateAll();
        model = analysis::ladderFromDesign(form.state(), 20);
    }
};

void BM_ComplexSweep(benchmark::State& st) {
    Ladder l(static_cast<int>(st.range(0)));
    const analysis::SweepSpan span =
        analysis::displaySpan(l.form.state(), static_cast<int>(st.range(1)));
    for (auto _ : st) {
        auto r = analysis::sweepLadder(l.model, span);
        benchmark::DoNotOptimize(r.s.data());
    }
    st.SetItemsProcessed(st.iterations() * st.range(1));
}
BENCHMARK(BM_ComplexSweep)->Args({14, 10001})->Args({8, 1001})->Unit(benchmark::kMillisecond);

void BM_ExactFigures(benchmark::State& st) {
    Ladder l(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        auto x = analysis::exactFigures(l.model, l.form.state().fm);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_ExactFigures)->Arg(8)->Arg(14)->Unit(benchmark::kMillisecond);

void BM_PassbandFromSamples(benchmark::State& st) {
    Ladder l(8);
    const analysis::ComplexResponse r = analysis::sweepLadder(
        l.model, analysis::displaySpan(l.form.state(), static_cast<int>(st.range(0))));
    std::vector<double> loss;
    for (const auto& s : r.s) loss.push_back(-analysis::magnitudeDb(s.s21));
    for (auto _ : st) {
        auto p = analysis::readPassband({r.fHz, loss});
        benchmark::DoNotOptimize(p);
    }
    st.SetItemsProcessed(st.iterations() * st.range(0));
}
BENCHMARK(BM_PassbandFromSamples)->Arg(501)->Arg(100001)->Unit(benchmark::kMicrosecond);

} // namespace
