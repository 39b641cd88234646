#pragma once
// A built crystal ladder with known faults, "measured" as a VNA measures it:
// the truth is multiplied out as chain matrices in extended precision (not
// the program's analysis), embedded in the fixture (ideal transformers or
// series pads to 50 Ohm ports), and given the analyser's flaws: trace noise
// in magnitude and phase and an additive noise floor.

#include "analysis/ladder_model.h"
#include "measurement/touchstone_reader.h"

#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace korvan::test {

using Cxl = std::complex<long double>;

struct Chain {
    Cxl a{1}, b{0}, c{0}, d{1};
    Chain then(const Chain& o) const {
        return {a * o.a + b * o.c, a * o.b + b * o.d, c * o.a + d * o.c, c * o.b + d * o.d};
    }
};

inline Chain ladderChain(const analysis::LadderModel& m, long double f) {
    const Cxl j{0, 1};
    const long double w = 2 * std::numbers::pi_v<long double> * f;
    Chain t;
    for (std::size_t i = 0; i < m.arms.size(); ++i) {
        Cxl y = 0;
        for (const auto& x : m.arms[i].crystals)
            y += 1.0L / ((long double)x.rmOhm + j * w * (long double)x.lmH +
                         1.0L / (j * w * (long double)x.cmF)) +
                 j * w * (long double)x.cpF;
        Cxl z = 1.0L / y;
        if (m.arms[i].csF != 0) z += 1.0L / (j * w * (long double)m.arms[i].csF);
        t = t.then({1, z, 0, 1});
        if (i + 1 < m.arms.size()) t = t.then({1, 0, j * w * (long double)m.couplingF[i], 1});
    }
    return t;
}

// S11, S21, S12, S22 of a chain between real references.
inline std::array<std::complex<double>, 4> sOf(const Chain& t, long double z1, long double z2) {
    const Cxl den = t.a * z2 + t.b + t.c * z1 * z2 + t.d * z1;
    const Cxl root = 2 * std::sqrt(z1 * z2);
    const auto cast = [](Cxl v) {
        return std::complex<double>((double)v.real(), (double)v.imag());
    };
    return {cast((t.a * z2 + t.b - t.c * z1 * z2 - t.d * z1) / den), cast(root / den),
            cast(root * (t.a * t.d - t.b * t.c) / den),
            cast((-t.a * z2 + t.b - t.c * z1 * z2 + t.d * z1) / den)};
}

// The lossless loop of mesh `arm`: its crystals, its Cs and the coupling
// capacitors `ck` on both sides, by bisection in extended precision.
inline long double loopResonance(const analysis::LadderModel& m, std::size_t arm,
                                 const std::vector<double>& ck) {
    long double outside = m.arms[arm].csF != 0 ? 1.0L / m.arms[arm].csF : 0;
    if (arm > 0) outside += 1.0L / ck[arm - 1];
    if (arm + 1 < m.arms.size()) outside += 1.0L / ck[arm];
    const auto x = m.arms[arm].crystals.front();
    const auto g = [&](long double f) {
        const long double w = 2 * std::numbers::pi_v<long double> * f;
        long double b = 0;
        for (const auto& c : m.arms[arm].crystals)
            b += w * c.cpF - 1 / (w * c.lmH - 1 / (w * c.cmF));
        return -1 / b - outside / w;
    };
    const long double fs =
        1 / (2 * std::numbers::pi_v<long double> * std::sqrt((long double)x.lmH * x.cmF));
    long double lo = fs * (1 - 1e-4L),
                hi = fs * std::sqrt(1 + (long double)x.cmF / x.cpF) * (1 - 1e-12L);
    for (int i = 0; i < 200; ++i) {
        const long double mid = (lo + hi) / 2;
        (g(mid) < 0 ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

struct VnaFlaws {
    double magnitudeDb = 0.05, phaseDeg = 0.5; // trace noise, one standard deviation
    double floorDb = -90;                      // additive noise floor of S21 and S12
    double reflectionFloorDb = -50;            // of S11 and S22
    unsigned seed = 1;
};

// The truth measured at 50 Ohm ports: through ideal transformers that
// present `sourceOhm` and `loadOhm` to the filter (padOhm 0), or through
// series pads (the filter then sees 50 + pad).
inline measurement::TouchstoneData measureBuilt(const analysis::LadderModel& truth,
                                                double sourceOhm, double loadOhm, double padOhm,
                                                const std::vector<double>& f,
                                                const VnaFlaws& flaws) {
    std::mt19937 random(flaws.seed);
    std::normal_distribution<double> unit(0, 1);
    const double sm = flaws.magnitudeDb * std::log(10.0) / 20;
    const double sp = flaws.phaseDeg * std::numbers::pi / 180;
    const double floor21 = std::pow(10.0, flaws.floorDb / 20) / std::sqrt(2.0);
    const double floor11 = std::pow(10.0, flaws.reflectionFloorDb / 20) / std::sqrt(2.0);
    const auto flawed = [&](std::complex<double> s, double floor) {
        return s * std::exp(std::complex<double>(sm * unit(random), sp * unit(random))) +
               std::complex<double>(floor * unit(random), floor * unit(random));
    };
    measurement::TouchstoneData data;
    data.ports = 2;
    data.referenceOhm = 50;
    for (double fi : f) {
        Chain t = ladderChain(truth, fi);
        std::array<std::complex<double>, 4> s;
        if (padOhm > 0) {
            t = Chain{1, padOhm, 0, 1}.then(t).then({1, padOhm, 0, 1});
            s = sOf(t, 50, 50);
        } else {
            s = sOf(t, sourceOhm, loadOhm);
        }
        data.frequencyHz.push_back(fi);
        data.s.push_back({flawed(s[0], floor11), flawed(s[1], floor21), flawed(s[2], floor21),
                          flawed(s[3], floor11)});
    }
    return data;
}

// The same as a version 1 Touchstone text (real and imaginary parts).
inline std::string touchstoneText(const measurement::TouchstoneData& data) {
    std::string text = "! built filter\n# Hz S RI R 50\n";
    char line[400];
    for (std::size_t i = 0; i < data.frequencyHz.size(); ++i) {
        const auto& s = data.s[i];
        std::snprintf(line, sizeof line, "%.6f %.10e %.10e %.10e %.10e %.10e %.10e %.10e %.10e\n",
                      data.frequencyHz[i], s[0].real(), s[0].imag(), s[1].real(), s[1].imag(),
                      s[2].real(), s[2].imag(), s[3].real(), s[3].imag());
        text += line;
    }
    return text;
}

} // namespace korvan::test
