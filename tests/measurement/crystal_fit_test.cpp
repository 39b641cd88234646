#include "measurement/crystal_fit.h"
#include "measurement/touchstone_reader.h"
#include "support/crystal_sweeps.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvan::measurement {
namespace {

using test::CrystalSweep;

CrystalSweep sweep(double fsHz, double lmH, double rmOhm, double cpPf, int points, double halfSpan,
                   bool withFp, bool zeroReverse = false, unsigned seed = 1) {
    CrystalSweep s;
    s.fsHz = fsHz;
    s.lmH = lmH;
    s.rmOhm = rmOhm;
    s.cpF = cpPf * 1e-12;
    s.points = points;
    s.halfSpanBandwidths = halfSpan;
    s.withParallelResonance = withFp;
    s.zeroReverse = zeroReverse;
    s.seed = seed;
    return s;
}

// Known crystals from 1 to 30 MHz written as files and read back, so the
// reader and the fit are checked together, as a user's batch runs.
const CrystalSweep kCrystals[] = {
    sweep(1.0e6, 3.0, 100, 5.0, 801, 10, false),
    sweep(1.0e6, 3.0, 100, 5.0, 1601, 5, true),
    sweep(4.998e6, 0.062, 20, 4.0, 201, 5, false),
    sweep(4.998e6, 0.062, 20, 4.0, 1601, 20, true, true),
    sweep(8.0e6, 0.020, 5, 2.0, 1601, 20, false, true, 7),
    sweep(10.0e6, 0.015, 10, 3.5, 401, 8, false),
    sweep(10.0e6, 0.015, 10, 3.5, 1601, 10, true, false, 3),
    sweep(20.0e6, 0.008, 15, 5.0, 1001, 5, false, true, 5),
    sweep(30.0e6, 0.005, 30, 2.0, 601, 6, false),
    sweep(30.0e6, 0.005, 100, 7.0, 1601, 5, true, true, 11),
    sweep(27.0e6, 0.0065, 60, 2.5, 1201, 12, true, false, 13),
    [] { // a pi fixture presenting 12.5 Ohm, as its file says
        auto s = sweep(10.7e6, 0.012, 8, 3.0, 801, 10, false, false, 17);
        s.r0Ohm = 12.5;
        return s;
    }(),
};

class CrystalFitAccuracy : public ::testing::TestWithParam<CrystalSweep> {};

TEST_P(CrystalFitAccuracy, recoversTheModelWithinTheLimits) {
    const CrystalSweep& c = GetParam();
    const auto data = parseTouchstone(c.touchstone(), 2);
    if (!c.withParallelResonance) {
        ASSERT_GT(c.crystal().fp_Hz(), c.stopHz()) << "case has fp in it";
    }
    const auto fit = fitCrystal(data.frequencyHz, data.s21(), {data.referenceOhm, {}});
    const auto& got = fit.fitted;
    const auto want = c.crystal();
    const auto rel = [](double a, double b) { return std::abs(a / b - 1); };
    EXPECT_LT(rel(got.Lm_H, want.Lm_H), 0.005);
    EXPECT_LT(rel(got.Cm_F, want.Cm_F), 0.005);
    EXPECT_LT(rel(got.Rm_Ohm, want.Rm_Ohm), 0.02);
    EXPECT_LT(std::abs(got.fs_Hz() - want.fs_Hz()), std::max(0.001 * c.bandwidthHz(), 0.1));
    if (c.withParallelResonance) {
        EXPECT_TRUE(fit.parallelResonanceInSweep);
        EXPECT_LT(rel(got.Cp_F, want.Cp_F), 0.02);
    }
    EXPECT_LE(fit.residualDb, fit.estimateResidualDb);
    EXPECT_LT(fit.residualDb, 0.05); // the noise itself is 0.02 dB
}

INSTANTIATE_TEST_SUITE_P(Generated, CrystalFitAccuracy, ::testing::ValuesIn(kCrystals));

TEST(crystal_fit_test, warnsAboutCoarseAndNarrowSweeps) {
    struct Case {
        CrystalSweep sweep;
        std::string warning; // a word the warning must hold; empty: none
    } cases[] = {
        {sweep(10e6, 0.015, 10, 3.5, 801, 8, false), ""},
        {sweep(10e6, 0.015, 10, 3.5, 61, 10, false), "coarse"},
    };
    for (const auto& c : cases) {
        const auto data = parseTouchstone(c.sweep.touchstone(), 2);
        const auto fit = fitCrystal(data.frequencyHz, data.s21());
        std::string all;
        for (const auto& w : fit.warnings) all += w + ";";
        if (c.warning.empty())
            EXPECT_TRUE(fit.warnings.empty()) << all;
        else
            EXPECT_NE(all.find(c.warning), std::string::npos) << all;
    }
    // The sweep starts at fs (peak on the edge) or just below it (one 3 dB point).
    const auto c = sweep(10e6, 0.015, 10, 3.5, 801, 8, false);
    const auto full = parseTouchstone(c.touchstone(), 2);
    const auto s21 = full.s21();
    for (const auto& [startHz, word] :
         {std::pair{c.fsHz, "edge"}, {c.fsHz - 0.3 * c.bandwidthHz(), "narrow"}}) {
        std::vector<double> f;
        std::vector<std::complex<double>> s;
        for (std::size_t i = 0; i < s21.size(); ++i)
            if (full.frequencyHz[i] >= startHz)
                f.push_back(full.frequencyHz[i]), s.push_back(s21[i]);
        std::string all;
        for (const auto& w : fitCrystal(f, s).warnings) all += w + ";";
        EXPECT_NE(all.find(word), std::string::npos) << all;
    }
}

TEST(crystal_fit_test, refusesSweepsWithoutAUsableResonance) {
    const std::vector<double> f = {1e6, 2e6, 3e6, 4e6, 5e6, 6e6, 7e6, 8e6};
    const std::vector<std::complex<double>> flat(f.size(), {0.5, 0.0});
    EXPECT_THROW(fitCrystal(f, flat), FitError);
    EXPECT_THROW(fitCrystal(std::vector<double>{1e6}, std::vector<std::complex<double>>{{1, 0}}),
                 FitError);
    auto nan = flat;
    nan[3] = {std::nan(""), 0};
    EXPECT_THROW(fitCrystal(f, nan), FitError);
    const std::vector<std::complex<double>> zeros(f.size(), {0.0, 0.0});
    EXPECT_THROW(fitCrystal(f, zeros), FitError);
}

TEST(crystal_fit_test, givenCpIsKeptWhenTheSweepHoldsNoParallelResonance) {
    const auto c = sweep(10e6, 0.015, 10, 3.5, 801, 8, false);
    const auto data = parseTouchstone(c.touchstone(), 2);
    const auto fit = fitCrystal(data.frequencyHz, data.s21(), {50, 3.3e-12});
    EXPECT_DOUBLE_EQ(fit.fitted.Cp_F, 3.3e-12);
    EXPECT_DOUBLE_EQ(fit.estimate.Cp_F, 3.3e-12);
}

} // namespace
} // namespace korvan::measurement
