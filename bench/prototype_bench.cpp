// Timing of the prototype layer: every family at every pole count 2..14,
// lossless and predistorted for three qo (1.25, 2 and 10 times the
// family's minimum): the chosen solution of each (the target is 50 ms for
// the lot), and every solution. The first run also finds the families
// themselves (the equiripple-delay ones by iteration); later runs reuse
// them.

#include "prototype/prototype.h"

#include <benchmark/benchmark.h>

namespace {

using namespace korvan::prototype;

std::vector<Request> everyRequest() {
    std::vector<Request> all;
    for (const FamilyInfo& info : families())
        for (int n = info.minPoles; n <= info.maxPoles; ++n) {
            Request r;
            r.family = info.family;
            r.poles = n;
            r.rippleDb = info.hasRipple ? 0.1 : 0;
            all.push_back(r);
            const double least = minimumQo(r);
            for (const double factor : {1.25, 2.0, 10.0}) {
                r.qo = least * factor;
                all.push_back(r);
            }
        }
    return all;
}

void runAll(benchmark::State& st, Solutions which) {
    std::size_t count = 0;
    for (auto _ : st) {
        count = 0;
        for (const Request& r : everyRequest()) count += solutions(r, which).solutions.size();
        benchmark::DoNotOptimize(count);
    }
    st.counters["solutions"] = static_cast<double>(count);
}

// Registered first, so that it meets the families not yet computed.
void BM_PrototypeEveryFamilyFirstRun(benchmark::State& st) {
    runAll(st, Solutions::MostBalanced);
}
BENCHMARK(BM_PrototypeEveryFamilyFirstRun)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PrototypeEveryFamily(benchmark::State& st) {
    runAll(st, Solutions::MostBalanced);
}
BENCHMARK(BM_PrototypeEveryFamily)->Unit(benchmark::kMillisecond);

void BM_PrototypeEveryFamilyAllSolutions(benchmark::State& st) {
    runAll(st, Solutions::All);
}
BENCHMARK(BM_PrototypeEveryFamilyAllSolutions)->Unit(benchmark::kMillisecond);

// One predistorted request by pole count (Bessel, qo twice its minimum).
void BM_PrototypePredistortedBessel(benchmark::State& st) {
    Request r;
    r.family = Family::Bessel;
    r.poles = static_cast<int>(st.range(0));
    r.qo = 2 * minimumQo(r);
    for (auto _ : st) benchmark::DoNotOptimize(coefficients(r));
}
BENCHMARK(BM_PrototypePredistortedBessel)->DenseRange(2, 14, 4)->Unit(benchmark::kMicrosecond);

} // namespace
