#include "design_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace korvan::testing {
namespace {

struct PrototypeRow {
    const char* ripple;
    int poles;
    const char* q1;
    const char* q1inv;
    const char* k; // k[1] .. k[n-1], blank separated
};

// Reference low-pass prototypes, to four decimals.
const PrototypeRow kPrototypes[] = {
    {"0", 2, "1.4142", "0.7071", "0.7071"},
    {"0", 3, "1.0000", "1.0000", "0.7071 0.7071"},
    {"0", 4, "0.7654", "1.3066", "0.8409 0.5412 0.8409"},
    {"0", 8, "0.3902", "2.5629", "1.5187 0.7357 0.5537 0.5098 0.5537 0.7357 1.5187"},
    {"0.1", 4, "1.3451", "0.7435", "0.6850 0.5421 0.6850"},
    {"1", 2, "2.2184", "0.4508", "0.7351"},
    {"1", 8, "2.2030", "0.4539", "0.6336 0.5297 0.5143 0.5112 0.5143 0.5297 0.6336"},
    {"3", 14, "3.5479", "0.2819",
     "0.6014 0.5230 0.5109 0.5068 0.5051 0.5044 0.5042 0.5044 0.5051 0.5068 0.5109 0.5230 "
     "0.6014"},
};

TEST(synthesis_test, coupling_coefficients_reference_table) {
    for (const auto& row : kPrototypes) {
        SCOPED_TRACE(std::string(row.ripple) + " dB, n = " + std::to_string(row.poles));
        Design d;
        Inputs in;
        in.rippleDb = row.ripple;
        in.poles = row.poles;
        applyInputs(d, in);
        const fp::GuardedCalculation calculation;
        auto ctx = d.context();
        synthesis::calcXtalParms(ctx);
        synthesis::couplingCoefficients(ctx);

        const auto& s = d.state;
        EXPECT_EQ(digits(1 / static_cast<long double>(s.q1inv), 4), row.q1);
        EXPECT_EQ(digits(s.q1inv, 4), row.q1inv);
        std::ostringstream k;
        for (int i = 1; i <= row.poles - 1; ++i) k << (i > 1 ? " " : "") << digits(s.k[i], 4);
        EXPECT_EQ(k.str(), row.k);
        // Nothing beyond the ladder, except k[2] = k[1] that two poles need.
        for (int i = row.poles; i <= kArraySize; ++i)
            EXPECT_EQ(s.k[i], i == 2 ? s.k[1] : 0.0) << "k[" << i << "]";
    }
}

// Butterworth is not the Chebyshev formula with unit ripple terms: that
// would keep the sin^2 term and give 1.6261 for k[1] at eight poles.
TEST(synthesis_test, butterworth_drops_the_ripple_term) {
    Design d;
    Inputs in;
    in.rippleDb = "0";
    applyInputs(d, in);
    const fp::GuardedCalculation calculation;
    auto ctx = d.context();
    synthesis::calcXtalParms(ctx);
    synthesis::couplingCoefficients(ctx);
    EXPECT_EQ(digits(d.state.k[1], 4), "1.5187");
    EXPECT_EQ(d.state.eps2, 0); // no ripple terms computed
}

TEST(synthesis_test, qer_tables_and_equal_coupling) {
    DesignState s;
    synthesis::fillQerTables(s);
    EXPECT_EQ(s.QerK[4], 0.5417);
    EXPECT_EQ(s.QerZ[4], 1.0235);
    EXPECT_EQ(s.QerK[8], 0.5228);
    EXPECT_EQ(s.QerZ[8], 1.3033);
    EXPECT_EQ(s.QerK[14], 0.5090);
    EXPECT_EQ(s.QerZ[14], 1.7135);
    EXPECT_EQ(s.QerK[3], 0);
    EXPECT_EQ(s.QerK[15], 0);

    struct Row {
        int poles;
        const char* cohn;
        double qer;
    };
    for (const Row r :
         {Row{4, "0.59460", 0.5417}, Row{8, "0.54525", 0.5228}, Row{14, "0.52538", 0.5090}}) {
        s.Poles = r.poles;
        s.IsCohn = true;
        s.IsQER = false;
        EXPECT_EQ(digits(synthesis::equalCoupling(s), 5), r.cohn);
        s.IsCohn = false;
        s.IsQER = true;
        EXPECT_EQ(static_cast<double>(synthesis::equalCoupling(s)), r.qer);
    }
}

} // namespace
} // namespace korvan::testing
