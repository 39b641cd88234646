#include "designer/crystal_reactance.h"
#include "designer/designer_support.h"

#include <gtest/gtest.h>

#include <numbers>

namespace korvan::designer {
namespace {

// The analytic slope against a central difference of the reactance, and the
// loop resonance against the reactance it must cancel, between fs and fp.
TEST(crystal_reactance_test, slopeAndLoopResonance) {
    const struct {
        double fsHz, lmH, cpF, offsetHz, loopF;
    } cases[] = {{4998e3, 0.062, 4e-12, 1200, 33e-12},
                 {8e6, 0.0155, 5e-12, 1800, 51.6e-12},
                 {10.7e6, 0.012, 0, 2500, 20e-12},
                 {27e6, 0.008, 6e-12, 40, 1e-9}};
    for (const auto& c : cases) {
        const Crystal x = test::crystalAt(c.fsHz, c.lmH, c.cpF);
        const double f = c.fsHz + c.offsetHz, h = 1e-3;
        const double w = 2 * std::numbers::pi;
        const double numeric =
            (crystalReactance(x, f + h).x - crystalReactance(x, f - h).x) / (w * 2 * h);
        EXPECT_NEAR(crystalReactance(x, f).dxdw, numeric, 1e-6 * numeric) << c.fsHz;
        EXPECT_NEAR(seriesResonanceHz(x), c.fsHz, 1e-9 * c.fsHz);

        const double fr = loopResonanceHz(x, c.loopF);
        EXPECT_GT(fr, c.fsHz);
        EXPECT_LT(fr, parallelResonanceHz(x));
        EXPECT_NEAR(crystalReactance(x, fr).x * w * fr * c.loopF, 1, 1e-9) << c.fsHz;
        EXPECT_NEAR(loopCapacitanceF(x, fr), c.loopF, 1e-9 * c.loopF);
    }
}

} // namespace
} // namespace korvan::designer
