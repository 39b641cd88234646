// The ladder designer: a 14-crystal design with its refinement on the exact
// analysis (also predistorted), an 8-crystal design of every family,
// choosing and placing 14 of 100 measured crystals (with the design that
// follows), and what the window computes after a design (the build sheet
// and the response curves).

#include "designer/crystal_placement.h"
#include "designer/ladder_files.h"
#include "designer/ladder_job.h"
#include "designer/ladder_views.h"
#include "prototype/family.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

using namespace korvan;

std::vector<designer::NamedCrystal> batch(int m, double spreadHz) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> offset(-0.5 * spreadHz, 0.5 * spreadHz);
    std::vector<designer::NamedCrystal> out;
    for (int i = 0; i < m; ++i) {
        const double fs = 10.7e6 + offset(rng), lm = 0.012;
        const double w = 2 * std::numbers::pi * fs;
        out.push_back({"x" + std::to_string(i), {lm, 1 / (w * w * lm), 12, 4e-12}});
    }
    return out;
}

void BM_DesignFourteen(benchmark::State& state) {
    const auto compensation = static_cast<designer::Compensation>(state.range(0));
    designer::PlacementRequest p{batch(14, 400), 14, designer::ResponseShape{}, 2400, {}, 0};
    const auto placed = designer::placeAndDesign(p, designer::Compensation::None);
    designer::DesignRequest r;
    r.crystals = placed.placement.ordered;
    r.shape = p.shape;
    r.bandwidthHz = 2400;
    r.reference = {designer::ReferenceRule::Kind::Position, placed.placement.referencePosition};
    r.compensation = compensation;
    int steps = 0;
    for (auto _ : state) {
        const auto d = designer::designLadder(r);
        steps = d.refineSteps;
        benchmark::DoNotOptimize(d.designHz);
    }
    state.counters["exact_analyses"] = steps;
}
BENCHMARK(BM_DesignFourteen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PlaceFourteenOfHundred(benchmark::State& state) {
    designer::PlacementRequest p{batch(100, 800), 14, designer::ResponseShape{}, 2400, {}, 0};
    for (auto _ : state) {
        const auto placed = designer::placeAndDesign(p, designer::Compensation::Bandwidth);
        benchmark::DoNotOptimize(placed.design.designHz);
    }
}
BENCHMARK(BM_PlaceFourteenOfHundred)->Unit(benchmark::kMillisecond);

// Butterworth (qo_min 8.9 at 14 poles) predistorted for crystals of qo ~15.
void BM_DesignFourteenPredistorted(benchmark::State& state) {
    designer::LadderJob job;
    job.crystals = batch(14, 400);
    job.poles = 14;
    job.shape = {prototype::Family::Butterworth, 0};
    job.bandwidthHz = 2400;
    job.compensation = designer::Compensation::Predistort;
    const auto placed = designer::runLadderJob(job);
    job.crystals = placed.design.positions.empty() ? job.crystals : [&] {
        std::vector<designer::NamedCrystal> ordered;
        for (const auto& p : placed.design.positions) ordered.push_back(p.crystal);
        return ordered;
    }();
    job.keepOrder = true;
    job.reference = {designer::ReferenceRule::Kind::Position, placed.design.referencePosition};
    int steps = 0;
    for (auto _ : state) {
        const auto d = designer::runLadderJob(job).design;
        steps = d.refineSteps;
        benchmark::DoNotOptimize(d.designHz);
    }
    state.counters["exact_analyses"] = steps;
}
BENCHMARK(BM_DesignFourteenPredistorted)->Unit(benchmark::kMillisecond);

// Eight placed crystals, lossless, one family per argument (in the order
// prototype::families() lists them).
void BM_DesignEveryFamily(benchmark::State& state) {
    const auto& info = prototype::families()[static_cast<std::size_t>(state.range(0))];
    designer::LadderJob job;
    job.crystals = batch(8, 200);
    job.poles = 8;
    job.shape = {info.family, info.hasRipple ? 0.1 : 0.0};
    job.bandwidthHz = 1500;
    job.compensation = designer::Compensation::None;
    for (auto _ : state) benchmark::DoNotOptimize(designer::runLadderJob(job).design.designHz);
    state.SetLabel(std::string(info.name));
}
BENCHMARK(BM_DesignEveryFamily)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// After the design the window's worker builds the sheet and the curves.
void BM_WindowViewsOfFourteen(benchmark::State& state) {
    designer::LadderJob job;
    job.crystals = batch(14, 400);
    job.poles = 14;
    job.bandwidthHz = 2400;
    const auto d = designer::runLadderJob(job).design;
    for (auto _ : state) {
        const auto sheet = designer::buildSheet(d, {});
        const auto curves =
            designer::ladderCurves(sheet, designer::defaultLadderSpan(d, designer::kCurvePoints));
        benchmark::DoNotOptimize(curves.fHz.data());
    }
}
BENCHMARK(BM_WindowViewsOfFourteen)->Unit(benchmark::kMillisecond);

} // namespace
