#include "tools/l_section.h"

#include <cmath>

namespace korvan::tools {

long double lSeriesReactance(long double r1, long double r2) {
    return std::sqrt(r1 * r2 - r1 * r1);
}

long double lShuntReactance(long double r1, long double r2, long double seriesReactance) {
    return r1 * r2 / seriesReactance;
}

} // namespace korvan::tools
