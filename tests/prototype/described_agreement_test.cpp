// The Chebyshev and Butterworth prototypes agree with the coefficients the
// main calculation computes in closed form.

#include "prototype/prototype.h"
#include "synthesis/design_fixture.h"

#include <gtest/gtest.h>

namespace korvan::testing {
namespace {

TEST(prototype_test, agrees_with_the_main_calculation) {
    for (const char* ripple : {"0", "0.001", "0.01", "0.1", "0.5", "1", "2", "3"})
        for (int n = 2; n <= 14; ++n) {
            SCOPED_TRACE(std::string(ripple) + " dB, n = " + std::to_string(n));
            Design d;
            Inputs in;
            in.rippleDb = ripple;
            in.poles = n;
            applyInputs(d, in);
            fp::clearFlags();
            auto ctx = d.context();
            synthesis::calcXtalParms(ctx);
            synthesis::couplingCoefficients(ctx);

            prototype::Request r;
            r.poles = n;
            r.rippleDb = d.state.PBripple;
            r.family =
                r.rippleDb > 0 ? prototype::Family::Chebyshev : prototype::Family::Butterworth;
            const auto c = prototype::coefficients(r);
            EXPECT_NEAR(c.q1 * d.state.q1inv, 1, 1e-12);
            EXPECT_NEAR(c.qn * d.state.q1inv, 1, 1e-12);
            for (int i = 1; i < n; ++i)
                EXPECT_NEAR(c.k[static_cast<std::size_t>(i) - 1] / d.state.k[i], 1, 1e-12)
                    << "k" << i;
        }
}

} // namespace
} // namespace korvan::testing
