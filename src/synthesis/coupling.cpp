#include "synthesis/coupling.h"

#include "numeric/fp_check.h"
#include "synthesis/crystal.h"
#include "synthesis/extended.h"
#include "synthesis/termination.h"

#include <cmath>

namespace korvan::synthesis {

void fillQerTables(DesignState& state) {
    // Equal coupling parameter and termination divisor of the QER design,
    // by pole count.
    static constexpr double kQerK[] = {0.5417, 0.5391, 0.5346, 0.5275, 0.5228, 0.5187,
                                       0.5158, 0.5134, 0.5116, 0.5103, 0.5090};
    static constexpr double kQerZ[] = {1.0235, 1.1107, 1.1540, 1.2520, 1.3033, 1.3950,
                                       1.4520, 1.5300, 1.5850, 1.6605, 1.7135};
    for (int n = 4; n <= kMaxPoles; ++n) {
        state.QerK[static_cast<std::size_t>(n)] = kQerK[n - 4];
        state.QerZ[static_cast<std::size_t>(n)] = kQerZ[n - 4];
    }
}

long double equalCoupling(const DesignState& state) {
    if (state.IsQER) return state.QerK.at(static_cast<std::size_t>(state.Poles));
    return 0.5L * std::exp(std::log(2.0L) / state.Poles);
}

void normalizedCoefficients(DesignState& s) {
    const int n = s.Poles;
    const long double t = kPi / (2 * n);

    // Every type gets the Chebyshev or Butterworth coefficients from the
    // ripple field; Cohn and QER use only the bandwidth limit built on them.
    if (s.PBripple > 0) {
        calcBasicParms(s);
        const long double sinhTerm = s.sinhTerm;
        const long double coshTerm = s.coshTerm;
        s.q1inv = fp::toDouble((sinhTerm / coshTerm) / (2 * std::sin(t)));
        for (int i = 1; i <= n - 1; ++i) {
            const long double sin2i = std::sin(2 * i * t);
            const long double num = sin2i * sin2i + sinhTerm * sinhTerm;
            const long double den = 4 * std::sin((2 * i - 1) * t) * std::sin((2 * i + 1) * t);
            s.k[static_cast<std::size_t>(i)] = fp::toDouble(std::sqrt(num / den) / coshTerm);
        }
    } else {
        // Not the Chebyshev form with unit terms: the sin^2 term drops out.
        s.q1inv = fp::toDouble(1 / (2 * std::sin(t)));
        for (int i = 1; i <= n - 1; ++i) {
            const long double den = 4 * std::sin((2 * i - 1) * t) * std::sin((2 * i + 1) * t);
            s.k[static_cast<std::size_t>(i)] = fp::toDouble(std::sqrt(1 / den));
        }
    }
}

void couplingCoefficients(StageContext& ctx) {
    normalizedCoefficients(ctx.state);
    calcFmImp(ctx);
}

} // namespace korvan::synthesis
