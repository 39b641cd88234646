// Bracket searches end at every magnitude a frequency can take, and find
// what the doubles there allow.

#include "analysis/bracket_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace korvan::analysis;

// Far more evaluations than any bracket of finite doubles needs.
constexpr int kMaxCalls = 210;

TEST(bracket_search_test, ends_at_every_magnitude) {
    // Where a 0.005 Hz tolerance alone would never be met (above about
    // 4e13 Hz), where it is met at once, and at the ends of double range.
    for (const double centre : {1e-300, 1.0, 4998000.0, 3.5e13, 1e14, 1e17, 1e300}) {
        SCOPED_TRACE(centre);
        const double root = centre * (1 + 1e-6);
        const double a = centre * 0.9, b = centre * 1.1;
        int calls = 0;
        const double found = findCrossing(
            [&](double f) {
                ++calls;
                return f - root;
            },
            a, b);
        EXPECT_LE(calls, kMaxCalls);
        EXPECT_NEAR(found, root, std::max(0.005, root * 1e-14));

        calls = 0;
        const double minimum = findMinimum(
            [&](double f) {
                ++calls;
                return std::fabs(f - root);
            },
            a, b);
        EXPECT_LE(calls, kMaxCalls);
        EXPECT_GE(minimum, a);
        EXPECT_LE(minimum, b);
        EXPECT_NEAR(minimum, root, std::max(0.01, root * 1e-13));
    }
}

TEST(bracket_search_test, a_nan_ends_the_search) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    int calls = 0;
    findCrossing([&](double) { return ++calls, nan; }, 0, 1e6);
    EXPECT_LT(calls, 40);
    calls = 0;
    findMinimum([&](double) { return ++calls, nan; }, 0, 1e6);
    EXPECT_LT(calls, 60);
}

} // namespace
