#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "numeric/errors.h"
#include "numeric/fp_check.h"
#include "response/complex_ops.h"
#include "response/ladder_reference.h"
#include "response/sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

using namespace korvan;
using namespace korvan::response;

constexpr long double kPi = std::numbers::pi_v<long double>;

// The two-pole example: 62 mH crystal resonant at 4998 kHz, 4 pF holder,
// 100 pF coupling, no tuning capacitors, 50 Ohm.
DesignState twoPoleLadder() {
    DesignState s;
    s.Poles = 2;
    s.Lm = 0.062;
    s.Cm = static_cast<double>(1 / ((2 * kPi * 4998000) * (2 * kPi * 4998000) * 0.062L));
    s.Cp = 4e-12;
    s.Ck[1] = 100e-12f;
    s.Zterm = 50;
    s.fs = 4998000;
    s.fm = 4998000;
    s.Span = 10;
    return s;
}

// A five-pole ladder with tuning capacitors on the end and middle arms.
DesignState fivePoleLadder(bool qer) {
    DesignState s = twoPoleLadder();
    s.Poles = 5;
    const float ck[] = {0, 160e-12f, 210e-12f, 210e-12f, 160e-12f};
    const float cs[] = {0, 90e-12f, 0, 350e-12f, 0, 90e-12f};
    for (int i = 1; i <= 4; ++i) s.Ck[i] = ck[i];
    for (int i = 1; i <= 5; ++i) s.Cs[i] = cs[i];
    s.Zterm = 180;
    s.IsQER = qer;
    return s;
}

struct Stage {
    DesignState state;
    FormModel form;
    ScriptedMessages messages;
    StageContext ctx{state, form, messages, '.'};
};

TEST(sweep_test, complex_helpers) {
    Ext mag = 0, angle = 7;
    transR_P(-1, 1, mag, angle);
    EXPECT_NEAR(static_cast<double>(mag), std::sqrt(2.0), 1e-15);
    EXPECT_NEAR(static_cast<double>(angle), -std::numbers::pi / 4, 1e-15); // not 3*pi/4
    angle = 7;
    transR_P(0, 5, mag, angle);
    EXPECT_EQ(mag, 5);
    EXPECT_EQ(angle, 7); // untouched when the real part is 0

    Ext re = 0, im = 0;
    invtK(3, 4, re, im);
    EXPECT_NEAR(static_cast<double>(re), 0.12, 1e-17);
    EXPECT_NEAR(static_cast<double>(im), -0.16, 1e-17);
    multK(1, 2, 3, 4, re, im);
    EXPECT_EQ(re, -5);
    EXPECT_EQ(im, 10);
    addK(1, 2, 3, -4, re, im);
    EXPECT_EQ(re, 4);
    EXPECT_EQ(im, -2);

    // 1/0 is not guarded: it leaves a fault for the caller's check.
    const fp::GuardedCalculation calculation;
    invtK(0, 0, re, im);
    EXPECT_THROW(fp::checked(re), FloatingPointError);
}

TEST(sweep_test, crystal_at_series_resonance_is_its_loss_resistance) {
    DesignState s = twoPoleLadder();
    s.Cp = 1e-30;
    s.omega = static_cast<double>(2 * kPi * 4998000);
    xtalZ(s, 20);
    EXPECT_NEAR(s.ZxRe, 20, 1e-6);
    EXPECT_NEAR(s.ZxIm, 0, 1e-6);
    EXPECT_NEAR(s.ZxHalfRe, 10, 1e-6);
    EXPECT_NEAR(s.ZxHalfIm, 0, 1e-6);
}

// Values given to four significant digits for the two-pole example.
TEST(sweep_test, two_pole_analysis_values) {
    struct Case {
        double f, s21dB, s21Unit, s11dB, s11Unit, vswr, vswrUnit;
    };
    const Case cases[] = {
        {4998000, -2.975, 0.001, -10.81, 0.01, 1.809, 0.001},
        {4999000, -16.26, 0.01, -0.3156, 0.0001, 55.05, 0.01},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.f);
        DesignState s = twoPoleLadder();
        s.fEval = c.f;
        {
            const fp::GuardedCalculation calculation;
            calcCLadder(s, 20);
            EXPECT_NO_THROW(fp::check());
        }
        EXPECT_NEAR(s.S21dB, c.s21dB, c.s21Unit / 2);
        EXPECT_NEAR(s.S11dB, c.s11dB, c.s11Unit / 2);
        EXPECT_NEAR(s.VSWR, c.vswr, c.vswrUnit / 2);
    }
}

// The reduction from the load agrees with a chain-matrix analysis, for
// ladders with and without tuning capacitors, QER ends and lossless crystals.
TEST(sweep_test, analysis_matches_chain_matrix_reference) {
    struct Case {
        const char* name;
        DesignState state;
        long double rm;
    };
    const Case cases[] = {
        {"two poles", twoPoleLadder(), 20},
        {"five poles", fivePoleLadder(false), 12},
        {"five poles QER", fivePoleLadder(true), 12},
        {"five poles lossless", fivePoleLadder(false), 0},
    };
    const double offsets[] = {-200000, -3000, -700, -120, 0, 450, 1500, 2600, 200000};
    for (const auto& c : cases) {
        for (double offset : offsets) {
            SCOPED_TRACE(std::string(c.name) + " at offset " + std::to_string(offset));
            DesignState s = c.state;
            s.fEval = 4998000 + offset;
            {
                const fp::GuardedCalculation calculation;
                calcCLadder(s, c.rm);
                EXPECT_NO_THROW(fp::check());
            }
            const auto ref = test::referenceAnalysis(s, c.rm, s.fEval);
            EXPECT_NEAR(s.S21dB, static_cast<double>(ref.s21dB), 1e-6);
            EXPECT_NEAR(s.S11dB, static_cast<double>(ref.s11dB), 1e-6);
            const double rho = std::pow(10.0, s.S11dB / 20);
            const double rhoClamped = std::min(rho, 0.999999);
            EXPECT_FLOAT_EQ(s.VSWR, static_cast<float>((1 + rhoClamped) / (1 - rhoClamped)));
        }
    }
}

TEST(sweep_test, qer_halves_only_the_end_crystals) {
    for (double f : {4996500.0, 4998000.0, 4999200.0}) {
        SCOPED_TRACE(f);
        DesignState cheb = fivePoleLadder(false);
        DesignState qer = fivePoleLadder(true);
        cheb.fEval = qer.fEval = f;
        calcCLadder(cheb, 12);
        calcCLadder(qer, 12);
        EXPECT_EQ(cheb.ZxRe, qer.ZxRe);
        EXPECT_EQ(qer.ZxHalfRe, qer.ZxRe / 2);
        EXPECT_GT(std::fabs(cheb.S21dB - qer.S21dB), 0.01);

        // The same ladder with the end crystals replaced by halves in an
        // independent analysis gives the QER figure.
        DesignState halfEnds = fivePoleLadder(true);
        EXPECT_NEAR(qer.S21dB, static_cast<double>(test::referenceAnalysis(halfEnds, 12, f).s21dB),
                    1e-6);
    }
}

// After a rejected input the state may hold a pole count the arrays cannot
// take; a repaint sweeps it all the same and must stay within them.
TEST(sweep_test, pole_count_out_of_range_is_kept_within_the_arrays) {
    struct Case {
        int poles;
        int analysedAs;
    };
    const Case cases[] = {{99, 14}, {15, 14}, {0, 1}, {-3, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.poles);
        Stage st;
        st.state = fivePoleLadder(false);
        st.state.Poles = c.poles;
        st.form.setText("AEdit8", "20");
        generateResponseArrays(st.ctx);
        for (int k = 0; k < kSweepSamples; ++k) ASSERT_TRUE(std::isfinite(st.state.RespS21[k]));

        DesignState same = fivePoleLadder(false);
        same.Poles = c.analysedAs;
        same.fEval = st.state.fm;
        calcCLadder(same, 20);
        EXPECT_NEAR(st.state.RespS21[250], std::fabs(same.S21dB) + 0.05, 1e-4);
    }
}

TEST(sweep_test, total_mismatch_gives_clamped_vswr) {
    // A lossless ladder far outside the pass band reflects almost everything.
    DesignState s = fivePoleLadder(false);
    s.Cp = 1e-30;
    s.fEval = 4998000 + 200000;
    {
        const fp::GuardedCalculation calculation;
        calcCLadder(s, 0);
        EXPECT_NO_THROW(fp::check());
    }
    EXPECT_EQ(s.VSWR, 1999999.0f);
    EXPECT_TRUE(std::isfinite(s.S11dB));
    EXPECT_LE(s.S11dB, 0);
    EXPECT_GT(s.S11dB, -1e-4);
}

// Label90 and the 0.05 dB added for a crystal of modest Q.
TEST(sweep_test, unloaded_q_and_extra_loss) {
    struct Case {
        const char* rmText;
        const char* label90;
        const char* aedit8After;
        long double rm;
        float extra;
    };
    const Case cases[] = {
        {"20", "97350", "20", 20, 0.05f},
        {"6,5", "299540", "6,5", 6.5L, 0.05f}, // just below 300000
        {"6,4", "304220", "6,4", 6.4L, 0},     // just above
        {"", "infinite", "0", 0, 0},
        {"-5", "infinite", "-5", -5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rmText);
        Stage st;
        st.ctx.separator = ',';
        st.state = twoPoleLadder();
        st.form.setText("AEdit8", c.rmText);
        const fp::GuardedCalculation calculation;
        generateResponseArrays(st.ctx);
        EXPECT_EQ(st.form.text("Label90"), c.label90);
        EXPECT_EQ(st.form.text("AEdit8"), c.aedit8After);

        // Every sample is the analysis at its own frequency, 20 Hz apart from
        // fm - 5 kHz, plus the extra loss.
        DesignState probe = twoPoleLadder();
        for (int k : {0, 1, 137, 250, 251, 499, 500}) {
            probe.fEval = 4998000 - 5000 + 20.0 * k;
            calcCLadder(probe, c.rm);
            EXPECT_NEAR(st.state.RespS21[k], std::fabs(probe.S21dB) + c.extra, 2e-5) << k;
            EXPECT_NEAR(st.state.RespS11[k], std::fabs(probe.S11dB), 2e-5) << k;
            EXPECT_NEAR(st.state.RespVSWR[k], probe.VSWR, 2e-5 * probe.VSWR) << k;
        }
    }
}

// The sweep analyses several samples side by side; each must come out bit
// for bit as a single analysis at the same accumulated frequency would.
TEST(sweep_test, every_sample_equals_the_single_analysis) {
    for (bool qer : {false, true}) {
        SCOPED_TRACE(qer ? "QER" : "Chebyshev");
        Stage st;
        st.state = fivePoleLadder(qer);
        st.form.setText("AEdit8", "12");
        generateResponseArrays(st.ctx);

        DesignState single = fivePoleLadder(qer);
        single.fEval = single.fm - 5000;
        for (int k = 0; k < kSweepSamples; ++k) {
            calcCLadder(single, 12);
            ASSERT_EQ(st.state.RespS21[k], static_cast<float>(std::fabs(single.S21dB) + 0.05L))
                << k;
            ASSERT_EQ(st.state.RespS11[k], static_cast<float>(std::fabs(single.S11dB))) << k;
            ASSERT_EQ(st.state.RespVSWR[k], single.VSWR) << k;
            single.fEval = single.fEval + 20.0;
        }
        // The working values are those of the last sample.
        EXPECT_EQ(st.state.fEval, single.fEval);
        EXPECT_EQ(st.state.omega, single.omega);
        EXPECT_EQ(st.state.ZxRe, single.ZxRe);
        EXPECT_EQ(st.state.ZxHalfIm, single.ZxHalfIm);
        EXPECT_EQ(st.state.S21dB, single.S21dB);
        EXPECT_EQ(st.state.S11dB, single.S11dB);
        EXPECT_EQ(st.state.VSWR, single.VSWR);
    }
}

TEST(sweep_test, unreadable_crystal_loss_leaves_previous_sweep) {
    Stage st;
    st.state = twoPoleLadder();
    st.form.setText("AEdit8", "20");
    generateResponseArrays(st.ctx);
    const auto before = st.state.RespS21;
    const auto label91 = st.form.text("Label91");

    st.form.setText("AEdit8", "2O");
    st.state.Ck[1] = 50e-12f;
    EXPECT_THROW(generateResponseArrays(st.ctx), ConversionError);
    EXPECT_EQ(st.state.RespS21, before);
    EXPECT_EQ(st.form.text("Label91"), label91);
}

// A sample at 0 Hz divides by zero: the sweep reports the fault and keeps
// the previous arrays; a repaint reports it once per calculation.
TEST(sweep_test, faulting_sample_keeps_previous_sweep_and_reports_once) {
    Stage st;
    st.state = twoPoleLadder();
    st.form.setText("AEdit8", "20");
    generateResponseArrays(st.ctx);
    const auto before = st.state.RespS21;
    const double ilBefore = st.state.ILmin;

    st.state.fm = 5000; // fStart = 0 Hz
    try {
        generateResponseArrays(st.ctx);
        ADD_FAILURE() << "no fault raised";
    } catch (const FloatingPointError& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
    EXPECT_EQ(st.state.RespS21, before);
    EXPECT_EQ(st.state.ILmin, ilBefore);

    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, ".", '.');
    form.state() = st.state;
    form.form().setText("AEdit8", "20");
    form.repaint();
    form.repaint();
    form.repaint();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].message, errorReport("Floating point division by zero"));
    EXPECT_EQ(form.state().RespS21, before);
}

} // namespace
