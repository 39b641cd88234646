#include "analysis/passband_figures.h"

#include "analysis/bracket_search.h"

#include <algorithm>
#include <cmath>

namespace korvan::analysis {

namespace {

// The frequency where the loss passes `level` between sample `above` (loss
// above the level) and sample `atOrBelow`.
double crossingBetween(const LossCurve& c, std::size_t above, std::size_t atOrBelow, double level) {
    const auto& f = c.fHz;
    const auto& loss = c.lossDb;
    if (c.exact) {
        // A loss that cannot be had (a lossless crystal at resonance) counts
        // as above the level.
        const auto& exact = *c.exact;
        return findCrossing([&](double x) { return exact(x) - level; }, f[above], f[atOrBelow]);
    }
    return f[above] +
           (f[atOrBelow] - f[above]) * (loss[above] - level) / (loss[above] - loss[atOrBelow]);
}

// The extremum near sample k (a minimum of the loss, or with `largest` a
// maximum), refined between its neighbours inside [first, last] when the
// function is there; never worse than the sample itself.
std::pair<double, double> extremumNear(const LossCurve& c, std::size_t k, std::size_t first,
                                       std::size_t last, bool largest) {
    const auto& f = c.fHz;
    std::pair<double, double> best{f[k], c.lossDb[k]};
    if (!c.exact) return best;
    const std::size_t a = k > first ? k - 1 : k, b = k < last ? k + 1 : k;
    if (a == b) return best;
    const auto& exact = *c.exact;
    const double sign = largest ? -1 : 1;
    const double x = findMinimum([&](double v) { return sign * exact(v); }, f[a], f[b]);
    const double value = exact(x);
    if (std::isfinite(value) && sign * value < sign * best.second) best = {x, value};
    return best;
}

} // namespace

std::optional<BandEdges> outerCrossings(const LossCurve& c, double level) {
    const auto& loss = c.lossDb;
    const std::size_t n = loss.size();
    std::size_t lo = 0;
    while (lo < n && loss[lo] > level) ++lo;
    if (lo == 0 || lo == n) return std::nullopt;
    std::size_t hi = n - 1;
    while (loss[hi] > level) --hi;
    if (hi == n - 1) return std::nullopt;
    return BandEdges{crossingBetween(c, lo - 1, lo, level), crossingBetween(c, hi + 1, hi, level)};
}

std::optional<Passband> readPassband(const LossCurve& c) {
    const auto& loss = c.lossDb;
    const std::size_t n = loss.size();
    if (n < 3 || c.fHz.size() != n) return std::nullopt;
    for (double v : loss)
        if (!std::isfinite(v)) return std::nullopt;

    Passband p;
    const auto best =
        static_cast<std::size_t>(std::min_element(loss.begin(), loss.end()) - loss.begin());
    std::tie(p.ilHz, p.ilDb) = extremumNear(c, best, 0, n - 1, false);
    const double level3 = p.ilDb + 3;
    p.band3 = outerCrossings(c, level3);
    if (!p.band3) return p;

    // The samples of the 3 dB band: the first and the last at or below it.
    std::size_t lo = 0, hi = n - 1;
    while (loss[lo] > level3) ++lo;
    while (loss[hi] > level3) --hi;

    // A local minimum is lower than the sample after it and not higher than
    // the one before (a flat bottom counts once, at its right end).
    std::optional<std::size_t> firstMin, lastMin;
    for (std::size_t k = std::max<std::size_t>(lo, 1); k <= hi && k + 1 < n; ++k)
        if (loss[k] <= loss[k - 1] && loss[k] < loss[k + 1]) {
            if (!firstMin) firstMin = k;
            lastMin = k;
        }
    if (firstMin && *firstMin != *lastMin) {
        const auto from = loss.begin() + static_cast<std::ptrdiff_t>(*firstMin);
        const auto peak = static_cast<std::size_t>(
            std::max_element(from, loss.begin() + static_cast<std::ptrdiff_t>(*lastMin) + 1) -
            loss.begin());
        const double peakDb = peak == *firstMin || peak == *lastMin
                                  ? loss[peak]
                                  : extremumNear(c, peak, *firstMin, *lastMin, true).second;
        p.rippleDb = std::max(0.0, peakDb - p.ilDb);
    }

    // Dips: runs of samples above IL + 3 dB between lo and hi, each with a
    // sample at or below the level on both sides.
    for (std::size_t k = lo; k <= hi; ++k) {
        if (loss[k] <= level3) continue;
        const std::size_t first = k;
        while (loss[k + 1] > level3) ++k; // loss[hi] is at or below the level
        const std::size_t last = k;
        const auto deepest = static_cast<std::size_t>(
            std::max_element(loss.begin() + static_cast<std::ptrdiff_t>(first),
                             loss.begin() + static_cast<std::ptrdiff_t>(last) + 1) -
            loss.begin());
        PassbandDip dip;
        double at = 0;
        std::tie(dip.hz, at) = extremumNear(c, deepest, first - 1, last + 1, true);
        dip.depthDb = at - p.ilDb;
        dip.edges = {crossingBetween(c, first, first - 1, level3),
                     crossingBetween(c, last, last + 1, level3)};
        p.dips.push_back(dip);
    }
    return p;
}

} // namespace korvan::analysis
