// Timing of the response sweep (501 ladder analyses, as on every repaint)
// and of the whole calculation pipeline without netlist export: with the
// outcome it builds, and with the exact figures a view asks of that outcome
// (searched once per calculation, however many views read them).

#include "analysis/design_outcome.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "model/stage_context.h"
#include "response/sweep.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace korvan;

// A main form whose design came out of the real synthesis.
struct Designed {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form{messages, clipboard, std::filesystem::temp_directory_path(), '.'};

    explicit Designed(int poles) {
        form.setExportEnabled(false);
        form.form().setText("AEdit6", std::to_string(poles)); // Chebyshev 1 dB by default
        form.calculateAll();
    }
};

void BM_Sweep(benchmark::State& st) {
    Designed d(static_cast<int>(st.range(0)));
    if (!d.form.lastCalculationComplete() || d.form.state().Poles != st.range(0)) {
        st.SkipWithError("the design did not complete");
        return;
    }
    StageContext ctx{d.form.state(), d.form.form(), d.messages, d.form.separator()};
    for (auto _ : st) {
        response::generateResponseArrays(ctx);
        benchmark::DoNotOptimize(d.form.state().RespS21.data());
        benchmark::ClobberMemory();
    }
    st.counters["ILmin_dB"] = d.form.state().ILmin;
}
BENCHMARK(BM_Sweep)->Arg(2)->Arg(8)->Arg(14)->Unit(benchmark::kMicrosecond);

void BM_CalculateAll(benchmark::State& st) {
    Designed d(8); // the default design
    if (!d.form.lastCalculationComplete()) {
        st.SkipWithError("the design did not complete");
        return;
    }
    for (auto _ : st) {
        d.form.calculateAll();
        benchmark::DoNotOptimize(d.form.state().UltAttn);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CalculateAll)->Unit(benchmark::kMicrosecond);

// A calculation whose outcome is read by views that show the exact figures
// (the response window, the CLI's reports): the search is paid once.
void BM_CalculateAllWithExactFigures(benchmark::State& st) {
    Designed d(8);
    if (!d.form.lastCalculationComplete()) {
        st.SkipWithError("the design did not complete");
        return;
    }
    for (auto _ : st) {
        d.form.calculateAll();
        for (int view = 0; view < 3; ++view) benchmark::DoNotOptimize(d.form.outcome()->exact());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CalculateAllWithExactFigures)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
