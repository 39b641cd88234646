#include "designer/ladder_synthesis.h"

#include "designer/crystal_reactance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace korvan::designer {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kScanSteps = 96;
constexpr int kMaxRootSteps = 200;

// The elements for one trial value t of the free frequency (Slope: the
// design frequency; BandEdge: the lower band edge), with g(t): the
// reference loop's elastance less its coupling capacitors' (zero where the
// reference needs no capacitor).
struct Trial {
    LadderElements e;
    double mismatch = 0;
    bool valid = false;
};

Trial evaluate(const SynthesisInput& in, Linearisation method, double t) {
    const auto& q = *in.coefficients;
    const std::size_t n = in.crystals.size();
    const double b = in.bandwidthHz;
    Trial trial;
    LadderElements& e = trial.e;
    e.loopElastance.resize(n);
    e.slopeH.resize(n);
    std::vector<double> halfSpan(n); // the reactance that maps to one normalised unit
    double omegaCoupling = 0;
    if (method == Linearisation::Slope) {
        const double w = kTwoPi * t;
        e.designHz = t;
        e.bandLowHz = t - b / 2;
        e.bandHighHz = t + b / 2;
        for (std::size_t i = 0; i < n; ++i) {
            const Reactance r = crystalReactance(in.crystals[i], t);
            e.loopElastance[i] = w * r.x;
            e.slopeH[i] = 0.5 * r.dxdw;
            halfSpan[i] = w * e.slopeH[i] * b / t;
        }
        omegaCoupling = w;
    } else {
        const double lo = t, hi = t + b;
        const double wLo = kTwoPi * lo, wHi = kTwoPi * hi;
        const double sum = 1 / wLo + 1 / wHi, diff = 1 / wLo - 1 / wHi;
        e.bandLowHz = lo;
        e.bandHighHz = hi;
        e.designHz = 0.5 * (lo + hi);
        omegaCoupling = kTwoPi * e.designHz;
        for (std::size_t i = 0; i < n; ++i) {
            const double xLo = crystalReactance(in.crystals[i], lo).x;
            const double xHi = crystalReactance(in.crystals[i], hi).x;
            // The loop reactance X - 1/(w C) is antisymmetric over the band:
            // it reaches -H at the lower edge and +H at the upper one.
            e.loopElastance[i] = (xLo + xHi) / sum;
            halfSpan[i] = 0.5 * (xHi - xLo) + 0.5 * e.loopElastance[i] * diff;
            e.slopeH[i] = halfSpan[i] / (omegaCoupling * b / e.designHz);
        }
    }
    for (std::size_t i = 0; i < n; ++i)
        if (!(halfSpan[i] > 0) || !std::isfinite(halfSpan[i]) || !std::isfinite(e.loopElastance[i]))
            return trial;

    // Mutual reactance 1/(w Ck) = k sqrt(H_i H_i+1); terminations R = H/q.
    e.couplingF.resize(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i)
        e.couplingF[i] = 1 / (omegaCoupling * q.k[i] * std::sqrt(halfSpan[i] * halfSpan[i + 1]));
    e.sourceOhm = halfSpan.front() / q.qe1;
    e.loadOhm = halfSpan.back() / q.qen;

    e.tuningElastance.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        e.tuningElastance[i] = e.loopElastance[i] - e.couplingElastance(static_cast<int>(i));
        // Equal crystals at mirrored positions: no capacitor, not a
        // rounding error's worth of a negative one.
        if (std::fabs(e.tuningElastance[i]) <= 1e-9 * e.loopElastance[i]) e.tuningElastance[i] = 0;
    }
    const auto ref = static_cast<std::size_t>(in.reference);
    trial.mismatch = e.tuningElastance[ref];
    e.tuningElastance[ref] = 0;
    trial.valid = std::isfinite(trial.mismatch);
    return trial;
}

} // namespace

double LadderElements::couplingElastance(int position) const {
    const auto i = static_cast<std::size_t>(position);
    double s = 0;
    if (i > 0) s += 1 / couplingF[i - 1];
    if (i < couplingF.size()) s += 1 / couplingF[i];
    return s;
}

std::vector<int> LadderElements::unreachable() const {
    std::vector<int> out;
    for (std::size_t i = 0; i < tuningElastance.size(); ++i)
        if (tuningElastance[i] < 0) out.push_back(static_cast<int>(i));
    return out;
}

analysis::LadderModel LadderElements::ladder(std::span<const analysis::Crystal> crystals,
                                             bool withLoss) const {
    analysis::LadderModel m;
    m.sourceOhm = sourceOhm;
    m.loadOhm = loadOhm;
    m.couplingF = couplingF;
    for (std::size_t i = 0; i < crystals.size(); ++i) {
        analysis::SeriesArm arm;
        analysis::Crystal c = crystals[i];
        if (!withLoss) c.rmOhm = 0;
        arm.crystals.push_back(c);
        arm.csF = tuningElastance[i] > 0 ? 1 / tuningElastance[i] : 0;
        m.arms.push_back(std::move(arm));
    }
    return m;
}

std::optional<LadderElements> synthesise(const SynthesisInput& in, Linearisation method) {
    const std::size_t n = in.crystals.size();
    if (n < 2 || !in.coefficients || in.coefficients->k.size() + 1 != n || !(in.bandwidthHz > 0) ||
        in.reference < 0 || static_cast<std::size_t>(in.reference) >= n)
        return std::nullopt;
    const analysis::Crystal& refCrystal = in.crystals[static_cast<std::size_t>(in.reference)];
    const double fs = seriesResonanceHz(refCrystal);
    // The free frequency lies where the reference crystal is inductive; for
    // BandEdge the whole band must stay below every crystal's fp.
    double fpLowest = std::numeric_limits<double>::infinity();
    for (const auto& c : in.crystals) fpLowest = std::min(fpLowest, parallelResonanceHz(c));
    if (!std::isfinite(fpLowest)) fpLowest = 1.2 * fs; // no holder capacitance
    double lo = method == Linearisation::Slope ? fs : fs - in.bandwidthHz;
    double hi = method == Linearisation::Slope ? parallelResonanceHz(refCrystal)
                                               : fpLowest - in.bandwidthHz;
    if (!std::isfinite(hi)) hi = 1.2 * fs;
    if (!(hi > lo)) return std::nullopt;

    // Scan upwards (densely near the bottom, where designs lie) for the
    // first rise of the mismatch through zero, then close in on it.
    const auto at = [&](double t) { return evaluate(in, method, t); };
    double a = 0, fa = 0;
    bool haveA = false, bracketed = false;
    double bT = 0, fb = 0;
    for (int j = 1; j < kScanSteps && !bracketed; ++j) {
        const double u = std::pow(static_cast<double>(j) / kScanSteps, 3);
        const double t = lo + (hi - lo) * u;
        const Trial trial = at(t);
        if (!trial.valid) continue;
        if (trial.mismatch < 0) {
            a = t;
            fa = trial.mismatch;
            haveA = true;
        } else if (haveA) {
            bT = t;
            fb = trial.mismatch;
            bracketed = true;
        }
    }
    if (!bracketed) return std::nullopt;

    // Illinois false position, bisecting when it stalls.
    int side = 0;
    double t = a;
    for (int step = 0; step < kMaxRootSteps; ++step) {
        t = (a * fb - bT * fa) / (fb - fa);
        if (!(t > a && t < bT)) t = 0.5 * (a + bT);
        const Trial trial = at(t);
        if (!trial.valid) return std::nullopt;
        if (trial.mismatch == 0 || bT - a <= 1e-14 * t) break;
        if (trial.mismatch < 0) {
            a = t;
            fa = trial.mismatch;
            if (side == -1) fb *= 0.5;
            side = -1;
        } else {
            bT = t;
            fb = trial.mismatch;
            if (side == 1) fa *= 0.5;
            side = 1;
        }
    }
    Trial result = at(t);
    if (!result.valid) return std::nullopt;
    return result.e;
}

} // namespace korvan::designer
