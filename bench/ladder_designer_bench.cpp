// The ladder designer: a 14-crystal design with its refinement on the exact
// analysis, and choosing and placing 14 of 100 measured crystals (with the
// design that follows).

#include "designer/crystal_placement.h"

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

} // namespace
