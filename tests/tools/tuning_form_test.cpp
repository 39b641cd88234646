// The crystal tuning calculator: the paths of its calculation with exact
// texts and boxes, including the offset written back rounded up and the
// refusal of an offset the reference mesh cannot produce.

#include "tools/tuning_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace korvan;
using korvan::tools::TuningForm;

namespace {

constexpr const char* kNoneRequired = "No tuning capacitor required";
constexpr const char* kInvalid = "Invalid or missing input value(s)";

Message box(const char* title, const char* text) {
    return {title, text, MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok};
}
const Message kHigher = box("Error", "The actual xtal frequency is already higher\rthan the "
                                     "required offset\rThe offset is set to the minimum value");
const Message kNone = box("Info", kNoneRequired);
const Message kTooSmall = box("Error", "The tuning capacitor becomes too small (<10pF)\ror even "
                                       "negative.\rPlease reduce the offset value");

struct Fixture {
    Fixture() : tuning(messages, '.', main, mainState, [this] { ++calculations; }) {
        // The reference crystal: 70 mH, 4913.565 kHz, 5 pF, Ck12 = Ck23 = 100 pF.
        auto& f = tuning.form();
        f.setText("AEdit1", "70");
        f.setText("AEdit2", "4913.565");
        f.setText("AEdit5", "5");
        f.setText("AEdit6", "100");
        f.setText("AEdit7", "100");
    }
    void run(const std::string& actual, const std::string& offset) {
        tuning.form().setText("AEdit3", actual);
        tuning.form().setText("AEdit4", offset);
        tuning.button1Click();
    }
    std::string text(const char* control) const { return tuning.form().text(control); }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& shown : messages.shown()) out.push_back(shown.message.text);
        return out;
    }

    FormModel main;
    DesignState mainState;
    ScriptedMessages messages;
    int calculations = 0;
    TuningForm tuning;
};

struct TuningCase {
    const char* name;
    const char* actualKHz;
    const char* offsetHz;
    const char* label6;
    const char* label4;
    const char* label13;
    const char* aedit4;
    std::vector<Message> boxes;
};

class TuningPaths : public testing::TestWithParam<TuningCase> {};

TEST_P(TuningPaths, ShowsTheDesignedTexts) {
    const TuningCase& c = GetParam();
    Fixture t;
    t.run(c.actualKHz, c.offsetHz);
    EXPECT_EQ(t.text("Label1"), "Cm =                          fF");
    EXPECT_EQ(t.text("Label2"), "14.98818");
    EXPECT_EQ(t.text("Label6"), c.label6);
    EXPECT_EQ(t.text("Label4"), c.label4);
    EXPECT_EQ(t.text("Label13"), c.label13);
    EXPECT_EQ(t.text("AEdit4"), c.aedit4);
    std::vector<Message> shown;
    for (const auto& s : t.messages.shown()) shown.push_back(s.message);
    EXPECT_EQ(shown, c.boxes);
}

INSTANTIATE_TEST_SUITE_P(
    tuning_form_test, TuningPaths,
    testing::Values(
        TuningCase{"below_no_offset", "4913.365", "0", "-200  ", "148", "200  ", "0", {}},
        TuningCase{"below_150", "4913.365", "150", "-200  ", "86.2", "350  ", "150", {}},
        TuningCase{"above_100", "4913.615", "100", "50  ", "622", "50  ", "100", {}},
        TuningCase{"above_no_offset", "4913.615", "0", "50  ", "-----", "0  ", "50", {kHigher}},
        TuningCase{
            "fractional_rounded_up", "4913.6154", "0", "50  ", "-----", "0  ", "51", {kHigher}},
        TuningCase{"nominal", "4913.565", "0", "0  ", "-----", "0  ", "0", {kNone}},
        TuningCase{"too_small", "4910.565", "0", "-3000  ", "5.6", "3000  ", "0", {kTooSmall}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(tuning_form_test, RaisedOffsetAnswersNoCapacitorNext) {
    Fixture t;
    t.run("4913.6154", "0");
    t.messages.clear();
    t.tuning.button1Click();
    EXPECT_EQ(t.texts(), std::vector<std::string>{kNoneRequired});
    EXPECT_EQ(t.text("Label4"), "-----");
    EXPECT_EQ(t.text("Label13"), "1  ");                       // 51 - 50.4
    EXPECT_EQ(t.tuning.form().takeFocusRequests().size(), 1u); // only the first AEdit4 focus
}

TEST(tuning_form_test, OffsetBeyondTheMeshIsRefused) {
    Fixture t;
    t.run("4913.365", "700");
    ASSERT_EQ(t.messages.shown().size(), 1u);
    const Message& box = t.messages.shown()[0].message;
    EXPECT_EQ(box.title, "Error");
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_NE(box.text.find("below 669.5 Hz"), std::string::npos) << box.text;
    EXPECT_EQ(t.text("Label4"), "-----");
    EXPECT_EQ(t.text("Label13"), "900  ");
}

TEST(tuning_form_test, ZeroActualFrequencyMeansNominal) {
    Fixture t;
    t.run("0", "0");
    EXPECT_EQ(t.text("AEdit3"), "4913.565");
    EXPECT_EQ(t.text("Label6"), "0  ");
    EXPECT_EQ(t.texts(), std::vector<std::string>{kNoneRequired});
}

TEST(tuning_form_test, CmEnteredGivesLm) {
    Fixture t;
    t.tuning.radioGroup1Click(1);
    EXPECT_EQ(t.text("Panel2"), " fF");
    t.tuning.form().setText("AEdit1", "14.98818");
    t.run("4913.365", "0");
    EXPECT_EQ(t.text("Label1"), "Lm =                          mH");
    EXPECT_EQ(t.text("Label2"), "69.99999");
    EXPECT_EQ(t.text("Label4"), "148");
}

TEST(tuning_form_test, UnreadableFieldsAreReportedTheirWay) {
    Fixture t;
    t.run("4913.365", "0");
    // Guarded: the box, then the calculation with the values held.
    t.messages.clear();
    t.tuning.form().setText("AEdit6", "");
    t.tuning.button1Click();
    EXPECT_EQ(t.texts(), std::vector<std::string>{kInvalid});
    EXPECT_EQ(t.text("Label4"), "148");
    // Unguarded: the general error report ends the calculation.
    t.tuning.form().setText("AEdit6", "100");
    t.tuning.form().setText("AEdit1", "7O");
    t.messages.clear();
    t.tuning.form().setText("AEdit3", "4913.615");
    t.tuning.button1Click();
    EXPECT_EQ(t.texts(), std::vector<std::string>{"'7O' is not a valid floating point value."});
    EXPECT_EQ(t.text("Label6"), "-200  ");
    t.messages.clear();
    t.tuning.aEdit1Exit();
    EXPECT_EQ(t.messages.shown().size(), 1u);
}

TEST(tuning_form_test, OpeningCopiesFromTheMainWindow) {
    Fixture t;
    t.main.setText("AEdit1", "70");
    t.main.setText("AEdit2", "4913.565");
    t.main.setText("AEdit3", "5");
    t.main.setText("Label33", "100.0 ");
    t.main.setText("Label34", "----   "); // no Ck23 with 3 poles
    t.main.setItemIndex("RadioGroup1", 0);
    t.mainState.Poles = 3;
    t.tuning.form().setText("AEdit4", "150"); // kept from an earlier opening
    t.tuning.formActivate();
    EXPECT_EQ(t.calculations, 1);
    EXPECT_EQ(t.text("AEdit6"), "100.0 ");
    EXPECT_EQ(t.text("AEdit7"), "100.0 ");
    EXPECT_EQ(t.text("AEdit3"), "4913.365");
    EXPECT_EQ(t.text("Label4"), "86.2");
    EXPECT_TRUE(t.messages.shown().empty());
    const auto focus = t.tuning.form().takeFocusRequests();
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus.back().control, "AEdit3");

    // An unreadable nominal frequency ends the opening at the reset of AEdit3.
    t.main.setText("AEdit2", "");
    t.main.setItemIndex("RadioGroup1", 1);
    t.tuning.formActivate();
    EXPECT_EQ(t.text("Panel2"), " mH");
    EXPECT_EQ(t.messages.shown().back().message.text, "'' is not a valid floating point value.");
}

} // namespace
