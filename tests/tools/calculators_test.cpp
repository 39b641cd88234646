// The 3 dB and G3UUR calculators driven as the window drives them: field
// texts in, label texts and message boxes out.

#include "tools/g3uur_form.h"
#include "tools/gradient.h"
#include "tools/xtal3db_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace korvan;
using tools::G3uurForm;
using tools::Xtal3dbForm;

const Message kInvalid{"Error", "Invalid or missing input value(s)", MsgButtons::Ok,
                       MsgIcon::Exclamation, MsgAnswer::Ok};

Message error(const std::string& text) {
    return {"Error", text, MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok};
}

std::vector<Message> boxes(const ScriptedMessages& sink) {
    std::vector<Message> out;
    for (const auto& shown : sink.shown()) out.push_back(shown.message);
    return out;
}

std::vector<std::string> texts(const FormModel& f, std::initializer_list<const char*> names) {
    std::vector<std::string> out;
    for (const char* n : names) out.push_back(f.text(n));
    return out;
}

class Xtal3dbTest : public ::testing::Test {
  protected:
    void SetUp() override { form.formActivate(); }
    std::vector<std::string> results() const {
        return texts(form.form(), {"AEdit4", "AEdit6", "Label5", "Label6", "Label7", "Label8"});
    }
    void enter(const char* field, const char* text) {
        form.form().setText(field, text);
        form.editReturnPressed();
    }
    ScriptedMessages messages;
    Xtal3dbForm form{messages, '.'};
};

TEST_F(Xtal3dbTest, defaults_give_the_measured_crystal) {
    EXPECT_EQ(results(),
              (std::vector<std::string>{"85", "1.41", "74.90", "13.52753", "17.6", "133333"}));
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(form.mode(), Xtal3dbForm::Mode::Transmission);
    // Cm follows the rounded inductance: the unrounded one would give 13.52817.
    EXPECT_NEAR(form.state().Cm * 1e15, 13.52753, 5e-6);
    EXPECT_FALSE(form.form().find("AEdit4")->readOnly);
    EXPECT_TRUE(form.form().find("AEdit6")->readOnly);
    EXPECT_FALSE(form.form().find("AEdit7")->visible);
}

TEST_F(Xtal3dbTest, refusals_keep_the_results) {
    struct Case {
        const char* field;
        const char* text;
        std::vector<Message> shown;
    } cases[] = {
        {"AEdit4", "100", {error("Must be lower than 100%")}},
        {"AEdit4", "0", {error("No ZERO input allowed")}},
        {"AEdit1", "0", {}},
        {"AEdit2", "0", {error("No ZERO input allowed")}},
        {"AEdit2", "abc", {kInvalid}},
        {"AEdit3", "1e999", {kInvalid}},
        {"AEdit3", "nan", {kInvalid}},
    };
    for (const auto& c : cases) {
        ScriptedMessages sink;
        Xtal3dbForm f{sink, '.'};
        f.formActivate();
        f.form().setText(c.field, c.text);
        f.editReturnPressed();
        EXPECT_EQ(boxes(sink), c.shown) << c.field << "=" << c.text;
        if (!c.shown.empty()) {
            EXPECT_EQ(f.form().text("Label5"), "74.90") << c.field << "=" << c.text;
        }
    }
}

TEST_F(Xtal3dbTest, empty_bandwidth_calculates_with_the_previous_one) {
    enter("AEdit3", "500");
    EXPECT_EQ(form.form().text("Label5"), "37.45");
    form.form().setText("AEdit4", "90");
    form.form().setText("AEdit3", "");
    form.editReturnPressed();
    // Reading stopped at the bandwidth: the transmission keeps 85 %.
    EXPECT_EQ(boxes(messages), std::vector<Message>{kInvalid});
    EXPECT_EQ(form.form().text("Label5"), "37.45");
    EXPECT_EQ(form.form().text("Label7"), "17.6");
}

TEST_F(Xtal3dbTest, attenuation_shown_as_zero_traps_mode_a_until_mode_b) {
    enter("AEdit4", "99.99");
    EXPECT_EQ(form.form().text("AEdit6"), "0.00");
    EXPECT_TRUE(messages.shown().empty());
    enter("AEdit4", "50");
    EXPECT_EQ(boxes(messages), std::vector<Message>{error("Must be more than 0db")});
    messages.clear();
    form.radioButtonClicked(2);
    EXPECT_EQ(form.mode(), Xtal3dbForm::Mode::Attenuation);
    EXPECT_EQ(boxes(messages), std::vector<Message>{error("Must be more than 0db")});
    messages.clear();
    enter("AEdit6", "6");
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(form.form().text("AEdit4"), "50.12");
    EXPECT_TRUE(form.form().find("AEdit4")->readOnly);
    EXPECT_FALSE(form.form().find("AEdit6")->readOnly);
    EXPECT_EQ(form.form().find("AEdit6")->fontColor, tools::kGreen);
    EXPECT_EQ(form.form().text("Label7"), "99.5");
}

TEST_F(Xtal3dbTest, loss_resistance_mode) {
    form.checkBox1Clicked(true);
    const auto& f = form.form();
    EXPECT_EQ(form.mode(), Xtal3dbForm::Mode::LossResistance);
    EXPECT_EQ(f.text("AEdit7"), "17.6");
    EXPECT_TRUE(f.find("AEdit7")->visible);
    EXPECT_FALSE(f.find("RadioButton1")->visible);
    EXPECT_TRUE(f.find("AEdit4")->readOnly);
    EXPECT_EQ(f.find("AEdit4")->fontColor, tools::kRed);
    enter("AEdit7", "50");
    EXPECT_EQ(results(),
              (std::vector<std::string>{"66.67", "3.52", "95.49", "10.61066", "50.0", "60000"}));
    // Rm = 0: full transmission, no attenuation.
    enter("AEdit7", "0");
    EXPECT_EQ(f.text("AEdit4"), "100.00");
    EXPECT_EQ(f.text("AEdit6"), "0.00");
    EXPECT_EQ(boxes(messages), std::vector<Message>{error("Must be more than 0db")});
    EXPECT_EQ(f.text("Label7"), "50.0");
    // Unreadable: reported by the guarded read and again by the unguarded one.
    messages.clear();
    enter("AEdit7", "x");
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[0].message, kInvalid);
    EXPECT_EQ(messages.shown()[1].message, errorReport("'x' is not a valid floating point value"));
    EXPECT_EQ(messages.shown()[1].message.icon, MsgIcon::Stop);
}

TEST_F(Xtal3dbTest, reopening_keeps_the_box_and_unticking_returns_to_mode_a) {
    form.checkBox1Clicked(true);
    form.form().setText("AEdit7", "50");
    form.formActivate();
    EXPECT_EQ(form.mode(), Xtal3dbForm::Mode::LossResistance);
    EXPECT_FALSE(form.form().find("AEdit7")->visible);
    EXPECT_EQ(form.form().text("Label7"), "50.0");
    form.checkBox1Clicked(false);
    EXPECT_EQ(form.mode(), Xtal3dbForm::Mode::Transmission);
    EXPECT_FALSE(form.form().find("AEdit4")->readOnly);
    EXPECT_TRUE(form.form().find("RadioButton2")->visible);
    EXPECT_EQ(form.form().text("Label7"), "50.0"); // 66.67 % as typed back
}

TEST_F(Xtal3dbTest, qu_beyond_32_bits_is_an_error_report) {
    enter("AEdit4", "99.9999999");
    // The attenuation shows 0.00 only from now on; this calculation completes
    // unless Qu overflows.
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].message, errorReport("Invalid floating point operation"));
    EXPECT_EQ(form.form().text("Label5"), "74.90");
}

TEST_F(Xtal3dbTest, comma_separator_reads_and_writes_commas) {
    ScriptedMessages sink;
    Xtal3dbForm f{sink, ','};
    f.form().setText("AEdit4", "85,5");
    f.formActivate();
    EXPECT_EQ(f.form().text("AEdit6"), "1,36");
    EXPECT_TRUE(sink.shown().empty());
}

class G3uurTest : public ::testing::Test {
  protected:
    void SetUp() override { form.formActivate(); }
    std::vector<std::string> results() const {
        return texts(form.form(), {"Label7", "Label8", "Label15"});
    }
    ScriptedMessages messages;
    G3uurForm form{messages, '.'};
};

TEST_F(G3uurTest, edge_cases) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> fields;
        std::vector<std::string> shown;
        std::vector<Message> boxes;
    } cases[] = {
        {{}, {"15.598", "25.379", "7998.777"}, {}},
        {{{"AEdit5", "0"}, {"AEdit6", "0"}}, {"16.237", "24.380", "7999.200"}, {}},
        {{{"AEdit3", "7999.20"}},
         {"15.598", "25.379", "7998.777"},
         {error("Freq(SW-OPEN) must be higher\rthan Freq(SW-Closed)")}},
        {{{"AEdit1", "0"}}, {"15.598", "25.379", "7998.777"}, {error("No ZERO input allowed")}},
        {{{"AEdit2", ""}}, {"15.598", "25.379", "7998.777"}, {kInvalid}},
    };
    for (const auto& c : cases) {
        ScriptedMessages sink;
        G3uurForm f{sink, '.'};
        f.formActivate();
        for (const auto& [field, text] : c.fields) f.form().setText(field, text);
        f.editReturnPressed();
        EXPECT_EQ(texts(f.form(), {"Label7", "Label8", "Label15"}), c.shown);
        EXPECT_EQ(boxes(sink), c.boxes);
        const auto focus = f.form().takeFocusRequests();
        ASSERT_FALSE(focus.empty());
        EXPECT_EQ(focus.back().control, "AEdit4");
    }
}

TEST_F(G3uurTest, opening_resets_the_frequencies_with_the_separator) {
    form.form().setText("AEdit3", "8002");
    form.form().setText("AEdit5", "100");
    form.formActivate();
    EXPECT_EQ(form.form().text("AEdit3"), "8001.15");
    EXPECT_EQ(form.form().text("AEdit5"), "100");
    ScriptedMessages sink;
    G3uurForm comma{sink, ','};
    comma.formActivate();
    EXPECT_EQ(comma.form().text("AEdit4"), "7999,20");
    EXPECT_EQ(comma.form().text("Label15"), "7998,777");
}

TEST_F(G3uurTest, a_vanishing_denominator_is_an_error_report) {
    // C0 chosen so that fc^2*CA equals fo^2*CB cannot be typed exactly; a
    // negative divider pair makes 1/C1 + 1/C2 vanish instead.
    form.form().setText("AEdit5", "-470");
    form.button1Click();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].message, errorReport("Floating point division by zero"));
    EXPECT_EQ(results(), (std::vector<std::string>{"15.598", "25.379", "7998.777"}));
}

} // namespace

namespace {

TEST(gradient_test, rows_of_the_info_window) {
    using korvan::Rgb;
    const auto rows = korvan::tools::gradientRows(korvan::tools::kInfoTopColour,
                                                  korvan::tools::kInfoBottomColour, 0, 235);
    ASSERT_EQ(rows.size(), 235u);
    EXPECT_EQ(rows[0], (Rgb{0, 0, 255}));
    EXPECT_EQ(rows[117], (Rgb{72, 127, 216}));
    EXPECT_EQ(rows[234], (Rgb{143, 254, 176}));
    EXPECT_TRUE(korvan::tools::gradientRows({}, {}, 10, 10).empty());
    EXPECT_TRUE(korvan::tools::gradientRows({}, {}, 10, 3).empty());
}

} // namespace

namespace {

// Pasted text of any kind in any field: reported, never a crash, and no nan
// or inf reaches a field or label.
TEST(calculators_bad_input_test, pasted_text_in_every_field) {
    const std::string pasted[] = {"abc", "1e999", "nan",    "inf", std::string(10000, '7'),
                                  "   ", "-5",    "1e-320", "0",   "1e300",
                                  "-0",  ",",     "."};
    // Every control but the one pasted into.
    const auto clean = [](const FormModel& f, const std::string& pastedInto) {
        for (const auto& [name, c] : f.controls()) {
            if (name == pastedInto) continue;
            for (const char* bad : {"nan", "inf", "NAN", "INF"})
                if (c.text.find(bad) != std::string::npos) return false;
        }
        return true;
    };
    for (const auto& text : pasted) {
        for (const char* field :
             {"AEdit1", "AEdit2", "AEdit3", "AEdit4", "AEdit5", "AEdit6", "AEdit7"}) {
            for (int mode = 0; mode < 3; ++mode) {
                ScriptedMessages sink;
                Xtal3dbForm f{sink, '.'};
                f.formActivate();
                if (mode == 1) f.radioButtonClicked(2);
                if (mode == 2) f.checkBox1Clicked(true);
                f.form().setText(field, text);
                f.editReturnPressed();
                f.button1Click();
                EXPECT_TRUE(clean(f.form(), field)) << field << "=" << text.substr(0, 20);
            }
        }
        for (const char* field : {"AEdit1", "AEdit2", "AEdit3", "AEdit4", "AEdit5", "AEdit6"}) {
            ScriptedMessages sink;
            G3uurForm f{sink, '.'};
            f.formActivate();
            f.form().setText(field, text);
            f.editReturnPressed();
            EXPECT_TRUE(clean(f.form(), field)) << field << "=" << text.substr(0, 20);
        }
    }
}

} // namespace
