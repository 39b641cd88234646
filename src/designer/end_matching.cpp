#include "designer/end_matching.h"

#include "tools/l_section.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvan::designer {

EndMatch matchEnd(double systemOhm, double filterOhm, double fHz) {
    EndMatch m;
    m.systemOhm = systemOhm;
    m.filterOhm = filterOhm;
    m.turnsRatio = std::sqrt(filterOhm / systemOhm);
    const double r1 = std::min(systemOhm, filterOhm), r2 = std::max(systemOhm, filterOhm);
    m.seriesAtSystem = systemOhm <= filterOhm;
    if (!(1.02 * r1 < r2)) return m;
    m.needed = true;
    const double w = 2 * std::numbers::pi * fHz;
    const double x = static_cast<double>(tools::lSeriesReactance(r1, r2));
    const double xp = static_cast<double>(tools::lShuntReactance(r1, r2, x));
    m.lowpassSeriesH = x / w;
    m.lowpassShuntF = 1 / (w * xp);
    m.highpassSeriesF = 1 / (w * x);
    m.highpassShuntH = xp / w;
    return m;
}

} // namespace korvan::designer
