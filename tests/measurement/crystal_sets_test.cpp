#include "measurement/crystal_sets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace korvan::measurement {
namespace {

TEST(crystal_sets_test, slidingWindowTakesTheClosestDisjointSetsFirst) {
    const struct {
        std::vector<double> fs;
        std::size_t size;
        std::vector<std::vector<std::size_t>> members;
        std::vector<double> spreads;
    } cases[] = {
        // Unsorted input; the closest pair leaves a gap the next set spans.
        {{20, 6, 0, 7, 5}, 2, {{4, 1}, {2, 3}}, {1, 7}},
        {{0, 1, 2, 10, 11, 12, 13}, 3, {{0, 1, 2}, {3, 4, 5}}, {2, 2}},
        {{1, 2}, 3, {}, {}},
        {{4, 4, 4}, 1, {{0}, {1}, {2}}, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        const auto sets = matchSets(c.fs, c.size);
        ASSERT_EQ(sets.size(), c.members.size());
        for (std::size_t i = 0; i < sets.size(); ++i) {
            EXPECT_EQ(sets[i].members, c.members[i]);
            EXPECT_DOUBLE_EQ(sets[i].spreadHz, c.spreads[i]);
        }
    }
}

TEST(crystal_sets_test, meanCrystalAndItsFieldTexts) {
    const auto make = [](double fs, double lm, double rm, double cp) {
        const double w = 2 * std::numbers::pi * fs;
        return CrystalParameters{lm, 1 / (w * w * lm), rm, cp};
    };
    const CrystalParameters batch[] = {make(4998000.0, 0.0620, 20, 4e-12),
                                       make(4998000.5, 0.0621, 22, 4.2e-12)};
    const auto mean = meanCrystal(batch);
    EXPECT_NEAR(mean.fs_Hz(), 4998000.25, 1e-6);
    const auto texts = crystalFieldTexts(mean, ',');
    EXPECT_EQ(texts.lmMh, "62,05000");
    EXPECT_EQ(texts.fsKhz, "4998,0003");
    EXPECT_EQ(texts.cpPf, "4,1000");
    EXPECT_EQ(texts.rmOhm, "21,000");
}

} // namespace
} // namespace korvan::measurement
