#include "design_fixture.h"

#include "synthesis/termination.h"

#include <gtest/gtest.h>

namespace korvan::testing {
namespace {

struct ReferenceDesign {
    Type type;
    const char* bmaxHz;
    const char* fmKHz;
    const char* xNorm;
    const char* label19;
    const char* label20;
    const char* label87;
    const char* label15;
    const char* label16;
};

// 62 mH at 4998 kHz, 4 pF, 8 poles, 3 kHz, 1 dB ripple field.
const ReferenceDesign kReferenceDesigns[] = {
    {Type::Chebyshev, "5807.6", "4999.8654", "5.5614", "4999.865", "820.5", "Bmax=5.807 kHz", "",
     ""},
    {Type::Cohn, "6691.3", "4999.6977", "5.6732", "4999.698", "945.9", "Bmax=6.690 kHz",
     "Type:     Cohn", "PB-Ripple:   ---   db"},
    {Type::Qer, "7555.4", "4999.5982", "5.7395", "4999.598", "679.4", "Bmax=7.554 kHz",
     "Type:     QER", "PB-Ripple:   ---   db"},
};

TEST(synthesis_test, centre_frequency_and_termination_reference_designs) {
    for (const auto& r : kReferenceDesigns) {
        SCOPED_TRACE(r.label20);
        Design d;
        Inputs in;
        in.type = r.type;
        synthesize(d, in);
        const auto& s = d.state;
        EXPECT_EQ(digits(s.Bmax, 1), r.bmaxHz);
        EXPECT_EQ(digits(s.fm * 0.001L, 4), r.fmKHz);
        EXPECT_EQ(digits(s.xNorm, 4), r.xNorm);
        EXPECT_EQ(d.text(19), r.label19);
        EXPECT_EQ(d.text(20), r.label20);
        EXPECT_EQ(d.color(20), colors::blue);
        EXPECT_EQ(d.text(79), std::string("fm = ") + r.label19 + " kHz");
        EXPECT_EQ(d.text(80), "-5.00 kHz");
        EXPECT_EQ(d.text(81), "5.00 kHz");
        EXPECT_EQ(d.text(87), r.label87);
        EXPECT_EQ(d.form.at("AEdit4").hint,
                  std::string("Maximum bandwidth: \r  -->   ") + (r.label87 + 5));
        EXPECT_EQ(d.form.text("AEdit4"), "3");
        EXPECT_EQ(s.B3db, 3000.0f);
        EXPECT_TRUE(d.messages.shown().empty());
        if (r.type != Type::Chebyshev) {
            EXPECT_EQ(d.text(15), r.label15);
            EXPECT_EQ(d.text(16), r.label16);
            EXPECT_FALSE(d.form.at("Label16").enabled);
        }
    }
}

TEST(synthesis_test, plot_axis_labels_follow_span_and_separator) {
    Design d;
    Inputs in;
    in.spanKHz = "7,5";
    in.separator = ',';
    synthesize(d, in);
    EXPECT_EQ(d.text(79), "fm = 4999,865 kHz");
    EXPECT_EQ(d.text(80), "-3,75 kHz");
    EXPECT_EQ(d.text(81), "3,75 kHz");
    EXPECT_EQ(d.text(20), "820,5");
    EXPECT_EQ(d.text(87), "Bmax=5,807 kHz");
}

TEST(synthesis_test, bandwidth_limit_text_and_rewrite) {
    struct Row {
        float bmax;
        float b3db;
        char sep;
        const char* n;
        float lowered;
    };
    const Row rows[] = {
        {123456.6f, 200000.0f, '.', "123.456", 123456.0f},
        {123456.6f, 200000.0f, ',', "123,456", 123456.0f},
        {5807.5532f, 10000.0f, '.', "5.807", 5807.0f},
        {1001.4f, 1001.5f, '.', "1.000", 1000.0f}, // wider by a fraction of a Hz
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.n);
        Design d;
        d.separator = r.sep;
        d.state.Cp = 4e-12;
        d.state.Bmax = r.bmax;
        d.state.B3db = r.b3db;
        d.form.setText("AEdit4", "200");
        auto ctx = d.context();
        synthesis::maxBandwidth(ctx);
        EXPECT_EQ(d.text(87), std::string("Bmax=") + r.n + " kHz");
        EXPECT_EQ(d.form.text("AEdit4"), r.n);
        EXPECT_EQ(d.state.B3db, r.lowered);
        ASSERT_EQ(d.messages.shown().size(), 1u);
        EXPECT_EQ(d.messages.shown()[0].message,
                  (Message{"Info",
                           std::string("The selected 3db-bandwidth exceeds the\rmaximum "
                                       "bandwidth of   < ") +
                               r.n +
                               " kHz >.   This\rmax. bandwidth will be inserted into the "
                               "input field\rand used for the following calculations\r",
                           MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok}));
    }
}

TEST(synthesis_test, bandwidth_within_limit_is_kept) {
    for (float b3db : {5807.5f, 5807.5532f}) {
        Design d;
        d.state.Cp = 4e-12;
        d.state.Bmax = 5807.5532f;
        d.state.B3db = b3db;
        d.form.setText("AEdit4", "5.8075");
        auto ctx = d.context();
        synthesis::maxBandwidth(ctx);
        EXPECT_EQ(d.form.text("AEdit4"), "5.8075");
        EXPECT_EQ(d.state.B3db, b3db);
        EXPECT_TRUE(d.messages.shown().empty());
    }
}

TEST(synthesis_test, no_holder_capacitance_means_no_bandwidth_limit) {
    Design d;
    Inputs in;
    in.cpPF = "0";
    synthesize(d, in);
    EXPECT_EQ(d.text(87), "Bmax= infinite");
    EXPECT_EQ(d.form.at("AEdit4").hint, "Maximum bandwidth: \r  -->    infinite");
    EXPECT_TRUE(d.messages.shown().empty());
    EXPECT_EQ(d.text(10), "----      ");
}

// Chebyshev/Butterworth flags a termination above 3000 Ohm, Cohn and QER
// one above 2999 Ohm. The bandwidth is searched so that the termination
// falls between the two.
TEST(synthesis_test, termination_colour_thresholds) {
    struct Row {
        Type type;
        Rgb colour;
    };
    for (const Row r : {Row{Type::Chebyshev, colors::blue}, Row{Type::Cohn, colors::red},
                        Row{Type::Qer, colors::red}}) {
        float lo = 3000, hi = 0;
        {
            Design d;
            Inputs in;
            in.type = r.type;
            synthesize(d, in);
            hi = d.state.Bmax - 1;
        }
        Design found;
        bool inWindow = false;
        for (int i = 0; i < 80 && !inWindow; ++i) {
            const float mid = lo + (hi - lo) / 2;
            Design d;
            Inputs in;
            in.type = r.type;
            applyInputs(d, in);
            clearAllFields(d.form);
            clearArrays(d.state);
            d.state.B3db = mid;
            const fp::GuardedCalculation calculation;
            auto ctx = d.context();
            synthesis::calcXtalParms(ctx);
            synthesis::couplingCoefficients(ctx);
            synthesis::calcCapacitances(ctx);
            const float z = d.state.Zterm;
            inWindow = z > 2999.2f && z < 2999.8f;
            if (inWindow) found = d;
            (z < 2999.5f ? lo : hi) = mid;
        }
        ASSERT_TRUE(inWindow);
        EXPECT_EQ(found.text(20).substr(0, 4), "2999");
        EXPECT_EQ(found.color(20), r.colour);
    }
}

} // namespace
} // namespace korvan::testing
