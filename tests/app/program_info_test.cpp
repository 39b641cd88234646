// --help and --version of the window program, answered without Qt.

#include "app/main_form.h"
#include "app/program_info.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace korvan;

TEST(program_info_test, version_is_the_one_the_caption_shows) {
    EXPECT_EQ(versionLine("korvan-cli"), std::string("korvan-cli ") + versionNumber());
    EXPECT_NE(std::string(kWindowCaption).find(std::string("Vers. ") + versionNumber() + " "),
              std::string::npos);
}

TEST(program_info_test, help_and_version_are_answered_other_arguments_go_to_qt) {
    struct Case {
        std::vector<const char*> args;
        std::optional<int> code;
        std::string printed; // its start
    } cases[] = {
        {{"korvan", "--version"}, 0, "korvan " + std::string(versionNumber()) + "\n"},
        {{"korvan", "-platform", "xcb", "--help"}, 0, "korvan " + std::string(versionNumber())},
        {{"korvan", "-h"}, 0, "korvan "},
        {{"korvan"}, std::nullopt, ""},
        {{"korvan", "-platform", "offscreen", "-style", "fusion"}, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        const auto code = answerInfoOption(static_cast<int>(c.args.size()), c.args.data(), out);
        EXPECT_EQ(code, c.code) << c.args.back();
        EXPECT_EQ(out.str().substr(0, c.printed.size()), c.printed) << c.args.back();
        if (!c.code) {
            EXPECT_TRUE(out.str().empty());
        }
    }
    std::ostringstream help;
    const char* args[] = {"korvan", "--help"};
    answerInfoOption(2, args, help);
    for (const char* text : {"--version", "korvan-cli", "DISPLAY", "Korvan3.cfg"})
        EXPECT_NE(help.str().find(text), std::string::npos) << text;
}

} // namespace
