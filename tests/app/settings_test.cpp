// The settings file: ten CR LF lines, loaded at start, saved on closing.

#include "app/main_form.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

using namespace korvan;

constexpr const char* kNoConfig =
    "       No configuration file found.\rParameter fields are set to default values\r";

std::string readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

class SettingsTest : public ::testing::Test {
  protected:
    std::filesystem::path cfg() const { return dir.path() / "Korvan3.cfg"; }
    std::unique_ptr<MainForm> start(ScriptedMessages& messages, char sep = '.') {
        auto f = std::make_unique<MainForm>(messages, clipboard, dir.path(), sep);
        f->setExportEnabled(false);
        f->startUp();
        return f;
    }

    test::TempDir dir;
    RecordingClipboard clipboard;
};

TEST_F(SettingsTest, first_start_without_a_file_reports_once_and_keeps_defaults) {
    ScriptedMessages messages;
    auto f = start(messages);
    ASSERT_EQ(messages.shown().size(), 1u);
    const auto& m = messages.shown()[0].message;
    EXPECT_EQ(m.title, "Info");
    EXPECT_EQ(m.text, kNoConfig);
    EXPECT_EQ(m.icon, MsgIcon::Information);
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(f->form().text("AEdit1"), "62");
    EXPECT_EQ(f->form().text("Label15"), "Type:   Chebyshev");
    EXPECT_EQ(f->form().text("Label16"), "PB-Ripple: 1db");
    EXPECT_TRUE(f->lastCalculationComplete());
}

TEST_F(SettingsTest, saved_defaults_are_ten_crlf_lines) {
    ScriptedMessages messages;
    MainForm f(messages, clipboard, dir.path(), '.');
    f.saveSettings();
    EXPECT_EQ(readBytes(cfg()), "1\r\n0\r\n62\r\n4998\r\n4\r\n3\r\n1\r\n8\r\n10\r\n20\r\n");
    // Nothing else is left in the folder (no temporary file).
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(SettingsTest, cohn_with_cm_survives_a_restart) {
    {
        ScriptedMessages messages;
        auto f = start(messages, ',');
        f->lmCmClicked(1);
        f->form().setText("AEdit1", "16,355");
        f->form().setText("AEdit4", "2,4");
        f->form().setText("AEdit8", "");
        f->filterTypeClicked(FilterType::Cohn);
        messages.script(MsgAnswer::Yes);
        EXPECT_TRUE(f->closeRequested());
    }
    EXPECT_EQ(readBytes(cfg()), "2\r\n1\r\n16,355\r\n4998\r\n4\r\n2,4\r\n1\r\n8\r\n10\r\n0\r\n");
    ScriptedMessages messages;
    auto f = start(messages, ',');
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(f->form().at("RadioButton2").checked);
    EXPECT_FALSE(f->form().at("RadioButton1").checked);
    EXPECT_TRUE(f->state().IsCohn);
    EXPECT_FALSE(f->form().at("AEdit5").visible);
    EXPECT_EQ(f->form().at("RadioGroup1").itemIndex, 1);
    EXPECT_EQ(f->form().text("Panel2"), " fF");
    EXPECT_EQ(f->form().text("AEdit1"), "16,355");
    EXPECT_EQ(f->form().text("AEdit4"), "2,4");
}

TEST_F(SettingsTest, damaged_files_load_what_they_can) {
    struct Case {
        const char* name;
        std::string bytes;
        bool message;
        std::string aedit1;
        std::string aedit8;
        bool chebyshev;
    } cases[] = {
        {"type 4 is ignored", "4\r\n0\r\n70\r\n4998\r\n4\r\n3\r\n1\r\n8\r\n10\r\n30\r\n", false,
         "70", "30", true},
        {"LF only", "3\n0\n70\n4998\n4\n3\n1\n8\n10\n30\n", false, "70", "30", false},
        {"short file", "1\r\n0\r\n70\r\n", false, "70", "", true},
        {"line 2 missing", "2\r\n", true, "62", "20", false},
        {"line 2 not an integer", "1\r\n0.5\r\n70\r\n", true, "62", "20", true},
        {"empty file", "", true, "62", "20", true},
        {"more than ten lines", "1\r\n5\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n",
         false, "1", "8", true},
        {"binary bytes", std::string("1\r\n0\r\n\x01\xff\x00z\r\n", 12), false,
         std::string("\x01\xff\x00z", 4), "", true},
        // A line far beyond any field is refused like an unreadable file:
        // what was loaded before it stays.
        {"over-long line", "1\r\n0\r\n" + std::string(100000, '9') + "\r\n", true, "62", "20",
         true},
        {"over-long later line", "2\r\n0\r\n70\r\n" + std::string(5000, '1') + "\r\n", true, "70",
         "20", false},
        {"long line within the limit", "1\r\n0\r\n" + std::string(4000, '7') + "\r\n", false,
         std::string(4000, '7'), "", true},
    };
    for (const auto& c : cases) {
        writeBytes(cfg(), c.bytes);
        ScriptedMessages messages;
        std::unique_ptr<MainForm> f;
        ASSERT_NO_THROW(f = start(messages)) << c.name;
        bool sawNoConfig = false;
        for (const auto& s : messages.shown()) sawNoConfig |= s.message.text == kNoConfig;
        EXPECT_EQ(sawNoConfig, c.message) << c.name;
        EXPECT_EQ(f->form().text("AEdit1"), c.aedit1) << c.name;
        EXPECT_EQ(f->form().text("AEdit8"), c.aedit8) << c.name;
        EXPECT_EQ(f->form().at("RadioButton1").checked, c.chebyshev) << c.name;
    }
}

TEST_F(SettingsTest, item_above_one_selects_cm_and_negative_selects_none) {
    for (const auto& [line, item] : {std::pair{"7", 1}, std::pair{"-3", -1}, std::pair{"0", 0}}) {
        writeBytes(cfg(), std::string("1\r\n") + line +
                              "\r\n62\r\n4998\r\n4\r\n3\r\n1\r\n8\r\n10\r\n20\r\n");
        ScriptedMessages messages;
        auto f = start(messages);
        EXPECT_EQ(f->form().at("RadioGroup1").itemIndex, item) << line;
    }
}

TEST_F(SettingsTest, short_file_stops_the_next_calculation) {
    writeBytes(cfg(), "1\r\n0\r\n62\r\n4998\r\n");
    ScriptedMessages messages;
    auto f = start(messages);
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.shown().back().message.text, "Invalid or missing input value(s)");
    EXPECT_TRUE(f->state().StopCalc);
}

TEST_F(SettingsTest, close_prompt_answers) {
    struct Case {
        MsgAnswer answer;
        bool closes;
        bool saved;
    } cases[] = {{MsgAnswer::Yes, true, true},
                 {MsgAnswer::No, true, false},
                 {MsgAnswer::Cancel, false, false}};
    for (const auto& c : cases) {
        std::filesystem::remove(cfg());
        ScriptedMessages messages;
        messages.script(c.answer);
        MainForm f(messages, clipboard, dir.path(), '.');
        EXPECT_EQ(f.closeRequested(), c.closes);
        EXPECT_EQ(std::filesystem::exists(cfg()), c.saved);
        ASSERT_EQ(messages.shown().size(), 1u);
        const auto& m = messages.shown()[0].message;
        EXPECT_EQ(m.title, "Exit Program");
        EXPECT_EQ(m.text, "      Do you wish to save the current settings?\r(Any existing "
                          "configuration file will be overwritten)\r");
        EXPECT_EQ(m.buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(m.icon, MsgIcon::Question);
        EXPECT_EQ(m.defaultAnswer, MsgAnswer::Cancel);
    }
}

TEST_F(SettingsTest, a_save_error_abandons_the_close) {
    std::filesystem::create_directory(cfg()); // a folder where the file should go
    ScriptedMessages messages;
    messages.script(MsgAnswer::Yes);
    MainForm f(messages, clipboard, dir.path(), '.');
    EXPECT_FALSE(f.closeRequested());
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[1].message.text, "File access denied.");
    EXPECT_EQ(messages.shown()[1].message.icon, MsgIcon::Stop);
    EXPECT_TRUE(std::filesystem::is_directory(cfg()));
}

TEST_F(SettingsTest, save_into_a_missing_folder_reports_and_writes_nothing) {
    ScriptedMessages messages;
    messages.script(MsgAnswer::Yes);
    MainForm f(messages, clipboard, dir.path() / "missing-folder", '.');
    EXPECT_FALSE(f.closeRequested());
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[1].message.text, "Path not found.");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing-folder"));
}

} // namespace
