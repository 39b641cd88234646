#include "analysis/mesh_resonance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace korvan::analysis {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// Newton converges in a handful of steps; bisection, its fallback, halves a
// bracket of MHz to the tolerance in about 60.
constexpr int kMaxSteps = 400;
constexpr double kRelativeTolerance = 1e-13;

bool usable(double v) {
    return std::isfinite(v) && v > 0;
}

struct LoopValue {
    double g = 0;    // loop reactance [Ohm]
    double dgdf = 0; // its slope [Ohm/Hz]
};

} // namespace

std::optional<double> loopResonanceHz(std::span<const Crystal> crystals, double outside) {
    if (crystals.empty() || !std::isfinite(outside)) return std::nullopt;
    double fsLow = std::numeric_limits<double>::infinity();
    double fpLow = std::numeric_limits<double>::infinity();
    for (const Crystal& x : crystals) {
        if (!usable(x.lmH) || !usable(x.cmF) || !(x.cpF >= 0) || !std::isfinite(x.cpF))
            return std::nullopt;
        const double fs = 1 / (kTwoPi * std::sqrt(x.lmH * x.cmF));
        fsLow = std::min(fsLow, fs);
        if (x.cpF > 0) fpLow = std::min(fpLow, fs * std::sqrt(1 + x.cmF / x.cpF));
    }
    // Loop reactance: the crystals' (X = -1/B of their summed susceptance)
    // less the outside elastance's, and its analytic slope.
    const auto loop = [&](double f) {
        const double w = kTwoPi * f;
        double b = 0, dbdw = 0;
        for (const Crystal& x : crystals) {
            const double arm = w * x.lmH - 1 / (w * x.cmF);
            b += w * x.cpF - 1 / arm;
            dbdw += x.cpF + (x.lmH + 1 / (w * w * x.cmF)) / (arm * arm);
        }
        return LoopValue{-1 / b - outside / w, kTwoPi * (dbdw / (b * b) + outside / (w * w))};
    };
    // Below the lowest series resonance the crystals are capacitive, up to
    // the lowest parallel resonance they turn inductive: one root between,
    // or below fs when the outside elastance is negative.
    double lo = fsLow * (1 - 1e-3);
    for (int i = 0; i < 60 && !(loop(lo).g < 0); ++i) lo *= 0.5;
    double hi = std::isfinite(fpLow) ? fsLow + (fpLow - fsLow) * (1 - 1e-12) : fsLow * 1.01;
    for (int i = 0; i < 60 && !(loop(hi).g > 0); ++i) hi = fsLow + 2 * (hi - fsLow);
    if (!(loop(lo).g < 0) || !(loop(hi).g > 0)) return std::nullopt;
    // Safeguarded Newton: a step that leaves the bracket (Newton from above
    // would overshoot into the pole at fp) is a bisection instead.
    double f = 0.5 * (lo + hi);
    for (int step = 0; step < kMaxSteps; ++step) {
        const LoopValue v = loop(f);
        if (v.g > 0 || !std::isfinite(v.g))
            hi = f;
        else
            lo = f;
        double next = f - v.g / v.dgdf;
        if (!(next > lo && next < hi) || !std::isfinite(v.g)) next = 0.5 * (lo + hi);
        if (std::fabs(next - f) <= kRelativeTolerance * f || hi - lo <= kRelativeTolerance * f)
            return next;
        f = next;
    }
    return f;
}

std::optional<double> meshResonanceHz(const LadderModel& model, std::size_t arm) {
    if (arm >= model.arms.size()) return std::nullopt;
    const SeriesArm& a = model.arms[arm];
    // Elastance in series with the crystals: the tuning capacitor and the
    // coupling capacitors on both sides.
    double outside = a.csF != 0 ? 1 / a.csF : 0;
    const auto addCoupling = [&](std::size_t k) {
        if (k >= model.couplingF.size() || !usable(model.couplingF[k])) return false;
        outside += 1 / model.couplingF[k];
        return true;
    };
    if (arm > 0 && !addCoupling(arm - 1)) return std::nullopt;
    if (arm + 1 < model.arms.size() && !addCoupling(arm)) return std::nullopt;
    return loopResonanceHz(a.crystals, outside);
}

} // namespace korvan::analysis
