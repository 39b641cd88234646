#include "analysis/ladder_analysis.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "response/sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>

namespace {

using namespace korvan;
using namespace korvan::analysis;

struct Session {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form{messages, clipboard, std::filesystem::temp_directory_path(), '.'};

    Session(FilterType type, const char* poles, const char* rm) {
        form.setExportEnabled(false);
        form.form().setText("AEdit6", poles);
        form.form().setText("AEdit8", rm);
        form.filterTypeClicked(type); // calculates
    }
};

// Phase of S21 of the same ladder, from an independent chain product in
// extended precision without derivatives.
long double phaseS21(const LadderModel& m, long double f) {
    using Cx = std::complex<long double>;
    const Cx j{0, 1};
    const long double w = 2 * std::numbers::pi_v<long double> * f;
    Cx a = 1, b = 0, c = 0, d = 1;
    for (std::size_t i = 0; i < m.arms.size(); ++i) {
        Cx y = 0;
        for (const Crystal& x : m.arms[i].crystals)
            y += 1.0L /
                     (static_cast<long double>(x.rmOhm) + j * w * static_cast<long double>(x.lmH) +
                      1.0L / (j * w * static_cast<long double>(x.cmF))) +
                 j * w * static_cast<long double>(x.cpF);
        Cx z = 1.0L / y;
        if (m.arms[i].csF != 0) z += 1.0L / (j * w * static_cast<long double>(m.arms[i].csF));
        b += a * z;
        d += c * z;
        if (i + 1 < m.arms.size()) {
            const Cx yk = j * w * static_cast<long double>(m.couplingF[i]);
            a += b * yk;
            c += d * yk;
        }
    }
    const long double r1 = m.sourceOhm, r2 = m.loadOhm;
    return std::arg(1.0L / (a * r2 + b + c * r1 * r2 + d * r1));
}

// The plain ladder at the sweep's 501 frequencies is the sweep less its
// low-Qu allowance, and its reflection is the sweep's, for all three types.
TEST(ladder_analysis_test, magnitudes_match_the_sweep) {
    const struct {
        FilterType type;
        const char* poles;
        const char* rm;
    } cases[] = {
        {FilterType::ChebyshevButterworth, "8", "20"},
        {FilterType::ChebyshevButterworth, "3", "0"},
        {FilterType::Cohn, "6", "20"},
        {FilterType::Qer, "10", "12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("type ") + std::to_string(static_cast<int>(c.type)) + ", " +
                     c.poles + " poles");
        Session session(c.type, c.poles, c.rm);
        ASSERT_TRUE(session.form.lastCalculationComplete());
        const DesignState& s = session.form.state();
        const LadderModel model = ladderFromDesign(s, std::strtod(c.rm, nullptr));
        LadderModel reversed = model;
        std::reverse(reversed.arms.begin(), reversed.arms.end());
        std::reverse(reversed.couplingF.begin(), reversed.couplingF.end());
        // Unequal ends, so that turning round matters.
        reversed.loadOhm = model.sourceOhm * 1.5;
        LadderModel unequal = model;
        unequal.sourceOhm = reversed.loadOhm;
        const double allowance = s.Qu < 300000 ? 0.05 : 0.0;
        const auto grid = response::sweepGrid(s);
        double f = grid.fStart;
        for (int k = 0; k < kSweepSamples; ++k, f = f + grid.fStep) {
            const SParameters sp = analyseLadder(model, f);
            ASSERT_TRUE(isFinite(sp));
            EXPECT_NEAR(-magnitudeDb(sp.s21), s.RespS21[k] - allowance, 1e-4) << k;
            EXPECT_NEAR(-magnitudeDb(sp.s11), s.RespS11[k], 1e-4) << k;
            // S12 and S22 are S21 and S11 of the ladder turned round.
            const SParameters forth = analyseLadder(unequal, f);
            const SParameters back = analyseLadder(reversed, f);
            EXPECT_NEAR(std::abs(forth.s12 - back.s21), 0, 1e-9 * std::abs(back.s21));
            EXPECT_NEAR(std::abs(forth.s22 - back.s11), 0, 1e-9);
        }
    }
}

// The analytic delay against a central difference of an independent phase.
TEST(ladder_analysis_test, group_delay_matches_the_phase_slope) {
    for (FilterType type : {FilterType::ChebyshevButterworth, FilterType::Qer}) {
        Session session(type, "8", "20");
        const DesignState& s = session.form.state();
        const LadderModel model = ladderFromDesign(s, 20);
        for (double offset = -1400; offset <= 1400; offset += 100) {
            const long double f = s.fm + offset, h = 0.01L;
            long double dphi = phaseS21(model, f + h) - phaseS21(model, f - h);
            if (dphi > std::numbers::pi_v<long double>) dphi -= 2 * std::numbers::pi_v<long double>;
            if (dphi < -std::numbers::pi_v<long double>)
                dphi += 2 * std::numbers::pi_v<long double>;
            const long double expected = -dphi / (2 * h * 2 * std::numbers::pi_v<long double>);
            const double tau = analyseLadder(model, static_cast<double>(f)).groupDelayS;
            EXPECT_NEAR(tau, static_cast<double>(expected), 1e-6 * std::fabs(tau)) << offset;
            EXPECT_GT(tau, 0);
        }
    }
}

TEST(ladder_analysis_test, element_values_of_the_design) {
    Session session(FilterType::Qer, "6", "20");
    const DesignState& s = session.form.state();
    const LadderModel m = ladderFromDesign(s, 20);
    ASSERT_EQ(m.poles(), 6);
    ASSERT_EQ(m.couplingF.size(), 5u);
    EXPECT_EQ(m.arms.front().crystals.size(), 2u);
    EXPECT_EQ(m.arms[1].crystals.size(), 1u);
    EXPECT_EQ(m.arms.back().crystals.size(), 2u);
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(m.arms[i - 1].csF, s.Cs[i]);
    EXPECT_EQ(m.sourceOhm, s.Zterm);
    // A pole count left out of range by a rejected input stays in the arrays.
    DesignState wild = s;
    wild.Poles = -7;
    EXPECT_EQ(ladderFromDesign(wild, 20).poles(), 0);
    wild.Poles = 99;
    EXPECT_EQ(ladderFromDesign(wild, 20).poles(), kMaxPoles);
}

} // namespace
