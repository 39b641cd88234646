#pragma once
// Sweeps of known crystals, written from the fixture model itself with
// seeded noise, as a VNA program would save them.

#include "measurement/crystal_fit.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>

namespace korvan::test {

struct CrystalSweep {
    double fsHz = 4.998e6;
    double lmH = 0.062;
    double rmOhm = 20;
    double cpF = 4e-12;
    int points = 801;
    double halfSpanBandwidths = 10; // either side of fs, in loaded 3 dB bandwidths
    bool withParallelResonance = false;
    double noiseDb = 0.02; // standard deviations
    double noiseDeg = 0.2;
    unsigned seed = 1;
    bool zeroReverse = false; // S12 and S22 written as zeros
    double r0Ohm = 50;

    measurement::CrystalParameters crystal() const {
        const double w = 2 * std::numbers::pi * fsHz;
        return {lmH, 1 / (w * w * lmH), rmOhm, cpF};
    }
    double bandwidthHz() const { return (2 * r0Ohm + rmOhm) / (2 * std::numbers::pi * lmH); }
    double startHz() const { return fsHz - halfSpanBandwidths * bandwidthHz(); }
    double stopHz() const {
        const double stop = fsHz + halfSpanBandwidths * bandwidthHz();
        if (!withParallelResonance) return stop;
        const double fp = crystal().fp_Hz();
        return std::max(stop, fp + 0.25 * (fp - fsHz) + 5 * bandwidthHz());
    }

    // Version 1 two-port text: "# MHz S DB R <r0>", S11 S21 S12 S22.
    std::string touchstone() const {
        std::mt19937 random(seed);
        std::normal_distribution<double> magnitude(0, noiseDb), angle(0, noiseDeg);
        const auto c = crystal();
        std::string text =
            "! generated crystal sweep\n# MHz S DB R " + std::to_string(r0Ohm) + "\n";
        char line[256];
        for (int i = 0; i < points; ++i) {
            const double f = startHz() + (stopHz() - startHz()) * i / (points - 1);
            const auto s21 = measurement::seriesThroughS21(c, f, r0Ohm);
            const auto s11 = 1.0 - s21; // Z / (Z + 2 R0)
            const double s21Db = 20 * std::log10(std::abs(s21)) + magnitude(random);
            const double s21Deg = std::arg(s21) * 180 / std::numbers::pi + angle(random);
            const double s11Db = 20 * std::log10(std::abs(s11));
            const double s11Deg = std::arg(s11) * 180 / std::numbers::pi;
            if (zeroReverse)
                std::snprintf(line, sizeof line, "%.9f %.6f %.5f %.6f %.5f 0 0 0 0\n", f / 1e6,
                              s11Db, s11Deg, s21Db, s21Deg);
            else
                std::snprintf(line, sizeof line, "%.9f %.6f %.5f %.6f %.5f %.6f %.5f %.6f %.5f\n",
                              f / 1e6, s11Db, s11Deg, s21Db, s21Deg, s21Db, s21Deg, s11Db, s11Deg);
            text += line;
        }
        return text;
    }

    void write(const std::filesystem::path& path) const {
        std::ofstream(path, std::ios::binary) << touchstone();
    }
};

} // namespace korvan::test
