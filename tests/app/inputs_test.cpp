// Reading and validating the design inputs of the main form.

#include "app/main_form.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace korvan;

constexpr const char* kInvalid = "Invalid or missing input value(s)";
constexpr const char* kZero = "Input value(s) must be > 0 ";

class InputsTest : public ::testing::Test {
  protected:
    MainForm& form(char sep = '.') {
        if (!form_) form_ = std::make_unique<MainForm>(messages, clipboard, dir.path(), sep);
        return *form_;
    }
    void set(const std::map<std::string, std::string>& fields) {
        for (const auto& [name, text] : fields) form().form().setText(name, text);
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& s : messages.shown()) out.push_back(s.message.text);
        return out;
    }

    test::TempDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    std::unique_ptr<MainForm> form_;
};

TEST_F(InputsTest, defaults_pass_silently) {
    form().getInputs();
    const auto& s = form().state();
    EXPECT_FALSE(s.StopCalc);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(s.fs, 4998000.0);
    EXPECT_EQ(s.Cp, 4e-12);
    EXPECT_EQ(s.B3db, 3000.0f);
    EXPECT_EQ(s.PBripple, 1.0);
    EXPECT_EQ(s.Poles, 8);
    EXPECT_EQ(s.Span, 10.0f);
    const auto& f = form().form();
    EXPECT_EQ(f.text("Label15"), "Type:   Chebyshev");
    EXPECT_EQ(f.text("Label16"), "PB-Ripple: 1db");
    EXPECT_EQ(f.text("Label78"), "8");
    EXPECT_EQ(f.find("AEdit3")->hint, "Holder Capacitance");
    EXPECT_EQ(f.find("AEdit5")->hint, "  0 = Butterworth\r>0 = Chebychev");
}

TEST_F(InputsTest, clamps_are_written_back_into_the_fields) {
    struct Case {
        std::map<std::string, std::string> fields;
        bool qer;
        std::map<std::string, std::string> expected;
    } cases[] = {
        {{{"AEdit5", "0"}},
         false,
         {{"Label15", "Type:   Butterworth"}, {"Label16", "PB-Ripple: 0db"}}},
        {{{"AEdit5", "3.5"}}, false, {{"AEdit5", "3"}, {"Label16", "PB-Ripple: 3db"}}},
        {{{"AEdit5", "3"}}, false, {{"AEdit5", "3"}}},
        {{{"AEdit6", "1"}}, false, {{"AEdit6", "2"}, {"Label78", "2"}}},
        {{{"AEdit6", "0"}}, false, {{"AEdit6", "2"}}},
        {{{"AEdit6", "3"}}, false, {{"AEdit6", "3"}}},
        {{{"AEdit6", "3"}}, true, {{"AEdit6", "4"}, {"Label78", "4"}}},
        // QER tables start at 4 poles: no smaller count may get through.
        {{{"AEdit6", "1"}}, true, {{"AEdit6", "4"}, {"Label78", "4"}}},
        {{{"AEdit6", "-2147483648"}}, true, {{"AEdit6", "4"}}},
        {{{"AEdit6", "20"}}, false, {{"AEdit6", "14"}, {"Label78", "14"}}},
        {{{"AEdit6", " 07"}}, false, {{"AEdit6", "7"}}},
        {{{"AEdit4", "12"}, {"AEdit7", "10"}}, false, {{"AEdit7", "12"}}},
        {{{"AEdit4", "5.377"}, {"AEdit7", "2"}}, false, {{"AEdit7", "5.377"}}},
        {{{"AEdit7", "500"}}, false, {{"AEdit7", "400"}}},
        {{{"AEdit4", "450"}, {"AEdit7", "10"}}, false, {{"AEdit7", "400"}}},
    };
    for (const auto& c : cases) {
        MainForm f(messages, clipboard, dir.path(), '.');
        for (const auto& [name, text] : c.fields) f.form().setText(name, text);
        f.state().IsQER = c.qer;
        f.getInputs();
        EXPECT_FALSE(f.state().StopCalc);
        for (const auto& [name, text] : c.expected)
            EXPECT_EQ(f.form().text(name), text) << name << " after " << c.fields.begin()->second;
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(InputsTest, clamped_values_reach_the_design_state) {
    set({{"AEdit5", "3.5"}, {"AEdit6", "20"}, {"AEdit7", "500"}, {"AEdit3", "0"}});
    form().getInputs();
    EXPECT_EQ(form().state().PBripple, 3.0);
    EXPECT_EQ(form().state().Poles, 14);
    EXPECT_EQ(form().state().Span, 400.0f);
    EXPECT_EQ(form().state().Cp, 1e-30);
}

TEST_F(InputsTest, comma_separator_reads_and_writes_commas) {
    form(',');
    set({{"AEdit4", "5,377"}, {"AEdit7", "2"}, {"AEdit5", "0,5"}});
    form().getInputs();
    EXPECT_FALSE(form().state().StopCalc);
    EXPECT_EQ(form().form().text("AEdit7"), "5,377");
    EXPECT_EQ(form().state().PBripple, 0.5);
    EXPECT_EQ(form().form().text("Label16"), "PB-Ripple: 0,5db");

    set({{"AEdit4", "3.5"}});
    form().getInputs();
    EXPECT_TRUE(form().state().StopCalc);
    EXPECT_EQ(texts(), std::vector<std::string>{kInvalid});
}

TEST_F(InputsTest, unreadable_field_stops_before_any_correction) {
    struct Case {
        const char* field;
        const char* text;
    } cases[] = {{"AEdit1", ""},    {"AEdit2", "abc"}, {"AEdit3", "1,5"}, {"AEdit4", " "},
                 {"AEdit5", "-"},   {"AEdit6", "8.0"}, {"AEdit6", "8,5"}, {"AEdit7", "e3"},
                 {"AEdit1", "nan"}, {"AEdit2", "inf"}};
    for (const auto& c : cases) {
        ScriptedMessages local;
        MainForm f(local, clipboard, dir.path(), '.');
        f.form().setText("AEdit5", "3.5"); // would be clamped by a later step
        f.form().setText(c.field, c.text);
        f.getInputs();
        EXPECT_TRUE(f.state().StopCalc) << c.field << " " << c.text;
        ASSERT_EQ(local.shown().size(), 1u);
        const auto& m = local.shown()[0].message;
        EXPECT_EQ(m.title, "Error");
        EXPECT_EQ(m.text, kInvalid);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.icon, MsgIcon::Exclamation);
        if (std::string(c.field) != "AEdit5") {
            EXPECT_EQ(f.form().text("AEdit5"), "3.5");
        }
    }
}

TEST_F(InputsTest, values_read_before_a_failure_stay) {
    set({{"AEdit2", "10000"}, {"AEdit3", "5"}, {"AEdit4", "x"}});
    form().state().B3db = 1234;
    form().getInputs();
    EXPECT_EQ(form().state().fs, 1e7);
    EXPECT_EQ(form().state().Cp, 5e-12);
    EXPECT_EQ(form().state().B3db, 1234.0f);
}

TEST_F(InputsTest, zero_inputs_are_refused) {
    for (const char* field : {"AEdit1", "AEdit2", "AEdit4"}) {
        ScriptedMessages local;
        MainForm f(local, clipboard, dir.path(), '.');
        f.form().setText(field, "0");
        f.form().takeFocusRequests();
        f.getInputs();
        EXPECT_TRUE(f.state().StopCalc) << field;
        ASSERT_EQ(local.shown().size(), 1u);
        EXPECT_EQ(local.shown()[0].message.text, kZero);
        EXPECT_EQ(local.shown()[0].message.title, "Error");
        const auto focus = f.form().takeFocusRequests();
        ASSERT_EQ(focus.size(), 1u);
        EXPECT_EQ(focus[0].move, FocusMove::Previous);
    }
    // Holder capacitance, ripple and span are not part of the check.
    set({{"AEdit3", "0"}, {"AEdit5", "0"}});
    form().getInputs();
    EXPECT_FALSE(form().state().StopCalc);
}

TEST_F(InputsTest, implausible_motional_value_asks_first) {
    struct Case {
        int item;
        const char* value;
        bool asked;
    } cases[] = {
        {1, "62", false},                         // Cm 62 fF at 4998 kHz: p = 3.1e8
        {1, "1", true},                           // p = 5.0e6 < 1e7
        {0, "62", false},     {0, "1000", false}, // p = 4.998e9
        {0, "2000", true},                        // p = 9.996e9 > 5e9
        {-1, "0.001", false},                     // no item selected: no question
    };
    for (const auto& c : cases) {
        for (const MsgAnswer answer : {MsgAnswer::Yes, MsgAnswer::No}) {
            ScriptedMessages local;
            local.script(answer);
            MainForm f(local, clipboard, dir.path(), '.');
            f.form().setItemIndex("RadioGroup1", c.item);
            f.form().setText("AEdit1", c.value);
            f.form().takeFocusRequests();
            f.getInputs();
            if (!c.asked) {
                EXPECT_TRUE(local.shown().empty()) << c.value;
                EXPECT_FALSE(f.state().StopCalc);
                continue;
            }
            ASSERT_EQ(local.shown().size(), 1u) << c.value;
            const auto& m = local.shown()[0].message;
            EXPECT_EQ(m.title, "Confirmation needed");
            EXPECT_EQ(m.text,
                      "The value for the xtal parameter Lm or Cm does    \rNOT appear to be "
                      "realistic for the given frequency.  \r\r   >>>   Do you really want "
                      "to proceed?   <<<\r(This may lead to a floating-point error "
                      "message)");
            EXPECT_EQ(m.buttons, MsgButtons::YesNo);
            EXPECT_EQ(m.icon, MsgIcon::Question);
            EXPECT_EQ(m.defaultAnswer, MsgAnswer::No);
            EXPECT_EQ(f.state().StopCalc, answer == MsgAnswer::No);
            const auto focus = f.form().takeFocusRequests();
            if (answer == MsgAnswer::No) {
                ASSERT_EQ(focus.size(), 1u);
                EXPECT_EQ(focus[0].move, FocusMove::Control);
                EXPECT_EQ(focus[0].control, "AEdit1");
            } else {
                EXPECT_EQ(f.form().text("Label15"), "Type:   Chebyshev");
            }
        }
    }
}

TEST_F(InputsTest, huge_numbers_end_in_an_overflow_report) {
    set({{"AEdit2", "1e999"}});
    form().calculateClicked();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].message.text, "Floating point overflow.");
    EXPECT_EQ(messages.shown()[0].message.icon, MsgIcon::Stop);
    EXPECT_FALSE(form().lastCalculationComplete());
}

// Whatever is pasted into a field, the program converts it or reports it.
TEST_F(InputsTest, pasted_garbage_never_crashes) {
    const std::string pastes[] = {"abc",
                                  "-5",
                                  "+5",
                                  "1e5",
                                  "1E-300",
                                  "1e999",
                                  "1e-999",
                                  "nan",
                                  "inf",
                                  "-inf",
                                  "   ",
                                  "",
                                  ".",
                                  "..",
                                  "1,2",
                                  "\x01\xff",
                                  "0",
                                  "-0",
                                  std::string(10000, '7'),
                                  std::string(10000, ' '),
                                  "3" + std::string(400, '0'),
                                  "0.000000000000000000001"};
    for (int field = 1; field <= 8; ++field) {
        for (const auto& text : pastes) {
            ScriptedMessages local;
            MainForm f(local, clipboard, dir.path(), '.');
            f.setExportEnabled(false);
            f.form().setText(FormModel::edit(field), text);
            EXPECT_NO_THROW(f.calculateClicked());
            for (const auto& shown : local.shown()) {
                const auto& t = shown.message.title;
                EXPECT_TRUE(t == "Error" || t == "Info" || t == "Confirmation needed" ||
                            t == "KORVAN")
                    << t;
            }
            for (const auto& [name, control] : f.form().controls()) {
                if (name.rfind("Label", 0) != 0) continue;
                // Only the program's own word "infinite" may hold these letters.
                if (control.text.find("infinite") != std::string::npos) continue;
                EXPECT_EQ(control.text.find("nan"), std::string::npos) << name;
                EXPECT_EQ(control.text.find("inf"), std::string::npos) << name;
            }
        }
    }
}

} // namespace
