#pragma once
// An independent analysis of the crystal ladder for the tests: the chain
// matrix (ABCD) of every arm multiplied out with std::complex<long double>,
// without the reduction from the load that the program uses.

#include "model/design_state.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace korvan::test {

using Cx = std::complex<long double>;

struct Abcd {
    Cx a{1}, b{0}, c{0}, d{1};
    Abcd then(const Abcd& o) const {
        return {a * o.a + b * o.c, a * o.b + b * o.d, c * o.a + d * o.c, c * o.b + d * o.d};
    }
};

struct ReferenceResult {
    long double s21dB = 0;
    long double s11dB = 0;
};

inline Cx crystalImpedance(const DesignState& s, long double rm, long double omega) {
    const Cx j{0, 1};
    const Cx motional = rm + j * omega * static_cast<long double>(s.Lm) +
                        1.0L / (j * omega * static_cast<long double>(s.Cm));
    return 1.0L / (1.0L / motional + j * omega * static_cast<long double>(s.Cp));
}

// S21 and S11 of the ladder in `s` between two resistances Zterm at f Hz.
inline ReferenceResult referenceAnalysis(const DesignState& s, long double rm, long double f) {
    const Cx j{0, 1};
    const long double omega = 2 * std::numbers::pi_v<long double> * f;
    const Cx zx = crystalImpedance(s, rm, omega);
    const int n = s.Poles;
    Abcd chain;
    for (int i = 1; i <= n; ++i) {
        Cx arm = (s.IsQER && (i == 1 || i == n)) ? zx / 2.0L : zx;
        if (s.Cs[i] != 0) arm += 1.0L / (j * omega * static_cast<long double>(s.Cs[i]));
        chain = chain.then(Abcd{1, arm, 0, 1});
        if (i < n) chain = chain.then(Abcd{1, 0, j * omega * static_cast<long double>(s.Ck[i]), 1});
    }
    const long double r = s.Zterm;
    const Cx s21 = 2 * r / (chain.a * r + chain.b + chain.c * r * r + chain.d * r);
    const Cx zin = (chain.a * r + chain.b) / (chain.c * r + chain.d);
    const Cx s11 = (zin - r) / (zin + r);
    return {20 * std::log10(std::abs(s21)), 20 * std::log10(std::abs(s11))};
}

} // namespace korvan::test
