#include "measurement/crystal_estimate.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace korvan::measurement {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kHalfPowerDb = 3.0102999566398120; // 10 log10(2)
constexpr double kDefaultCpF = 4e-12;

double db(std::complex<double> s) {
    return 20.0 * std::log10(std::max(std::abs(s), 1e-300));
}

double wrapped(double radians) {
    return std::remainder(radians, kTwoPi);
}

// The vertex of the parabola through three points, x shifted to the middle
// one so that MHz frequencies keep their digits.
struct Vertex {
    double x, y;
};
std::optional<Vertex> parabolaVertex(double x1, double y1, double x2, double y2, double x3,
                                     double y3) {
    const double a = x1 - x2, c = x3 - x2;
    const double d1 = (y1 - y2) / a, d3 = (y3 - y2) / c;
    const double curvature = (d3 - d1) / (c - a);
    if (!(curvature != 0) || !std::isfinite(curvature)) return std::nullopt;
    const double slope = d1 - curvature * a; // at x2
    const double dx = -slope / (2 * curvature);
    if (!std::isfinite(dx) || dx < a || dx > c) return std::nullopt;
    return Vertex{x2 + dx, y2 + slope * dx / 2};
}

// Where the (linearly interpolated) curve crosses `level` between i and j.
double crossing(std::span<const double> f, const std::vector<double>& y, std::size_t i,
                std::size_t j, double level) {
    const double t = (level - y[i]) / (y[j] - y[i]);
    return f[i] + std::clamp(t, 0.0, 1.0) * (f[j] - f[i]);
}

} // namespace

CrystalEstimate estimateCrystal(std::span<const double> f, std::span<const std::complex<double>> s,
                                double r0, std::optional<double> cpF) {
    const std::size_t n = f.size();
    std::vector<double> y(n);
    for (std::size_t i = 0; i < n; ++i) y[i] = db(s[i]);
    const std::size_t k =
        static_cast<std::size_t>(std::max_element(y.begin(), y.end()) - y.begin());

    double fs = f[k], peakDb = y[k];
    if (k > 0 && k + 1 < n)
        if (const auto v = parabolaVertex(f[k - 1], y[k - 1], f[k], y[k], f[k + 1], y[k + 1])) {
            fs = v->x;
            peakDb = std::max(v->y, y[k]);
        }

    const double level = peakDb - kHalfPowerDb;
    std::optional<double> lower, upper;
    for (std::size_t i = k; i > 0; --i)
        if (y[i - 1] < level) {
            lower = crossing(f, y, i - 1, i, level);
            break;
        }
    for (std::size_t i = k; i + 1 < n; ++i)
        if (y[i + 1] < level) {
            upper = crossing(f, y, i, i + 1, level);
            break;
        }
    if (!lower && !upper)
        throw FitError("no resonance in the sweep: |S21| does not fall by 3 dB around its peak");

    const double peak = std::pow(10.0, peakDb / 20.0);
    // A peak at or above 0 dB (noise on a very low Rm) must not give Rm <= 0.
    const double rm = std::max(2 * r0 * (1 / peak - 1), 1e-3 * r0);

    CrystalEstimate e;
    e.peakIndex = k;
    e.bothHalfPowerPoints = lower && upper;
    e.bandwidthHz =
        e.bothHalfPowerPoints ? *upper - *lower : 2 * (lower ? fs - *lower : *upper - fs);
    std::vector<double> lmValues;
    if (e.bandwidthHz > 0) lmValues.push_back((2 * r0 + rm) / (kTwoPi * e.bandwidthHz));

    // The +-45 degree points of the phase relative to the peak give the same
    // bandwidth independently of the magnitude's noise.
    std::vector<double> phase(n);
    phase[k] = 0;
    for (std::size_t i = k; i > 0; --i)
        phase[i - 1] = phase[i] + wrapped(std::arg(s[i - 1]) - std::arg(s[i]));
    for (std::size_t i = k; i + 1 < n; ++i)
        phase[i + 1] = phase[i] + wrapped(std::arg(s[i + 1]) - std::arg(s[i]));
    const double quarter = std::numbers::pi / 4;
    std::optional<double> plus45, minus45;
    for (std::size_t i = k; i > 0; --i)
        if (phase[i - 1] >= quarter) {
            plus45 = crossing(f, phase, i - 1, i, quarter);
            break;
        }
    for (std::size_t i = k; i + 1 < n; ++i)
        if (phase[i + 1] <= -quarter) {
            minus45 = crossing(f, phase, i, i + 1, -quarter);
            break;
        }
    if (plus45 && minus45 && *minus45 > *plus45)
        lmValues.push_back((2 * r0 + rm) / (kTwoPi * (*minus45 - *plus45)));
    if (lmValues.empty()) throw FitError("no resonance in the sweep: no bandwidth can be read");
    double lm = 0;
    for (double v : lmValues) lm += v / static_cast<double>(lmValues.size());

    CrystalParameters crystal = CrystalParameters::fromSeries(fs, lm, rm, kDefaultCpF);

    // Parallel resonance: a minimum above fs from which |S21| rises again.
    std::size_t m = k;
    for (std::size_t i = k; i < n; ++i)
        if (y[i] < y[m]) m = i;
    if (m > k && m + 1 < n && y.back() - y[m] >= kHalfPowerDb && y[m] < peakDb - 20) {
        double fp = f[m];
        if (const auto v = parabolaVertex(f[m - 1], y[m - 1], f[m], y[m], f[m + 1], y[m + 1]))
            fp = v->x;
        const double ratio = fp / fs;
        if (ratio > 1) {
            crystal.Cp_F = crystal.Cm_F / (ratio * ratio - 1);
            e.parallelResonance = true;
        }
    }
    if (!e.parallelResonance && cpF) {
        crystal.Cp_F = *cpF;
    } else if (!e.parallelResonance) {
        // Off resonance the measured admittance less the motional branch's
        // is the holder capacitance's.
        std::vector<double> cps;
        for (std::size_t i = 0; i < n; ++i) {
            if (std::abs(f[i] - fs) < 3 * e.bandwidthHz || std::abs(s[i]) == 0) continue;
            const double w = kTwoPi * f[i];
            const std::complex<double> z = 2 * r0 / s[i] - 2 * r0;
            const std::complex<double> zm(rm, w * lm - 1 / (w * crystal.Cm_F));
            const double cp = (1.0 / z - 1.0 / zm).imag() / w;
            if (std::isfinite(cp)) cps.push_back(cp);
        }
        if (!cps.empty()) {
            std::nth_element(cps.begin(), cps.begin() + cps.size() / 2, cps.end());
            crystal.Cp_F = std::clamp(cps[cps.size() / 2], 0.1e-12, 100e-12);
        }
    }
    e.crystal = crystal;
    // The fit's fs step: the loaded bandwidth of the estimate, positive even
    // when the measured 3 dB points were odd.
    e.bandwidthHz = (2 * r0 + rm) / (kTwoPi * lm);
    return e;
}

} // namespace korvan::measurement
