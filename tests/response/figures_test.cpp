#include "model/form_model.h"
#include "model/messages.h"
#include "model/stage_context.h"
#include "response/figures.h"
#include "response/sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>

namespace {

using namespace korvan;
using namespace korvan::response;

constexpr const char* kDashes = "----   ";

struct Stage {
    DesignState state;
    FormModel form;
    ScriptedMessages messages;
    StageContext ctx{state, form, messages, '.'};

    Stage() {
        clearAllFields(form);
        state.fm = 100000;
        state.Span = 10;
    }
    void profile(const std::function<double(int)>& loss) {
        for (int k = 0; k < kSweepSamples; ++k) state.RespS21[k] = static_cast<float>(loss(k));
    }
    std::string bw(int levelDb) const {
        const int label = levelDb == 6 ? 21 : 22 + (levelDb - 20) / 20;
        return form.text(FormModel::label(label));
    }
};

TEST(figures_test, insertion_loss_is_the_smallest_sample_but_the_last) {
    Stage st;
    st.profile([](int k) { return 30 + 0.01 * std::abs(k - 180); });
    st.state.RespS21[120] = 3.25f;
    st.state.RespS21[340] = 3.25f; // two equal minima
    st.state.RespS21[500] = 1.0f;  // the last sample takes no part
    st.ctx.separator = ',';
    insertionLoss(st.ctx);
    EXPECT_EQ(st.state.ILmin, 3.25);
    EXPECT_EQ(st.form.text("Label91"), "Insertion Loss= 3,25 db");

    st.state.RespS21[0] = 0.125f; // the first sample does
    insertionLoss(st.ctx);
    EXPECT_EQ(st.state.ILmin, 0.125);
    EXPECT_EQ(st.form.text("Label91"), "Insertion Loss= 0,13 db");
}

// Straight skirts of 0.5 dB per sample, 20 Hz apart: every level falls on a
// sample and each bandwidth is 80 Hz per dB.
TEST(figures_test, all_six_levels_fill_their_labels) {
    Stage st;
    st.profile([](int k) { return 2 + 0.5 * std::abs(250 - k); });
    st.state.ILmin = 2;
    findBandwidths(st.ctx);
    EXPECT_EQ(st.bw(6), "0.480   ");
    EXPECT_EQ(st.bw(20), "1.600   ");
    EXPECT_EQ(st.bw(40), "3.200   ");
    EXPECT_EQ(st.bw(60), "4.800   ");
    EXPECT_EQ(st.bw(80), "6.400   ");
    EXPECT_EQ(st.bw(100), "8.000   ");
}

// 75 dB at the edge of the span with 2 dB insertion loss: the search starts
// at the 60 dB level. Skirts of 0.292 dB per sample, 24 Hz apart.
TEST(figures_test, levels_start_at_the_highest_reached_at_the_span_edge) {
    Stage st;
    st.state.Span = 12;
    st.profile([](int k) { return 2 + 0.292 * std::abs(250 - k); });
    ASSERT_EQ(st.state.RespS21[0], 75.0f);
    st.state.ILmin = 2;
    findBandwidths(st.ctx);
    EXPECT_EQ(st.bw(100), kDashes);
    EXPECT_EQ(st.bw(80), kDashes);
    EXPECT_EQ(st.bw(60), "9.863   "); // 2*60/0.292 samples of 24 Hz = 9863.01 Hz
    EXPECT_EQ(st.bw(40), "6.575   ");
    EXPECT_EQ(st.bw(20), "3.288   ");
    EXPECT_EQ(st.bw(6), "0.986   ");
}

// Levels for which a skirt has no pair of samples to interpolate between.
TEST(figures_test, levels_without_a_sample_pair_show_dashes) {
    struct Case {
        const char* name;
        std::function<double(int)> loss;
        double ilMin;
        const char* bw6;
        const char* bw20;
    };
    const Case cases[] = {
        // The span edge reaches the bare 6 dB but not 6 dB above the loss.
        {"edge below level",
         [](int k) { return k < 250 ? 5 + 3 * (250 - k) / 250.0 : 5 + 0.5 * (k - 250); }, 5,
         kDashes, kDashes},
        // A dip at the centre already 6 dB above the loss: no upper 6 dB edge.
        {"centre dip",
         [](int k) {
             return k < 200
                        ? 2 + 0.5 * (200 - k)
                        : (k <= 300 ? 2 + 8 * (1 - std::abs(250 - k) / 50.0) : 2 + 0.5 * (k - 300));
         },
         2, kDashes, "3.600   "},
        // The pass band lies in the upper half: the lower scan never gets down
        // to 6 dB, and the upper scan starts above every level.
        {"pass band off centre", [](int k) { return 2 + 0.2 * std::abs(400 - k); }, 2, kDashes,
         kDashes},
        // The upper skirt never climbs 20 dB within the span.
        {"shallow upper skirt",
         [](int k) { return k < 250 ? 2 + 0.5 * (250 - k) : 2 + 0.05 * (k - 250); }, 2, "2.640   ",
         kDashes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Stage st;
        st.profile(c.loss);
        st.state.ILmin = c.ilMin;
        findBandwidths(st.ctx);
        EXPECT_EQ(st.bw(6), c.bw6);
        EXPECT_EQ(st.bw(20), c.bw20);
    }
}

TEST(figures_test, span_inside_the_pass_band_gives_no_bandwidths) {
    Stage st;
    st.profile(
        [](int k) { return 2.5 + 0.00001 * (k - 250) * (k - 250); }); // 3.125 dB at the edges
    insertionLoss(st.ctx);
    findBandwidths(st.ctx);
    EXPECT_EQ(st.form.text("Label91"), "Insertion Loss= 2.50 db");
    for (int label = 21; label <= 26; ++label)
        EXPECT_EQ(st.form.text(FormModel::label(label)), kDashes);
}

// The two-pole ladder of the sweep tests, with a 4 pF holder.
void twoPoleLadder(DesignState& s) {
    constexpr long double pi = std::numbers::pi_v<long double>;
    s.Poles = 2;
    s.Lm = 0.062;
    s.Cm = static_cast<double>(1 / ((2 * pi * 4998000) * (2 * pi * 4998000) * 0.062L));
    s.Cp = 4e-12;
    s.Ck[1] = 100e-12f;
    s.Zterm = 50;
    s.fm = 4998000;
}

TEST(figures_test, ultimate_attenuation_relative_to_insertion_loss) {
    struct Case {
        double cp;
        double ultAttn; // wanted attenuation above the insertion loss
        char separator;
        const char* label86;
        int lineRow;
    };
    const Case cases[] = {
        {4e-12, 95, '.', "-95.0 db", 478},
        {4e-12, 60.5, ',', "-60,5 db", 305}, // 302.5 rounds to the even 302
        {1e-30, 95, '.', "  ------", 478},   // no holder: no figure, the line stays
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label86);
        Stage st;
        twoPoleLadder(st.state);
        st.state.Cp = c.cp;
        st.state.colours.ultAttn = Rgb{10, 20, 30};
        st.form.setText("AEdit8", "20");
        st.ctx.separator = c.separator;

        // The mean of the two far-off losses, from the analysis itself.
        DesignState probe = st.state;
        probe.fEval = probe.fm + 200000;
        calcCLadder(probe, 20);
        const double above = probe.S21dB;
        probe.fEval = probe.fm - 200000;
        calcCLadder(probe, 20);
        const double mean = -(above + probe.S21dB) / 2;
        ASSERT_GT(mean, 20);
        st.state.ILmin = mean - c.ultAttn;

        ultimateAttenuation(st.ctx);
        EXPECT_FLOAT_EQ(st.state.UltAttn, static_cast<float>(c.ultAttn));
        EXPECT_EQ(st.form.text("Label86"), c.label86);
        EXPECT_EQ(st.state.UltAttnLineY, c.lineRow);
        for (const char* name : {"Label84", "Label85", "Label86"})
            EXPECT_EQ(st.form.at(name).fontColor, (Rgb{10, 20, 30})) << name;
        // The working values are left at the lower point.
        EXPECT_EQ(st.state.fEval, st.state.fm - 200000);
        EXPECT_EQ(st.state.S21dB, probe.S21dB);
    }
}

TEST(figures_test, attenuation_line_row_rounds_halves_to_even) {
    const std::pair<float, int> cases[] = {
        {95, 478},  {0, 3},    {0.5f, 5},  {1.5f, 11},       {2.5f, 15},
        {-0.5f, 1}, {0.7f, 6}, {0.75f, 7}, {1e30f, 1000003},
    };
    for (auto [attn, row] : cases) EXPECT_EQ(ultAttnLineRow(attn), row) << attn;
}

} // namespace
