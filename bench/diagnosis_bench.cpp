// Timing of the diagnosis of a built 8-pole filter from a 1601-point
// measurement through 470 Ohm pads (S21 and S11, the whole fit with its
// uncertainties and suggestions), and of one sensitivity pass, which each
// step of the fit needs once.

#include "analysis/ladder_chain.h"
#include "app/main_form.h"
#include "measurement/ladder_diagnosis.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "support/built_ladder.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using namespace korvan;

struct Built {
    analysis::LadderModel design;
    double fm = 0;
    measurement::FilterMeasurement measurement;

    Built() {
        ScriptedMessages messages;
        RecordingClipboard clipboard;
        MainForm form(messages, clipboard, std::filesystem::temp_directory_path(), '.');
        form.setExportEnabled(false);
        form.form().setText("AEdit6", "8");
        form.form().setText("AEdit4", "2.4");
        form.calculateAll();
        design = analysis::ladderFromDesign(form.state(), 20);
        fm = form.state().fm;
        analysis::LadderModel truth = design;
        truth.couplingF[3] *= 1.05;
        for (auto& x : truth.arms[2].crystals) x.cmF *= 1 + 2 * 85 / fm;
        for (auto& x : truth.arms[5].crystals) x.cmF *= 1 - 2 * 120 / fm;
        std::vector<double> f;
        for (int k = 0; k < 1601; ++k) f.push_back(fm - 5000 + 6.25 * k);
        measurement::Fixture pads;
        pads.port1.kind = pads.port2.kind = measurement::PortFixture::Kind::SeriesPad;
        pads.port1.padOhm = pads.port2.padOhm = 470;
        measurement = measurement::deembed(test::measureBuilt(truth, 520, 520, 470, f, {}), pads);
    }
};

void BM_DiagnoseEightPoles(benchmark::State& st) {
    const Built built;
    for (auto _ : st) {
        auto d = measurement::diagnoseLadder(built.design, built.fm, built.measurement);
        benchmark::DoNotOptimize(d.residualDb);
        st.counters["evaluations"] = d.evaluations;
    }
}
BENCHMARK(BM_DiagnoseEightPoles)->Unit(benchmark::kMillisecond);

void BM_ChainSensitivities(benchmark::State& st) {
    const Built built;
    const analysis::ChainPlan plan = analysis::chainPlan(built.design);
    const analysis::ChainGrid grid(built.measurement.frequencyHz);
    analysis::ChainSensitivities out;
    for (auto _ : st) {
        analysis::chainSensitivities(plan, grid, 520, 520, out);
        benchmark::DoNotOptimize(out.s21.data());
    }
    st.SetItemsProcessed(st.iterations() * static_cast<long>(grid.size()));
}
BENCHMARK(BM_ChainSensitivities)->Unit(benchmark::kMicrosecond);

} // namespace
