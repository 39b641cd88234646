#include "analysis/exact_figures.h"

#include "analysis/bracket_search.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace korvan::analysis {

namespace {

constexpr double kFinestStepHz = 0.5;
// Grid steps grow with the distance from fm by this share: fine where the
// pass band and the skirts are, coarse far out. About 3800 points on either
// side, whatever fm is.
constexpr double kRelativeStep = 0.002;

double lossAt(const LadderModel& m, double f) {
    const double loss = -magnitudeDb(analyseLadder(m, f).s21);
    return std::isfinite(loss) ? loss : std::numeric_limits<double>::quiet_NaN();
}

std::vector<double> searchGrid(double fm) {
    std::vector<double> offsets;
    for (double d = kFinestStepHz; d <= kExactSearchHz;
         d += std::max(kFinestStepHz, d * kRelativeStep))
        offsets.push_back(d);
    offsets.push_back(kExactSearchHz);
    std::vector<double> f;
    f.reserve(2 * offsets.size() + 1);
    // Strictly rising: at a huge fm neighbouring offsets can round to the
    // same frequency. A low crystal frequency cuts the search off at 0 Hz:
    // below it the analysis would mirror the pass band.
    const auto add = [&f](double x) {
        if (x > 0 && (f.empty() || x > f.back())) f.push_back(x);
    };
    for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) add(fm - *it);
    add(fm);
    for (double d : offsets) add(fm + d);
    return f;
}

} // namespace

std::optional<ExactFigures> exactFigures(const LadderModel& model, double fm) {
    if (!std::isfinite(fm) || fm <= 0) return std::nullopt;
    std::vector<double> f, lossDb, delayS;
    for (double x : searchGrid(fm)) {
        const SParameters p = analyseLadder(model, x);
        const double loss = -magnitudeDb(p.s21);
        if (std::isfinite(loss) && std::isfinite(p.groupDelayS)) {
            f.push_back(x);
            lossDb.push_back(loss);
            delayS.push_back(p.groupDelayS);
        }
    }
    const std::function<double(double)> loss = [&model](double x) { return lossAt(model, x); };
    const LossCurve curve{f, lossDb, &loss};
    const auto band = readPassband(curve);
    if (!band) return std::nullopt;

    ExactFigures out;
    out.ilDb = band->ilDb;
    out.ilHz = band->ilHz;
    if (band->band3) out.rippleDb = band->rippleDb;
    out.dips = band->dips;
    for (std::size_t l = 0; l < kExactLevelsDb.size(); ++l)
        if (const auto e = outerCrossings(curve, out.ilDb + kExactLevelsDb[l]))
            out.levels[l] = {e->lowHz, e->highHz};

    // Group-delay peak between the 6 dB edges.
    if (out.levels[1].lowHz && out.levels[1].highHz) {
        const double a = *out.levels[1].lowHz, b = *out.levels[1].highHz;
        std::size_t peak = f.size();
        for (std::size_t i = 0; i < f.size(); ++i)
            if (f[i] >= a && f[i] <= b && (peak == f.size() || delayS[i] > delayS[peak])) peak = i;
        if (peak < f.size()) {
            const auto negDelay = [&model](double x) {
                const double tau = analyseLadder(model, x).groupDelayS;
                return std::isfinite(tau) ? -tau : std::numeric_limits<double>::quiet_NaN();
            };
            const double lo = peak > 0 ? std::max(a, f[peak - 1]) : a;
            const double hi = peak + 1 < f.size() ? std::min(b, f[peak + 1]) : b;
            const double x = findMinimum(negDelay, lo, hi);
            const double tau = -negDelay(x);
            const bool refined = std::isfinite(tau) && tau >= delayS[peak];
            out.groupDelayPeakHz = refined ? x : f[peak];
            out.groupDelayPeakS = refined ? tau : delayS[peak];
        }
    }
    return out;
}

} // namespace korvan::analysis
