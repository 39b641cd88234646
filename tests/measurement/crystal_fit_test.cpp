#include "measurement/crystal_batch.h"
#include "measurement/crystal_fit.h"
#include "measurement/touchstone_reader.h"
#include "support/crystal_sweeps.h"
#include "support/temp_dir.h"

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
    EXPECT_LE(fit.quality.misfit, fit.estimateQuality.misfit);
    EXPECT_LT(fit.quality.residualDb, 0.05); // the noise itself is 0.02 dB
}

INSTANTIATE_TEST_SUITE_P(Generated, CrystalFitAccuracy, ::testing::ValuesIn(kCrystals));

// NanoVNA sweeps as a builder saves them (1601 points, fs and fp in the span,
// 0.2 % trace noise, a floor near -75 dB filling the notch, S11 with its own
// noise), read from files as a batch reads them, each over several seeds.
TEST(crystal_fit_test, nanoVnaSweepsMeetTheTargetsAndSayWhatTheyShow) {
    const auto vna = [](double fs, double lm, double rm, double cpPf, double start, double stop) {
        return test::nanoVnaSweep(fs, lm, rm, cpPf * 1e-12, start, stop, 1);
    };
    struct Case {
        CrystalSweep sweep;
        std::vector<std::string> warnings; // a word of each warning, in order
        bool accurate = true;              // the targets hold
        S11Use s11 = S11Use::Used;
    } cases[] = {
        {vna(9.9987e6, 0.012, 9.6, 4.2, 9.975e6, 10.045e6), {"noise floor near -7"}},
        {vna(10.0003e6, 0.0145, 8.8, 3.6, 9.975e6, 10.045e6), {"noise floor near -7"}},
        {vna(9.9995e6, 0.010, 15, 4.8, 9.975e6, 10.045e6), {"noise floor near -7"}},
        {vna(4.9985e6, 0.080, 20, 3.8, 4.990e6, 5.020e6), {"noise floor near -7"}},
        {[&] { // trace noise alone: nothing to say
             auto s = vna(9.9987e6, 0.012, 9.6, 4.2, 9.975e6, 10.045e6);
             s.floorDb = -400;
             return s;
         }(),
         {}},
        {[&] { // S11 through a port 2 of 50.5 Ohm is left out, S21 alone still holds
             auto s = vna(9.9987e6, 0.012, 9.6, 4.2, 9.975e6, 10.045e6);
             s.port2Ohm = 50.5;
             return s;
         }(),
         {"noise floor near -7"},
         true,
         S11Use::LeftOut},
        {[&] { // a spurious resonance 3 kHz above fs
             auto s = vna(9.9987e6, 0.012, 9.6, 4.2, 9.975e6, 10.045e6);
             s.spurHz = s.fsHz + 3000, s.spurRmOhm = 300;
             return s;
         }(),
         {"poor fit"},
         false,
         S11Use::LeftOut},
    };
    test::TempDir dir;
    for (const auto& c : cases)
        for (unsigned seed = 1; seed <= 4; ++seed) {
            auto sweep = c.sweep;
            sweep.seed = seed;
            sweep.write(dir.path() / "x.s2p");
            const auto fit = measureFile(dir.path() / "x.s2p", {}).fit;
            const auto want = sweep.crystal();
            const auto& got = fit.fitted;
            const auto rel = [](double a, double b) { return std::abs(a / b - 1); };
            SCOPED_TRACE(testing::Message()
                         << "fs " << sweep.fsHz << " Rm " << sweep.rmOhm << " seed " << seed);
            if (c.accurate) {
                EXPECT_LT(rel(got.Rm_Ohm, want.Rm_Ohm), 0.02);
                EXPECT_LT(std::abs(got.fs_Hz() - want.fs_Hz()), 0.5);
                EXPECT_LT(rel(got.Lm_H, want.Lm_H), 0.002);
                EXPECT_LT(rel(got.Cp_F, want.Cp_F), 0.01);
                EXPECT_LT(fit.quality.misfit, 1.2);
            }
            EXPECT_LE(fit.quality.misfit, fit.estimateQuality.misfit);
            EXPECT_EQ(fit.s11, c.s11);
            ASSERT_EQ(fit.warnings.size(), c.warnings.size())
                << testing::PrintToString(fit.warnings);
            for (std::size_t i = 0; i < c.warnings.size(); ++i)
                EXPECT_NE(fit.warnings[i].find(c.warnings[i]), std::string::npos)
                    << fit.warnings[i];
        }
}

// The noise read back from a residual of known noise: relative and floor
// each found where the other does not hide it.
TEST(crystal_fit_test, traceNoiseIsReadFromTheScatter) {
    const struct {
        double relative, floorDb;
        bool relativeShows, floorShows; // above the other part somewhere in the sweep
    } cases[] = {{0.002, -75, true, true},
                 {0.01, -60, true, true},
                 {0.002, -200, true, false},
                 {1e-5, -50, false, true}};
    const auto c =
        test::nanoVnaSweep(9.9987e6, 0.012, 9.6, 4.2e-12, 9.975e6, 10.045e6, 1).crystal();
    for (const auto& k : cases) {
        std::mt19937 random(7);
        std::normal_distribution<double> unit(0, std::sqrt(0.5));
        const double floor = std::pow(10, k.floorDb / 20);
        std::vector<double> f, magnitude;
        std::vector<std::complex<double>> residual;
        for (int i = 0; i < 1601; ++i) {
            f.push_back(9.975e6 + 43.75 * i);
            const auto m = seriesThroughS21(c, f.back(), 50);
            magnitude.push_back(std::abs(m));
            residual.push_back(m * k.relative * std::complex(unit(random), unit(random)) +
                               floor * std::complex(unit(random), unit(random)));
        }
        const auto noise = estimateTraceNoise(f, residual, magnitude);
        SCOPED_TRACE(testing::Message() << k.relative << " " << k.floorDb);
        if (k.relativeShows) {
            EXPECT_NEAR(noise.relative / k.relative, 1, 0.1);
        }
        if (k.floorShows) {
            EXPECT_NEAR(noise.floor / floor, 1, 0.1);
        } else {
            EXPECT_LT(noise.floor, 1e-6); // no floor where there is none
        }
    }
}

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
