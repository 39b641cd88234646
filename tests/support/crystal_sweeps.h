#pragma once
// Sweeps of known crystals, written from the fixture model itself with
// seeded noise, as a VNA program would save them: either the old style
// (noise in dB and degrees, "# MHz S DB") or as a NanoVNA saves them
// ("# Hz S RI", complex trace noise relative to the value plus an additive
// noise floor that fills the parallel-resonance notch), S11 with noise of
// its own.

#include "measurement/crystal_fit.h"

#include <cmath>
#include <complex>
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
    // Complex noise: RMS relative to the value, and an additive floor (RMS, dB).
    double relativeNoise = 0;
    double floorDb = -400;
    // A fixed span instead of the one from the bandwidth (both 0: none).
    double fixedStartHz = 0, fixedStopHz = 0;
    bool realImaginary = false; // "# Hz S RI", S12 and S22 zero (as NanoVNA-Saver)
    // Flaws the four-element model does not hold: a spurious resonance (a
    // second motional arm), and S11 seen through a port 2 of another
    // resistance (0: none).
    double spurHz = 0, spurRmOhm = 0;
    double port2Ohm = 0;
    unsigned seed = 1;
    bool zeroReverse = false; // S12 and S22 written as zeros
    double r0Ohm = 50;

    measurement::CrystalParameters crystal() const {
        const double w = 2 * std::numbers::pi * fsHz;
        return {lmH, 1 / (w * w * lmH), rmOhm, cpF};
    }
    double bandwidthHz() const { return (2 * r0Ohm + rmOhm) / (2 * std::numbers::pi * lmH); }
    double startHz() const {
        if (fixedStopHz > fixedStartHz) return fixedStartHz;
        return fsHz - halfSpanBandwidths * bandwidthHz();
    }
    double stopHz() const {
        if (fixedStopHz > fixedStartHz) return fixedStopHz;
        const double stop = fsHz + halfSpanBandwidths * bandwidthHz();
        if (!withParallelResonance) return stop;
        const double fp = crystal().fp_Hz();
        return std::max(stop, fp + 0.25 * (fp - fsHz) + 5 * bandwidthHz());
    }

    std::complex<double> impedance(double f) const {
        const auto c = crystal();
        const double w = 2 * std::numbers::pi * f;
        const auto arm = [w](double lm, double cm, double rm) {
            return 1.0 / std::complex<double>(rm, w * lm - 1 / (w * cm));
        };
        std::complex<double> y =
            arm(c.Lm_H, c.Cm_F, c.Rm_Ohm) + std::complex<double>(0, w * c.Cp_F);
        if (spurHz > 0) {
            const double ws = 2 * std::numbers::pi * spurHz;
            y += arm(c.Lm_H, 1 / (ws * ws * c.Lm_H), spurRmOhm);
        }
        return 1.0 / y;
    }

    std::string touchstone() const {
        std::mt19937 random(seed);
        std::normal_distribution<double> gauss(0, 1);
        std::normal_distribution<double> unit(0, std::sqrt(0.5)); // per part: E|n|^2 = 1
        const double floor = std::pow(10.0, floorDb / 20);
        const auto noisy = [&](std::complex<double> s) {
            const double gain = std::pow(10.0, noiseDb * gauss(random) / 20);
            const double turn = noiseDeg * gauss(random) * std::numbers::pi / 180;
            s *= std::polar(gain, turn);
            const std::complex<double> relative(unit(random), unit(random));
            const std::complex<double> additive(unit(random), unit(random));
            return s * (1.0 + relativeNoise * relative) + floor * additive;
        };
        std::string text =
            realImaginary
                ? "! generated crystal sweep\n# Hz S RI R " + std::to_string(r0Ohm) + "\n"
                : "! generated crystal sweep\n# MHz S DB R " + std::to_string(r0Ohm) + "\n";
        char line[320];
        for (int i = 0; i < points; ++i) {
            // The frequency as the file holds it: whole Hz, or 1e-9 MHz.
            double f = startHz() + (stopHz() - startHz()) * i / (points - 1);
            f = realImaginary ? std::round(f) : std::round(f * 1e3) / 1e3;
            const auto z = impedance(f);
            const auto s21 = noisy(2 * r0Ohm / (2 * r0Ohm + z));
            const double r2 = port2Ohm > 0 ? port2Ohm : r0Ohm;
            const auto s11 = noisy((z + r2 - r0Ohm) / (z + r2 + r0Ohm));
            if (realImaginary) {
                std::snprintf(line, sizeof line, "%.0f %.9f %.9f %.9f %.9f 0 0 0 0\n", f,
                              s11.real(), s11.imag(), s21.real(), s21.imag());
                text += line;
                continue;
            }
            const double s21Db = 20 * std::log10(std::abs(s21));
            const double s21Deg = std::arg(s21) * 180 / std::numbers::pi;
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

// A NanoVNA sweep of a crystal: 1601 points over a fixed span holding fs
// and fp, 0.2 % trace noise and a noise floor near -75 dB.
inline CrystalSweep nanoVnaSweep(double fsHz, double lmH, double rmOhm, double cpF, double startHz,
                                 double stopHz, unsigned seed) {
    CrystalSweep s;
    s.fsHz = fsHz, s.lmH = lmH, s.rmOhm = rmOhm, s.cpF = cpF;
    s.points = 1601;
    s.fixedStartHz = startHz, s.fixedStopHz = stopHz;
    s.noiseDb = 0, s.noiseDeg = 0;
    s.relativeNoise = 0.002, s.floorDb = -75;
    s.realImaginary = true;
    s.seed = seed;
    return s;
}

} // namespace korvan::test
