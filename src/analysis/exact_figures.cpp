#include "analysis/exact_figures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace korvan::analysis {

namespace {

constexpr double kTolHz = 0.005; // brackets end narrower than this
constexpr double kFinestStepHz = 0.5;
// Grid steps grow with the distance from fm by this share: fine where the
// pass band and the skirts are, coarse far out.
constexpr double kRelativeStep = 0.002;

struct Sample {
    double f, lossDb, delayS;
};

double lossAt(const LadderModel& m, double f) {
    const SParameters s = analyseLadder(m, f);
    const double loss = -magnitudeDb(s.s21);
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
    // A low crystal frequency cuts the search off at 0 Hz: below it the
    // analysis would mirror the pass band.
    for (auto it = offsets.rbegin(); it != offsets.rend(); ++it)
        if (fm - *it > 0) f.push_back(fm - *it);
    f.push_back(fm);
    for (double d : offsets) f.push_back(fm + d);
    return f;
}

// Where g changes sign in [a, b] (g(a) < 0 <= g(b) or the reverse).
double bisect(const std::function<double(double)>& g, double a, double b) {
    const bool aNegative = g(a) < 0;
    while (std::fabs(b - a) > kTolHz) {
        const double mid = 0.5 * (a + b);
        if ((g(mid) < 0) == aNegative)
            a = mid;
        else
            b = mid;
    }
    return 0.5 * (a + b);
}

// The minimum of h in [a, b] by golden section (h unimodal there).
double goldenMinimum(const std::function<double(double)>& h, double a, double b) {
    const double r = (std::sqrt(5.0) - 1) / 2;
    double c = b - r * (b - a), d = a + r * (b - a);
    double hc = h(c), hd = h(d);
    while (b - a > kTolHz) {
        if (hc < hd) {
            b = d;
            d = c;
            hd = hc;
            c = b - r * (b - a);
            hc = h(c);
        } else {
            a = c;
            c = d;
            hc = hd;
            d = a + r * (b - a);
            hd = h(d);
        }
    }
    return 0.5 * (a + b);
}

} // namespace

std::optional<ExactFigures> exactFigures(const LadderModel& model, double fm) {
    const std::vector<double> grid = searchGrid(fm);
    const std::vector<SParameters> response = analyseLadder(model, grid, terminations(model));
    std::vector<Sample> s;
    s.reserve(grid.size());
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const double loss = -magnitudeDb(response[i].s21);
        if (std::isfinite(loss) && std::isfinite(response[i].groupDelayS))
            s.push_back({grid[i], loss, response[i].groupDelayS});
    }
    if (s.size() < 3) return std::nullopt;
    const auto loss = [&model](double f) { return lossAt(model, f); };

    // Insertion loss: the smallest of the refined local minima.
    ExactFigures out;
    std::size_t best = 0;
    for (std::size_t i = 1; i < s.size(); ++i)
        if (s[i].lossDb < s[best].lossDb) best = i;
    const auto refinedMinimum = [&](std::size_t i) {
        if (i == 0 || i + 1 >= s.size()) return s[i].f;
        return goldenMinimum(loss, s[i - 1].f, s[i + 1].f);
    };
    out.ilHz = refinedMinimum(best);
    out.ilDb = std::min(loss(out.ilHz), s[best].lossDb);
    if (!std::isfinite(out.ilDb)) return std::nullopt;

    // Edges: from the lowest point outwards, the first crossing of each level.
    for (std::size_t l = 0; l < kExactLevelsDb.size(); ++l) {
        const double level = out.ilDb + kExactLevelsDb[l];
        const auto g = [&](double f) { return loss(f) - level; };
        for (std::size_t i = best; i > 0; --i)
            if (s[i - 1].lossDb >= level) {
                out.levels[l].lowHz = bisect(g, s[i].f, s[i - 1].f);
                break;
            }
        for (std::size_t i = best; i + 1 < s.size(); ++i)
            if (s[i + 1].lossDb >= level) {
                out.levels[l].highHz = bisect(g, s[i].f, s[i + 1].f);
                break;
            }
    }

    // Ripple: local extrema between the 3 dB edges (or the whole grid).
    const double low3 = out.levels[0].lowHz.value_or(s.front().f);
    const double high3 = out.levels[0].highHz.value_or(s.back().f);
    double firstMin = out.ilHz, lastMin = out.ilHz;
    std::vector<double> maxima;
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i].f < low3 || s[i].f > high3) continue;
        if (s[i].lossDb < s[i - 1].lossDb && s[i].lossDb <= s[i + 1].lossDb) {
            const double f = refinedMinimum(i);
            firstMin = std::min(firstMin, f);
            lastMin = std::max(lastMin, f);
        } else if (s[i].lossDb > s[i - 1].lossDb && s[i].lossDb >= s[i + 1].lossDb) {
            maxima.push_back(
                goldenMinimum([&](double f) { return -loss(f); }, s[i - 1].f, s[i + 1].f));
        }
    }
    for (double f : maxima)
        if (f > firstMin && f < lastMin) out.rippleDb = std::max(out.rippleDb, loss(f) - out.ilDb);

    // Group-delay peak between the 6 dB edges.
    if (out.levels[1].lowHz && out.levels[1].highHz) {
        const double a = *out.levels[1].lowHz, b = *out.levels[1].highHz;
        std::size_t peak = s.size();
        for (std::size_t i = 0; i < s.size(); ++i)
            if (s[i].f >= a && s[i].f <= b && (peak == s.size() || s[i].delayS > s[peak].delayS))
                peak = i;
        if (peak < s.size()) {
            const auto negDelay = [&model](double f) {
                return -analyseLadder(model, f).groupDelayS;
            };
            const double lo = peak > 0 ? std::max(a, s[peak - 1].f) : a;
            const double hi = peak + 1 < s.size() ? std::min(b, s[peak + 1].f) : b;
            const double f = goldenMinimum(negDelay, lo, hi);
            const double tau = -negDelay(f);
            out.groupDelayPeakHz = tau >= s[peak].delayS ? f : s[peak].f;
            out.groupDelayPeakS = std::max(tau, s[peak].delayS);
        }
    }
    return out;
}

} // namespace korvan::analysis
