// The calculation driver: filter type, Lm/Cm choice, handlers and the error report.

#include "app/main_form.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace korvan;

class DriverTest : public ::testing::Test {
  protected:
    DriverTest() : form(messages, clipboard, dir.path(), '.') { form.setExportEnabled(false); }

    test::TempDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form;
};

TEST_F(DriverTest, filter_type_sets_flags_fields_and_menu_states) {
    struct Case {
        FilterType type;
        bool cohn, qer, rippleVisible, tuningEnabled, cs2cpVisible;
    } cases[] = {
        {FilterType::Cohn, true, false, false, false, true},
        {FilterType::Qer, false, true, false, false, false},
        {FilterType::ChebyshevButterworth, false, false, true, true, true},
    };
    for (const auto& c : cases) {
        form.filterTypeClicked(c.type);
        const auto& f = form.form();
        EXPECT_EQ(form.state().IsCohn, c.cohn);
        EXPECT_EQ(form.state().IsQER, c.qer);
        EXPECT_EQ(f.find("AEdit5")->visible, c.rippleVisible);
        EXPECT_EQ(f.find("Label16")->enabled, c.rippleVisible);
        EXPECT_EQ(f.find("XtalTuning1")->enabled, c.tuningEnabled);
        EXPECT_EQ(f.find("Cs2Cp1")->visible, c.cs2cpVisible);
        EXPECT_EQ(form.filterType(), c.type);
        // The hidden ripple field keeps its value.
        EXPECT_EQ(f.text("AEdit5"), "1");
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(DriverTest, lm_cm_choice_changes_only_the_unit_tag) {
    form.lmCmClicked(1);
    EXPECT_EQ(form.form().text("Panel2"), " fF");
    EXPECT_EQ(form.form().text("AEdit1"), "62");
    EXPECT_EQ(form.form().at("RadioGroup1").itemIndex, 1);
    form.lmCmClicked(0);
    EXPECT_EQ(form.form().text("Panel2"), " mH");
}

TEST_F(DriverTest, a_rejected_input_clears_the_results) {
    form.form().setText("AEdit2", "");
    form.calculateClicked();
    EXPECT_TRUE(form.state().StopCalc);
    EXPECT_FALSE(form.lastCalculationComplete());
    for (int i : {7, 8, 9, 10, 21, 26, 33, 51}) {
        EXPECT_EQ(form.form().text(FormModel::label(i)), "----   ");
    }
    EXPECT_EQ(form.form().find("Label40")->fontColor, colors::blue);
}

TEST_F(DriverTest, credit_is_applied_by_every_calculation) {
    form.calculateClicked();
    EXPECT_EQ(form.form().text("Label82"), "qx0zz");
    EXPECT_NE(form.windowCaption().find("KORVAN"), std::string::npos);
    EXPECT_NE(form.windowCaption().find("Vers. 3.0.2.3"), std::string::npos);
    EXPECT_EQ(form.windowCaption().rfind("qx0zz"), form.windowCaption().size() - 5);
}

TEST_F(DriverTest, enter_calculates_then_moves_focus) {
    form.form().takeFocusRequests();
    form.editReturnPressed();
    const auto focus = form.form().takeFocusRequests();
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus.back().move, FocusMove::Next);
    EXPECT_TRUE(form.lastCalculationComplete());
}

TEST_F(DriverTest, trace_check_boxes_do_not_read_the_inputs) {
    form.calculateClicked();
    form.form().setText("AEdit4", "garbage");
    form.traceCheckBoxClicked(1, true);
    form.traceCheckBoxClicked(2, true);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(form.form().at("CheckBox1").checked);
    EXPECT_TRUE(form.form().at("CheckBox2").checked);
}

TEST_F(DriverTest, scale_button_toggles_and_recalculates) {
    EXPECT_TRUE(form.state().Scale10dB);
    form.scaleButtonClicked();
    EXPECT_FALSE(form.state().Scale10dB);
    EXPECT_TRUE(form.form().at("Panel4").visible);
    form.scaleButtonClicked();
    EXPECT_TRUE(form.state().Scale10dB);
    EXPECT_FALSE(form.form().at("Panel4").visible);
}

TEST_F(DriverTest, a_fault_is_reported_once_per_calculation) {
    // Accepted against the plausibility question, the design cannot be built.
    form.lmCmClicked(1);
    form.form().setText("AEdit1", "0.001");
    messages.script(MsgAnswer::Yes);
    form.calculateClicked();
    form.repaint();
    form.repaint();
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[0].message.title, "Confirmation needed");
    EXPECT_EQ(messages.shown()[1].message.icon, MsgIcon::Stop);

    // A loss field that cannot be read faults every repaint; one box shows it.
    messages.clear();
    form.lmCmClicked(0);
    form.form().setText("AEdit1", "62");
    form.calculateClicked();
    ASSERT_TRUE(messages.shown().empty());
    form.form().setText("AEdit8", "abc");
    form.repaint();
    form.repaint();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].message.text, "'abc' is not a valid floating point value.");
}

TEST_F(DriverTest, a_failed_export_still_lists_the_files_it_wrote) {
    form.setExportEnabled(true);
    std::filesystem::create_directories(dir.path() / "GPLA_files");
    std::filesystem::create_directories(dir.path() / "ARD_files" / "T050_p8.ckt");
    form.calculateClicked();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].message.text.rfind("Cannot create file ", 0), 0u);
    ASSERT_EQ(form.exportedFiles().size(), 1u);
    EXPECT_EQ(form.exportedFiles()[0], dir.path() / "GPLA_files" / "Startfile.cir");
}

} // namespace
