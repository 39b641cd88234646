#include "prototype/predistortion.h"

#include <cmath>
#include <limits>

namespace korvan::prototype {

long double minimumQo(const LowpassFunction& lossless) {
    long double least = std::numeric_limits<long double>::infinity();
    for (const Complex& p : lossless.poles) least = std::min(least, std::fabs(p.real()));
    return 1 / least;
}

LowpassFunction predistorted(const LowpassFunction& lossless, long double qo) {
    std::vector<Complex> moved = lossless.poles;
    for (auto& p : moved) p += 1 / qo;
    return fromPoles(std::move(moved));
}

long double insertionLossDb(const LowpassFunction& lossless, const LowpassFunction& predistorted) {
    // Both have D monic: the lossy filter is (K'/K) H(s).
    return 10 * std::log10(lossless.gainSquared / predistorted.gainSquared);
}

} // namespace korvan::prototype
