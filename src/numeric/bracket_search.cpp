#include "numeric/bracket_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvan::numeric {

bool bracketClosed(double a, double b, double absTolerance) {
    const double width = std::fabs(b - a);
    const double ulps =
        8 * std::numeric_limits<double>::epsilon() * std::max(std::fabs(a), std::fabs(b));
    // A nan end closes the bracket too: there is nothing left to search.
    return !(width > absTolerance && width > ulps);
}

double bisectSignChange(const std::function<double(double)>& g, double a, double b,
                        double absTolerance) {
    const bool aNegative = g(a) < 0;
    for (int step = 0; step < kMaxBracketSteps && !bracketClosed(a, b, absTolerance); ++step) {
        const double mid = 0.5 * (a + b);
        if (mid == a || mid == b) break; // no double lies between them
        if ((g(mid) < 0) == aNegative)
            a = mid;
        else
            b = mid;
    }
    return 0.5 * (a + b);
}

double goldenSectionMinimum(const std::function<double(double)>& h, double a, double b,
                            double absTolerance) {
    const double r = (std::sqrt(5.0) - 1) / 2;
    double c = b - r * (b - a), d = a + r * (b - a);
    double hc = h(c), hd = h(d);
    for (int step = 0; step < kMaxBracketSteps && !bracketClosed(a, b, absTolerance); ++step) {
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

} // namespace korvan::numeric
