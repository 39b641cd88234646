// korvan-cli tuning, lcmatch and cs2cp: the calculators' texts, messages and
// exit codes, and the values they copy from the main design.

#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using korvan::test::runCli;
using korvan::test::TempDir;

// The reference crystal of the tuning calculator.
const std::vector<std::string> kCrystal = {"tuning",   "--lm",   "70",  "--fs",
                                           "4913.565", "--cp",   "5",   "--ck12",
                                           "100",      "--ck23", "100", "--decimal-separator",
                                           "."};

struct CliCase {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::map<std::string, std::string> texts; // field or label -> exact text
    std::vector<std::string> titles;          // of the boxes, in order
};

std::vector<std::string> with(std::vector<std::string> base, std::vector<std::string> more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

class CopyingToolsCli : public testing::TestWithParam<CliCase> {};

TEST_P(CopyingToolsCli, PrintsTheWindowsTexts) {
    const CliCase& c = GetParam();
    TempDir dir;
    auto args = c.args;
    args.push_back("--json");
    const auto run = runCli(dir.path(), args);
    ASSERT_EQ(run.exitCode, c.exitCode) << run.err;
    const auto out = run.json();
    for (const auto& [control, text] : c.texts) {
        const auto& group = control.rfind("AEdit", 0) == 0 ? out["fields"] : out["labels"];
        EXPECT_EQ(group.value(control, std::string("(missing)")), text) << control;
    }
    std::vector<std::string> titles;
    for (const auto& box : out["messages"]) titles.push_back(box["title"]);
    EXPECT_EQ(titles, c.titles) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    copying_tools_cli_test, CopyingToolsCli,
    testing::Values(
        CliCase{"tuning_opening",
                kCrystal,
                0,
                {{"AEdit3", "4913.365"},
                 {"Label2", "14.98818"},
                 {"Label4", "148"},
                 {"Label13", "200  "}},
                {}},
        CliCase{"tuning_offset",
                with(kCrystal, {"--actual", "4913.615", "--offset", "100"}),
                0,
                {{"Label6", "50  "}, {"Label4", "622"}, {"Label13", "50  "}},
                {}},
        CliCase{"tuning_higher",
                with(kCrystal, {"--actual", "4913.6154"}),
                1,
                {{"AEdit4", "51"}, {"Label4", "-----"}, {"Label13", "0  "}},
                {"Error"}},
        CliCase{"tuning_beyond_mesh",
                with(kCrystal, {"--offset", "700"}),
                1,
                {{"Label4", "-----"}},
                {"Error"}},
        // A warning: the capacitor is still shown, so the run counts as done.
        CliCase{"tuning_small",
                with(kCrystal, {"--actual", "4910.565"}),
                0,
                {{"Label4", "5.6"}},
                {"Error"}},
        CliCase{"tuning_none",
                with(kCrystal, {"--actual", "4913.565"}),
                0,
                {{"Label4", "-----"}},
                {"Info"}},
        CliCase{"lcmatch",
                {"lcmatch", "--frequency", "9000", "--r2", "51.2", "--decimal-separator", "."},
                0,
                {{"AEdit2", "50"},
                 {"Label5", "0.14  "},
                 {"Label6", "53.51  "},
                 {"Label7", "2282.98  "},
                 {"Label8", "5.84  "}},
                {}},
        CliCase{"lcmatch_r1_larger",
                {"lcmatch", "--frequency", "9000", "--r1", "100", "--r2", "50",
                 "--decimal-separator", "."},
                1,
                {{"Label5", "0.00  "}},
                {"Error"}},
        CliCase{"cs2cp",
                {"cs2cp", "--frequency", "9000", "--rs", "50", "--cs", "1000",
                 "--decimal-separator", "."},
                0,
                {{"Label1", "111"}, {"Label2", "56.3"}},
                {}},
        CliCase{"cs2cp_zero", {"cs2cp", "--cs", "0", "--decimal-separator", "."}, 1, {}, {"Error"}},
        CliCase{"lcmatch_no_frequency",
                {"lcmatch", "--frequency", "0", "--r2", "450", "--decimal-separator", "."},
                3,
                {},
                {"KORVAN"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Opening copies from the design: its centre frequency, termination and Cs1.
TEST(copying_tools_cli_test, CopiesFromTheDesign) {
    TempDir dir;
    const auto design = runCli(dir.path(), {"--decimal-separator", ".", "--json"}).json();
    const auto lc = runCli(dir.path(), {"lcmatch", "--decimal-separator", ".", "--json"}).json();
    EXPECT_EQ(lc["fields"]["AEdit1"], design["labels"]["Label19"]);
    EXPECT_EQ(lc["fields"]["AEdit3"], design["labels"]["Label20"]);
    const auto cs = runCli(dir.path(), {"cs2cp", "--decimal-separator", ".", "--json"}).json();
    EXPECT_EQ(cs["fields"]["AEdit3"], design["fields"]["AEdit2"]);
    EXPECT_EQ(cs["fields"]["AEdit1"], design["labels"]["Label40"]);
}

TEST(copying_tools_cli_test, UsageErrors) {
    TempDir dir;
    EXPECT_EQ(runCli(dir.path(), {"cs2cp", "--cs", "1e-3"}).exitCode, 2);
    EXPECT_EQ(runCli(dir.path(), {"tuning", "--bogus"}).exitCode, 2);
    // The window's menu command is off for these types.
    EXPECT_EQ(runCli(dir.path(), {"tuning", "--type", "cohn"}).exitCode, 2);
    EXPECT_EQ(runCli(dir.path(), {"cs2cp", "--type", "qer"}).exitCode, 2);
    EXPECT_EQ(runCli(dir.path(), {"cs2cp", "--type", "cohn"}).exitCode, 0);
    const auto help = runCli(dir.path(), {"tuning", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--actual KHZ"), std::string::npos);
}

} // namespace

namespace {

// Three rows, the second refused: three result rows and exit code 1.
TEST(copying_tools_cli_test, CsvBatch) {
    TempDir dir;
    std::ofstream(dir.path() / "rows.csv") << "rs,cs\n300,100\n300,0\n50,1000\n";
    const auto run = runCli(dir.path(), {"cs2cp", "--frequency", "5000", "--csv", "rows.csv",
                                         "--decimal-separator", "."});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "row,rs,cs,cp_pf,rp_ohm,status,message\n"
                       "2,300,100,53.0,638,ok,\n"
                       "3,300,0,,,refused,Error: Inputs must be >Zero\n"
                       "4,50,1000,288,70.3,ok,\n");
}

} // namespace
