// Bracket searches end at every magnitude a frequency can take, and find
// what the doubles there allow.

#include "numeric/bracket_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace korvan::numeric;

TEST(bracket_search_test, ends_at_every_magnitude) {
    // Where a 0.005 Hz tolerance alone would never be met (above about
    // 4e13 Hz), where it is met at once, and at the ends of double range.
    for (const double centre : {1e-300, 1.0, 4998000.0, 3.5e13, 1e14, 1e17, 1e300}) {
        SCOPED_TRACE(centre);
        const double root = centre * (1 + 1e-6);
        const double a = centre * 0.9, b = centre * 1.1;
        int calls = 0;
        const double found = bisectSignChange(
            [&](double f) {
                ++calls;
                return f - root;
            },
            a, b, 0.005);
        EXPECT_LE(calls, kMaxBracketSteps + 1);
        EXPECT_NEAR(found, root, std::max(0.005, root * 1e-14));

        calls = 0;
        const double minimum = goldenSectionMinimum(
            [&](double f) {
                ++calls;
                return std::fabs(f - root);
            },
            a, b, 0.005);
        EXPECT_LE(calls, kMaxBracketSteps + 2);
        EXPECT_GE(minimum, a);
        EXPECT_LE(minimum, b);
        EXPECT_NEAR(minimum, root, std::max(0.01, root * 1e-13));
    }
}

TEST(bracket_search_test, a_nan_ends_the_search) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    int calls = 0;
    bisectSignChange([&](double) { return ++calls, nan; }, 0, 1e6, 0.005);
    EXPECT_LT(calls, 40);
    calls = 0;
    goldenSectionMinimum([&](double) { return ++calls, nan; }, 0, 1e6, 0.005);
    EXPECT_LT(calls, 60);
    EXPECT_TRUE(bracketClosed(nan, 1, 0.005));
}

} // namespace
