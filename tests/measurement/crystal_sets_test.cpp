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

// The reference crystal (62 mH at 4998 kHz, Cp 4 pF) in an 8-pole Cohn
// ladder allows 6691.3 Hz, as the main window shows.
TEST(crystal_sets_test, judgedAgainstTheBandwidthTheCrystalsAllowOrTheOneAsked) {
    const auto crystalAt = [](double fs) {
        MeasuredCrystal c;
        c.file = "x" + std::to_string(static_cast<int>(fs - 4998000)) + ".s2p";
        c.fit.fitted = CrystalParameters::fromSeries(fs, 0.062, 20, 4e-12);
        return c;
    };
    EXPECT_NEAR(cohnMaximumBandwidthHz(crystalAt(4998000).fit.fitted, 8), 6691.3, 0.05);
    const struct {
        std::vector<double> offsetsHz;
        std::optional<double> bandwidthHz;
        bool spreadWarned;
        std::vector<std::size_t> outliers;
        double referenceHz; // Cohn Bmax: 8 poles 6691.3 Hz; 2 poles 0.41421 D = 4228 Hz
    } cases[] = {
        {{0, 3, 6, 9, 12, 15, 18, 21}, {}, false, {}, 6691.3},
        {{0, 0, 0, 0, 0, 0, 0, 60}, {}, false, {}, 6691.3},  // within a hundredth of it
        {{0, 0, 0, 0, 0, 0, 0, 80}, {}, false, {7}, 6691.3}, // beyond it
        {{0, 10, 20, 30, 40, 50, 60, 700}, {}, true, {7}, 6691.3},
        {{0, 20, 40, 60, 80, 100, 120, 140}, {}, false, {}, 6691.3}, // even, wide: no outlier
        {{0, 20, 40, 60, 80, 100, 120, 140}, 1000.0, true, {}, 1000},
        {{0, 3000}, {}, true, {}, 4228}, // two crystals: no outlier to tell
    };
    for (const auto& c : cases) {
        std::vector<MeasuredCrystal> crystals;
        std::vector<double> fs;
        for (double offset : c.offsetsHz) {
            crystals.push_back(crystalAt(4998000 + offset));
            fs.push_back(crystals.back().fit.fitted.fs_Hz());
        }
        auto sets = matchSets(fs, fs.size());
        ASSERT_EQ(sets.size(), 1u);
        judgeSets(sets, crystals, c.bandwidthHz);
        const auto& set = sets.front();
        std::string all;
        for (const auto& w : set.warnings) all += w + ";";
        EXPECT_EQ(all.find("spread") != std::string::npos, c.spreadWarned) << all;
        EXPECT_EQ(set.outliers, c.outliers) << all;
        EXPECT_NEAR(set.referenceBandwidthHz, c.referenceHz, 2);
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
