// The series-to-parallel termination converter: results, the two refusals
// and the texts copied from the main window.

#include "tools/cs2cp_form.h"

#include <gtest/gtest.h>

#include <string>

using namespace korvan;

namespace {
const std::string kLongText(10000, '7');
}

namespace {

struct Cs2CpCase {
    const char* name;
    const char* fKHz;
    const char* rs;
    const char* cs;
    const char* cp; // Label1, Label2 after the conversion
    const char* rp;
    const char* box; // nullptr: no box
};

class Cs2Cp : public testing::TestWithParam<Cs2CpCase> {};

TEST_P(Cs2Cp, Converts) {
    const Cs2CpCase& c = GetParam();
    FormModel main;
    ScriptedMessages messages;
    tools::Cs2CpForm form(messages, '.', main);
    form.form().setText("Label1", "old");
    form.form().setText("Label2", "old");
    form.form().setText("AEdit3", c.fKHz);
    form.form().setText("AEdit2", c.rs);
    form.form().setText("AEdit1", c.cs);
    form.button1Click();
    EXPECT_EQ(form.form().text("Label1"), c.cp);
    EXPECT_EQ(form.form().text("Label2"), c.rp);
    if (!c.box) {
        EXPECT_TRUE(messages.shown().empty());
        return;
    }
    ASSERT_EQ(messages.shown().size(), 1u);
    const Message& m = messages.shown()[0].message;
    EXPECT_EQ(m.text, c.box);
    // The form's own boxes, and the general error report of a fault.
    const bool own = std::string(c.box).find("Input") != std::string::npos;
    EXPECT_EQ(m.title, own ? "Error" : "KORVAN");
    EXPECT_EQ(m.icon, MsgIcon::Stop);
}

INSTANTIATE_TEST_SUITE_P(
    cs2cp_form_test, Cs2Cp,
    testing::Values(
        Cs2CpCase{"f5000", "5000", "300", "100", "53.0", "638", nullptr},
        Cs2CpCase{"f9000", "9000", "50", "1000", "111", "56.3", nullptr},
        Cs2CpCase{"copied_blank", "9000", "50", "1000.0 ", "111", "56.3", nullptr},
        Cs2CpCase{"negative_rs", "5000", "-300", "100", "53.0", "-637.7", nullptr},
        Cs2CpCase{"empty_cs", "5000", "300", "", "old", "old", "Invalid Input(s)"},
        Cs2CpCase{"nan_rs", "5000", "nan", "100", "old", "old", "Invalid Input(s)"},
        Cs2CpCase{"huge_f", "1e999", "300", "100", "old", "old", "Invalid Input(s)"},
        Cs2CpCase{"long_text", "5000", kLongText.c_str(), "100", "old", "old", "Invalid Input(s)"},
        Cs2CpCase{"zero_cs", "5000", "300", "0", "old", "old", "Inputs must be >Zero"},
        Cs2CpCase{"overflow", "1e-300", "300", "1e-300", "old", "old", "Floating point overflow."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(cs2cp_form_test, OpeningCopiesFrequencyTerminationAndCs1) {
    FormModel main;
    main.setText("AEdit2", "5000");
    main.setText("Label20", "300.0");
    main.setText("Label40", "100.0 ");
    ScriptedMessages messages;
    tools::Cs2CpForm form(messages, '.', main);
    form.formActivate();
    EXPECT_EQ(form.form().text("AEdit3"), "5000");
    EXPECT_EQ(form.form().text("AEdit2"), "300.0");
    EXPECT_EQ(form.form().text("AEdit1"), "100.0 ");
    EXPECT_EQ(form.form().text("Label1"), "53.0");
    EXPECT_EQ(form.form().text("Label2"), "638");
}

} // namespace
