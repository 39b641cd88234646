#include "designer/crystal_placement.h"
#include "designer/crystal_reactance.h"
#include "designer/designer_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <random>

namespace korvan::designer {
namespace {

using test::crystalAt;

std::vector<NamedCrystal> batch(int m, double f0, double spreadHz, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> offset(-0.5 * spreadHz, 0.5 * spreadHz);
    std::vector<NamedCrystal> out;
    for (int i = 0; i < m; ++i)
        out.push_back({"x" + std::to_string(i), crystalAt(f0 + offset(rng), 0.015, 5e-12, 12)});
    return out;
}

// The largest mesh offset of a placement by the synthesis itself: the
// reference's mesh frequency less each other mesh's own, or nullopt when a
// mesh lies above it.
std::optional<double> largestOffset(const std::vector<analysis::Crystal>& xs,
                                    const prototype::CoupledResonatorCoefficients& q, double bw,
                                    int ref) {
    const auto e = synthesise({xs, &q, bw, ref}, Linearisation::BandEdge);
    if (!e || !e->unreachable().empty()) return std::nullopt;
    const double mesh = loopResonanceHz(xs[static_cast<std::size_t>(ref)],
                                        1 / e->loopElastance[static_cast<std::size_t>(ref)]);
    double largest = 0;
    for (std::size_t i = 0; i < xs.size(); ++i)
        largest = std::max(
            largest, mesh - loopResonanceHz(xs[i], 1 / e->couplingElastance(static_cast<int>(i))));
    return largest;
}

// 4 of 7: every choice and order tried with the synthesis; the placement,
// which judges on the couplings of a typical crystal, comes within 1 % of
// the bandwidth of the best of them.
TEST(crystal_placement_test, smallBatchNearTheExhaustiveOptimum) {
    const auto shape = test::chebyshev(0.2);
    const auto q = shapeCoefficients(shape, 4);
    const double bw = 2400;
    for (unsigned seed : {1u, 2u, 3u}) {
        const auto candidates = batch(7, 8e6, 600, seed);
        PlacementRequest r{candidates, 4, shape, bw, {}, 0};
        const Placement p = placeCrystals(r);
        ASSERT_EQ(p.ordered.size(), 4u);
        EXPECT_EQ(p.unused.size(), 3u);
        EXPECT_EQ(p.referencePosition, 2);
        const auto placed = largestOffset(models(p.ordered), q, bw, 1);
        ASSERT_TRUE(placed) << "seed " << seed;

        double best = 1e300;
        std::vector<int> idx(7);
        std::iota(idx.begin(), idx.end(), 0);
        // Every ordered choice of 4: permutations of 7, first four taken,
        // each ordered 4-tuple seen (7!/3!) times over.
        do {
            std::vector<analysis::Crystal> xs;
            for (int i = 0; i < 4; ++i)
                xs.push_back(
                    candidates[static_cast<std::size_t>(idx[static_cast<std::size_t>(i)])].model);
            if (const auto o = largestOffset(xs, q, bw, 1)) best = std::min(best, *o);
            std::reverse(idx.begin() + 4, idx.end());
        } while (std::next_permutation(idx.begin(), idx.end()));
        EXPECT_LE(*placed, best + 0.01 * bw) << "seed " << seed;
    }
}

TEST(crystal_placement_test, fourteenOfAHundredDesignEveryMeshReachable) {
    PlacementRequest r{batch(100, 10.7e6, 800, 9), 14, test::chebyshev(0.1), 2400, {}, 0};
    std::atomic<bool> cancel{false};
    int reports = 0;
    const PlacedDesign d =
        placeAndDesign(r, Compensation::Bandwidth, {&cancel, [&](int, int) { ++reports; }});
    EXPECT_GT(reports, 0);
    EXPECT_EQ(d.placement.unused.size(), 86u);
    EXPECT_TRUE(d.placement.minimumCsKept);
    for (std::size_t i = 0; i < d.design.positions.size(); ++i) {
        const auto& p = d.design.positions[i];
        if (static_cast<int>(i) + 1 == d.design.referencePosition) continue;
        if (p.csF == 0)
            EXPECT_LE(std::fabs(p.leftOffHz), kMeshTolerance * 2400) << "position " << i + 1;
        else
            EXPECT_GE(p.csF, kMinimumCsF * 0.9) << "position " << i + 1;
    }
    test::expectPromise(d.design, 2400, 0, true, "14 of 100");

    cancel = true;
    EXPECT_TRUE(placeCrystals(r, {&cancel, {}}).cancelled);
}

TEST(crystal_placement_test, refusals) {
    const auto q = test::chebyshev(0.1);
    PlacementRequest few{batch(5, 8e6, 100, 4), 6, q, 2400, {}, 0};
    EXPECT_THROW(placeCrystals(few), DesignError);
    // The middle mesh can only be the highest with crystals high enough for it.
    PlacementRequest close{batch(6, 8e6, 20, 5), 6, q, 2400, {ReferenceRule::Kind::Middle, 0}, 0};
    try {
        (void)placeCrystals(close);
        ADD_FAILURE() << "placed";
    } catch (const DesignError& e) {
        EXPECT_NE(std::string(e.what()).find("reference (middle)"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace korvan::designer
