#include "analysis/e_series.h"

#include <gtest/gtest.h>

namespace {

using namespace korvan::analysis;

TEST(e_series_test, nearest_value_across_decade_edges) {
    const struct {
        ESeries series;
        double value, expected;
    } cases[] = {
        {ESeries::E12, 33.2e-12, 33e-12},   {ESeries::E12, 36.1e-12, 39e-12},
        {ESeries::E12, 9.2e-12, 10e-12},   // above the decade's last value
        {ESeries::E12, 0.95e-9, 1.0e-9},   // from below into the next decade
        {ESeries::E12, 1.05e-10, 100e-12}, // just above a decade start
        {ESeries::E6, 0.8e-12, 0.68e-12},   {ESeries::E6, 8.5e-12, 10e-12},
        {ESeries::E24, 95.4e-12, 91e-12},   {ESeries::E24, 95.6e-12, 100e-12},
        {ESeries::E48, 33.2e-12, 33.2e-12}, {ESeries::E96, 97.9e-12, 97.6e-12},
        {ESeries::E96, 98.9e-12, 100e-12},  {ESeries::E96, 150e-12, 150e-12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(seriesName(c.series)) + " " + std::to_string(c.value * 1e12));
        EXPECT_DOUBLE_EQ(nearestValue(c.value, c.series), c.expected);
    }
    EXPECT_EQ(nearestValue(0, ESeries::E12), 0);
    EXPECT_EQ(nearestValue(-3e-12, ESeries::E12), 0);
}

TEST(e_series_test, nearest_parallel_pair) {
    const struct {
        ESeries series;
        double value, larger, smaller;
    } cases[] = {
        {ESeries::E12, 37e-12, 27e-12, 10e-12},    // as exact as 22 + 15: the larger first
        {ESeries::E6, 2.05e-12, 1.0e-12, 1.0e-12}, // two equal values
        {ESeries::E6, 78e-12, 68e-12, 10e-12},     // the decade start as second value
        {ESeries::E12, 104e-12, 82e-12, 22e-12},
        {ESeries::E24, 9.9e-12, 7.5e-12, 2.4e-12}, // near the decade edge
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(seriesName(c.series)) + " " + std::to_string(c.value * 1e12));
        const ParallelPair p = nearestPair(c.value, c.series);
        EXPECT_DOUBLE_EQ(p.larger, c.larger);
        EXPECT_DOUBLE_EQ(p.smaller, c.smaller);
    }
    EXPECT_EQ(nearestPair(0, ESeries::E12).sum(), 0);
}

TEST(e_series_test, series_names) {
    EXPECT_EQ(seriesFromName("e24"), ESeries::E24);
    EXPECT_EQ(seriesName(*seriesFromName("E96")), "E96");
    EXPECT_FALSE(seriesFromName("E7"));
    EXPECT_EQ(seriesMantissas(ESeries::E48).size(), 48u);
}

} // namespace
