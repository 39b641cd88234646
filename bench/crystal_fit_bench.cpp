// Timing of a VNA crystal measurement: one 1601-point sweep file read and
// fitted, a NanoVNA sweep with S11 and a noise floor, and a batch of 100
// files as a builder's sorting session.

#include "../tests/support/crystal_sweeps.h"
#include "measurement/crystal_batch.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using namespace korvan;

struct SweepFiles {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "korvan-bench-sweeps";
    std::vector<std::filesystem::path> files;
    std::filesystem::path nanoVna = folder / "nanovna.s2p";

    SweepFiles() {
        std::filesystem::create_directories(folder);
        for (int i = 0; i < 100; ++i) {
            test::CrystalSweep s;
            s.fsHz = 4.998e6 + 7.0 * i;
            s.rmOhm = 10 + i % 40;
            s.points = 1601;
            s.halfSpanBandwidths = 10;
            s.withParallelResonance = i % 2 == 0;
            s.seed = static_cast<unsigned>(i + 1);
            files.push_back(folder / ("x" + std::to_string(i) + ".s2p"));
            s.write(files.back());
        }
        test::nanoVnaSweep(9.9987e6, 0.012, 9.6, 4.2e-12, 9.975e6, 10.045e6, 1).write(nanoVna);
    }
    ~SweepFiles() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

SweepFiles& sweeps() {
    static SweepFiles files;
    return files;
}

void BM_ReadAndFit1601(benchmark::State& state) {
    const auto& file = sweeps().files.front(); // with the parallel resonance
    for (auto _ : state) benchmark::DoNotOptimize(measurement::measureFile(file, {}));
}
BENCHMARK(BM_ReadAndFit1601)->Unit(benchmark::kMillisecond);

// S21 and S11 fitted, each weighted by the noise read from it.
void BM_ReadAndFitNanoVna(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(measurement::measureFile(sweeps().nanoVna, {}));
}
BENCHMARK(BM_ReadAndFitNanoVna)->Unit(benchmark::kMillisecond);

void BM_Batch100(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(measurement::measureFiles(sweeps().files, {}));
}
BENCHMARK(BM_Batch100)->Unit(benchmark::kMillisecond);

} // namespace
