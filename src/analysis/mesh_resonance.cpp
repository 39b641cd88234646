#include "analysis/mesh_resonance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace korvan::analysis {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kMaxSteps = 400; // bisection halves a bracket of MHz to 1e-9 Hz in 60

bool usable(double v) {
    return std::isfinite(v) && v > 0;
}

} // namespace

std::optional<double> meshResonanceHz(const LadderModel& model, std::size_t arm) {
    if (arm >= model.arms.size()) return std::nullopt;
    const SeriesArm& a = model.arms[arm];
    if (a.crystals.empty()) return std::nullopt;
    // Elastance in series with the crystals: the tuning capacitor and the
    // coupling capacitors on both sides.
    double outside = a.csF != 0 ? 1 / a.csF : 0;
    if (!std::isfinite(outside)) return std::nullopt;
    const auto addCoupling = [&](std::size_t k) {
        if (k >= model.couplingF.size() || !usable(model.couplingF[k])) return false;
        outside += 1 / model.couplingF[k];
        return true;
    };
    if (arm > 0 && !addCoupling(arm - 1)) return std::nullopt;
    if (arm + 1 < model.arms.size() && !addCoupling(arm)) return std::nullopt;
    double fsLow = std::numeric_limits<double>::infinity();
    double fpLow = std::numeric_limits<double>::infinity();
    for (const Crystal& x : a.crystals) {
        if (!usable(x.lmH) || !usable(x.cmF) || !(x.cpF >= 0) || !std::isfinite(x.cpF))
            return std::nullopt;
        const double fs = 1 / (kTwoPi * std::sqrt(x.lmH * x.cmF));
        fsLow = std::min(fsLow, fs);
        if (x.cpF > 0) fpLow = std::min(fpLow, fs * std::sqrt(1 + x.cmF / x.cpF));
    }
    // Loop reactance: the crystals' (lossless) less the outside elastance's.
    const auto reactance = [&](double f) {
        const double w = kTwoPi * f;
        double b = 0; // susceptance of the crystals in parallel
        for (const Crystal& x : a.crystals) b += w * x.cpF - 1 / (w * x.lmH - 1 / (w * x.cmF));
        return -1 / b - outside / w;
    };
    // Below the lowest series resonance the crystals are capacitive, up to
    // the lowest parallel resonance they turn inductive: one root between,
    // or just below fs when the outside elastance is negative.
    double lo = fsLow * (1 - 1e-3);
    for (int i = 0; i < 60 && !(reactance(lo) < 0); ++i) lo *= 0.5;
    double hi = std::isfinite(fpLow) ? fsLow + (fpLow - fsLow) * (1 - 1e-12) : fsLow * 1.01;
    for (int i = 0; i < 60 && !(reactance(hi) > 0); ++i) hi = fsLow + 2 * (hi - fsLow);
    if (!(reactance(lo) < 0) || !(reactance(hi) > 0)) return std::nullopt;
    for (int step = 0; step < kMaxSteps && hi - lo > 1e-9 + 1e-15 * hi; ++step) {
        const double mid = 0.5 * (lo + hi);
        if (reactance(mid) < 0)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

} // namespace korvan::analysis
