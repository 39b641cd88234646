// The synthesis stages inside the main form's calculation, and the faults
// that end it.

#include "design_fixture.h"

#include "app/main_form.h"
#include "model/clipboard.h"
#include "numeric/errors.h"
#include "support/temp_dir.h"
#include "synthesis/termination.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace korvan::testing {
namespace {

struct Form {
    korvan::test::TempDir folder;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm main;

    explicit Form(char sep = '.') : main(messages, clipboard, folder.path(), sep) {
        main.setExportEnabled(false);
        synthesis::fillQerTables(main.state());
    }
    const std::string& text(std::string_view name) const { return main.form().text(name); }
    std::vector<Message> shown() const {
        std::vector<Message> out;
        for (const auto& s : messages.shown()) out.push_back(s.message);
        return out;
    }
};

bool anyNanOrInf(const FormModel& form) {
    for (const auto& [name, c] : form.controls())
        for (const std::string& t : {c.text, c.hint})
            for (const char* bad : {"nan", "NAN", "inf", "INF"})
                if (t.find(bad) != std::string::npos && t != "Bmax= infinite" &&
                    t.find(" infinite") == std::string::npos)
                    return true;
    return false;
}

TEST(synthesis_test, wide_bandwidth_through_the_main_form) {
    for (char sep : {'.', ','}) {
        SCOPED_TRACE(sep);
        Form f(sep);
        f.main.form().setText("AEdit4", "10");
        f.main.calculateAll();
        const std::string n = sep == '.' ? "5.807" : "5,807";
        ASSERT_EQ(f.shown().size(), 1u);
        EXPECT_EQ(f.shown()[0],
                  (Message{"Info",
                           "The selected 3db-bandwidth exceeds the\rmaximum bandwidth of   < " + n +
                               " kHz >.   This\rmax. bandwidth will be inserted into the input "
                               "field\rand used for the following calculations\r",
                           MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok}));
        EXPECT_EQ(f.text("AEdit4"), n);
        EXPECT_EQ(f.text("Label87"), "Bmax=" + n + " kHz");
        EXPECT_EQ(f.main.state().B3db, 5807.0f);
        EXPECT_EQ(digits(f.main.state().fm * 0.001L, 4), "5003.0628");
        EXPECT_EQ(f.text("Label19"), sep == '.' ? "5003.063" : "5003,063");
        EXPECT_EQ(f.text("Label20"), sep == '.' ? "5925.6" : "5925,6");
        EXPECT_EQ(f.main.form().at("Label20").fontColor, colors::red);

        // The rewritten field is the next calculation's input: no message.
        f.messages.clear();
        f.main.calculateAll();
        EXPECT_TRUE(f.shown().empty());
        EXPECT_EQ(f.text("Label20"), sep == '.' ? "5925.6" : "5925,6");
    }
}

TEST(synthesis_test, start_up_fills_the_qer_tables) {
    korvan::test::TempDir folder;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm main(messages, clipboard, folder.path(), '.');
    main.setExportEnabled(false);
    main.startUp();
    main.filterTypeClicked(FilterType::Qer);
    EXPECT_EQ(main.form().text("Label15"), "Type:     QER");
    EXPECT_EQ(main.form().text("Label19"), "4999.598");
    EXPECT_EQ(main.form().text("Label20"), "679.4");
    EXPECT_EQ(main.form().text("Label87"), "Bmax=7.554 kHz");
    main.filterTypeClicked(FilterType::ChebyshevButterworth);
    EXPECT_EQ(main.form().text("Label15"), "Type:   Chebyshev");
    EXPECT_EQ(main.form().text("Label20"), "820.5");
    EXPECT_EQ(main.form().text("Label46"), "850  ");
    for (const auto& s : messages.shown())
        EXPECT_NE(s.message.icon, MsgIcon::Stop) << s.message.text;
}

// Faults end the calculation through the general error report; what was
// shown until then stays, and no label shows nan or inf.
TEST(synthesis_test, faults_end_the_calculation) {
    const std::string tinyFs = "0." + std::string(159, '0') + "1";  // Cm overflows
    const std::string smallFs = "0." + std::string(151, '0') + "1"; // Zterm underflows to 0
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, std::string>> fields;
        int lmCm;
        const char* error;
        std::vector<std::pair<const char*, const char*>> labels;
    };
    const Case cases[] = {
        // Accepted with Yes: the crystal leaves less than the 1 Hz margin.
        {"implausible Cm accepted",
         {{"AEdit1", "0.001"}},
         1,
         fp::kInvalidOperation,
         {{"Label7", "1014022.892 mH"},
          {"Label8", "0.001  fF"},
          {"Label10", "4998.001 kHz"},
          {"Label33", kNoValue},
          {"AEdit4", "3"}}},
        {"overflow of Cm",
         {{"AEdit2", tinyFs}},
         0,
         fp::kOverflow,
         {{"Label7", "62 mH"}, {"Label8", kNoValue}, {"Label9", kNoValue}}},
        {"termination underflows to zero",
         {{"AEdit2", smallFs}},
         0,
         fp::kDivisionByZero,
         {{"Label7", "62 mH"}, {"Label20", "0.0"}, {"Label33", kNoValue}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Form f;
        f.messages.script(MsgAnswer::Yes);
        f.main.form().setItemIndex("RadioGroup1", c.lmCm);
        for (const auto& [name, text] : c.fields) f.main.form().setText(name, text);
        f.main.calculateClicked();
        ASSERT_FALSE(f.shown().empty());
        EXPECT_EQ(f.shown().back(), errorReport(c.error));
        EXPECT_FALSE(f.main.lastCalculationComplete());
        // No limit of zero or below is offered or written into the field.
        for (const auto& m : f.shown()) EXPECT_NE(m.title, "Info") << m.text;
        for (const auto& [name, text] : c.labels) EXPECT_EQ(f.text(name), text) << name;
        EXPECT_FALSE(anyNanOrInf(f.main.form()));
    }
}

TEST(synthesis_test, stage_faults_raise_before_a_label_changes) {
    struct Case {
        const char* name;
        void (*run)(Design&);
        const char* error;
    };
    const Case cases[] = {
        {"ripple beyond 3.0103 dB",
         [](Design& d) {
             d.state.PBripple = 3.1;
             synthesis::calcBasicParms(d.state);
         },
         fp::kInvalidOperation},
        {"bandwidth of zero",
         [](Design& d) {
             d.state.B3db = 0;
             auto ctx = d.context();
             synthesis::couplingCoefficients(ctx);
         },
         fp::kDivisionByZero},
        {"equal-capacitor design wider than its limit",
         [](Design& d) {
             d.state.IsCohn = true;
             d.state.B3db = 7000;
             auto ctx = d.context();
             synthesis::calcCplImp(ctx);
         },
         fp::kInvalidOperation},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Design d;
        applyInputs(d, Inputs{});
        clearAllFields(d.form);
        try {
            const fp::GuardedCalculation calculation;
            auto ctx = d.context();
            synthesis::calcXtalParms(ctx);
            d.form.setText("Label20", "before");
            c.run(d);
            ADD_FAILURE() << "no fault";
        } catch (const FloatingPointError& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
        EXPECT_EQ(d.text(20), "before");
        EXPECT_FALSE(anyNanOrInf(d.form));
    }
}

// Extreme but valid designs compute; the only boxes are the bandwidth notes.
TEST(synthesis_test, extreme_inputs_compute) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> fields;
        const char* label87;
        const char* label20;
    };
    const Case cases[] = {
        {"1 kHz at 30 MHz", {{"AEdit2", "30000"}, {"AEdit4", "1"}}, "Bmax=0.967 kHz", "920.5"},
        {"14 poles, 3 dB", {{"AEdit6", "14"}, {"AEdit5", "3"}}, "Bmax=6.229 kHz", "498.2"},
        {"no holder capacitance", {{"AEdit3", "0"}}, "Bmax= infinite", "530.3"},
        {"100 pF holder", {{"AEdit3", "100"}}, "Bmax=0.232 kHz", "216.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Form f;
        for (const auto& [name, text] : c.fields) f.main.form().setText(name, text);
        EXPECT_NO_THROW(f.main.calculateAll());
        for (const auto& m : f.shown()) EXPECT_EQ(m.icon, MsgIcon::Exclamation) << m.text;
        EXPECT_EQ(f.text("Label87"), c.label87);
        EXPECT_EQ(f.text("Label20"), c.label20);
        EXPECT_NE(f.text("Label33"), kNoValue);
        EXPECT_FALSE(anyNanOrInf(f.main.form()));
    }
}

} // namespace
} // namespace korvan::testing
