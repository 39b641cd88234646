#include "analysis/bracket_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvan::analysis {

namespace {

// Bisection halves the bracket, golden section shrinks it by 0.618: from
// the widest bracket a search meets (a few hundred kHz) to the tolerance
// both need well under a hundred steps.
constexpr int kMaxSteps = 200;

bool below(double v) {
    return v < 0; // false for NaN
}

double finiteOrHuge(double v) {
    return std::isfinite(v) ? v : std::numeric_limits<double>::max();
}

} // namespace

double bracketTolerance(double f) {
    return std::max(kBracketToleranceHz, 8 * std::numeric_limits<double>::epsilon() * std::fabs(f));
}

double findCrossing(const std::function<double(double)>& g, double a, double b) {
    const bool aBelow = below(g(a));
    for (int step = 0; step < kMaxSteps; ++step) {
        if (std::fabs(b - a) <= bracketTolerance(std::max(std::fabs(a), std::fabs(b)))) break;
        const double mid = a + 0.5 * (b - a);
        if (mid == a || mid == b) break; // no double left between them
        if (below(g(mid)) == aBelow)
            a = mid;
        else
            b = mid;
    }
    return a + 0.5 * (b - a);
}

double findMinimum(const std::function<double(double)>& h, double a, double b) {
    if (b < a) std::swap(a, b);
    const double r = (std::sqrt(5.0) - 1) / 2;
    double c = b - r * (b - a), d = a + r * (b - a);
    double hc = finiteOrHuge(h(c)), hd = finiteOrHuge(h(d));
    for (int step = 0; step < kMaxSteps; ++step) {
        if (b - a <= bracketTolerance(std::max(std::fabs(a), std::fabs(b)))) break;
        if (hc < hd) {
            b = d;
            d = c;
            hd = hc;
            c = b - r * (b - a);
            hc = finiteOrHuge(h(c));
        } else {
            a = c;
            c = d;
            hc = hd;
            d = a + r * (b - a);
            hd = finiteOrHuge(h(d));
        }
    }
    return a + 0.5 * (b - a);
}

} // namespace korvan::analysis
