// The L-C matching calculator: its results in single precision as the window
// prints them, the two answers without a network and the faults.

#include "tools/lc_match_form.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using namespace korvan;

namespace {

struct LcCase {
    const char* name;
    const char* fKHz;
    const char* r1;
    const char* r2;
    std::array<const char*, 4> results; // Lseries, Cparallel, Cseries, Lparallel
    const char* boxTitle;               // nullptr: no box
    const char* boxText;
    MsgIcon icon;
};

class LcMatch : public testing::TestWithParam<LcCase> {};

TEST_P(LcMatch, PrintsTheFourResults) {
    const LcCase& c = GetParam();
    FormModel main;
    ScriptedMessages messages;
    tools::LcMatchForm lc(messages, '.', main);
    lc.form().setText("AEdit1", c.fKHz);
    lc.form().setText("AEdit2", c.r1);
    lc.form().setText("AEdit3", c.r2);
    lc.button1Click();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lc.form().text(FormModel::label(5 + i)), c.results[static_cast<std::size_t>(i)])
            << FormModel::label(5 + i);
    if (!c.boxTitle) {
        EXPECT_TRUE(messages.shown().empty());
        return;
    }
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].message,
              (Message{c.boxTitle, c.boxText, MsgButtons::Ok, c.icon, MsgAnswer::Ok}));
}

constexpr std::array<const char*, 4> kZeros = {"0.00  ", "0.00  ", "0.00  ", "0.00  "};
constexpr std::array<const char*, 4> kUntouched = {"Label5", "Label6", "Label7", "Label8"};

INSTANTIATE_TEST_SUITE_P(
    lc_match_form_test, LcMatch,
    testing::Values(LcCase{"ratio_9",
                           "9000",
                           "50",
                           "450",
                           {"2.50  ", "111.15  ", "125.04  ", "2.81  "},
                           nullptr,
                           nullptr,
                           MsgIcon::Information},
                    LcCase{"exactly_2_percent", "9000", "50", "51", kZeros, "Info",
                           "No matching network necessary", MsgIcon::Information},
                    LcCase{"just_above_2_percent",
                           "9000",
                           "50",
                           "51.2",
                           {"0.14  ", "53.51  ", "2282.98  ", "5.84  "},
                           nullptr,
                           nullptr,
                           MsgIcon::Information},
                    LcCase{"r1_larger", "9000", "100", "50", kZeros, "Error",
                           "R1 must be smaller than R2 !", MsgIcon::Exclamation},
                    LcCase{"both_zero", "9000", "0", "0", kZeros, "Info",
                           "No matching network necessary", MsgIcon::Information},
                    LcCase{"r1_zero", "9000", "0", "450", kUntouched, "KORVAN",
                           "Invalid floating point operation.", MsgIcon::Stop},
                    LcCase{"no_frequency", "0", "50", "450", kUntouched, "KORVAN",
                           "Floating point division by zero.", MsgIcon::Stop},
                    LcCase{"negative_r1", "9000", "-50", "450", kUntouched, "KORVAN",
                           "Invalid floating point operation.", MsgIcon::Stop},
                    LcCase{"beyond_single", "9000", "50", "1e999", kUntouched, "KORVAN",
                           "Floating point overflow.", MsgIcon::Stop},
                    LcCase{"blanks_only", "9000", "   ", "450", kUntouched, "KORVAN",
                           "'   ' is not a valid floating point value.", MsgIcon::Stop},
                    LcCase{"not_a_number", "9000", "50", "450 Ohm", kUntouched, "KORVAN",
                           "'450 Ohm' is not a valid floating point value.", MsgIcon::Stop}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(lc_match_form_test, OpeningCopiesFrequencyAndTermination) {
    FormModel main;
    main.setText("Label19", "9000.000");
    main.setText("Label20", "450.0");
    ScriptedMessages messages;
    tools::LcMatchForm lc(messages, ',', main);
    lc.form().setText("AEdit2", "50");
    lc.formActivate();
    EXPECT_EQ(lc.form().text("AEdit1"), "9000.000");
    EXPECT_EQ(lc.form().text("AEdit3"), "450.0");
    // The main window's texts use the point; this form reads with a comma.
    EXPECT_EQ(messages.shown().size(), 1u);
    main.setText("Label19", "9000,000");
    main.setText("Label20", "450,0");
    messages.clear();
    lc.formActivate();
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(lc.form().text("Label5"), "2,50  ");
    const auto focus = lc.form().takeFocusRequests();
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus.back().control, "Button1");
}

} // namespace
