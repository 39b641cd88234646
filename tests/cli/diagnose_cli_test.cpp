#include "app/main_form.h"
#include "cli/cli_run.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "support/built_ladder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace korvan::test {
namespace {

using nlohmann::json;

// The 8-pole design of `korvan-cli --poles 8 --bw 2.4`, its JSON in the
// folder, and the filter built from it (Ck45 4 % high, mesh 3 85 Hz low)
// measured through 470 Ohm pads.
struct Bench {
    TempDir dir;
    json design;

    Bench() {
        const auto run = runCli(dir.path(), {"--poles", "8", "--bw", "2.4", "--json"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        design = run.json();
        std::ofstream(dir.path() / "ladder.json") << run.out;

        ScriptedMessages messages;
        RecordingClipboard clipboard;
        MainForm form(messages, clipboard, dir.path(), '.');
        form.setExportEnabled(false);
        form.form().setText("AEdit6", "8");
        form.form().setText("AEdit4", "2.4");
        form.calculateAll();
        analysis::LadderModel truth = analysis::ladderFromDesign(form.state(), 20);
        truth.couplingF[3] *= 1.04;
        for (auto& x : truth.arms[2].crystals) x.cmF *= 1 + 2 * 85 / form.state().fm;
        std::vector<double> f;
        for (int k = 0; k < 1601; ++k) f.push_back(form.state().fm - 5000 + 6.25 * k);
        std::ofstream(dir.path() / "built.s2p")
            << touchstoneText(measureBuilt(truth, 520, 520, 470, f, {}));
    }

    // The same ladder from the ladder designer: a crystal per position.
    void writeDesignerLadder(const std::string& name) const {
        const auto run =
            runCli(dir.path(), {"ladder", "--family", "chebyshev", "--ripple", "1", "--poles", "8",
                                "--bw", "2.4", "--rm", "20", "--compensate", "none", "--json"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::ofstream(dir.path() / name) << run.out;
    }
};

TEST(diagnose_cli_test, a_built_filter_through_pads_from_either_ladder_json) {
    Bench bench;
    bench.writeDesignerLadder("designer.json");
    const auto main = runCli(bench.dir.path(), {"diagnose", "--measured", "built.s2p", "--ladder",
                                                "ladder.json", "--pad", "470", "--json"});
    ASSERT_EQ(main.exitCode, 0) << main.err;
    const json got = main.json();
    EXPECT_TRUE(got["converged"].get<bool>());
    for (const char* key : {"source_Ohm", "load_Ohm", "source_pF", "load_pF", "Ck_F", "Cs_F",
                            "mesh_error_Hz", "shift_Hz"}) {
        EXPECT_TRUE(got["fitted"].contains(key)) << key;
        EXPECT_TRUE(got["uncertainty"].contains(key)) << key;
    }
    EXPECT_NEAR(got["fitted"]["source_Ohm"].get<double>(), 520, 0.03 * 520);
    EXPECT_NEAR(got["fitted"]["mesh_error_Hz"][2].get<double>(), -85, 10);
    EXPECT_TRUE(got["fitted"]["Cs_F"][1].is_null()); // mesh 2 has none
    EXPECT_NEAR(got["fitted"]["Ck_F"][3].get<double>() /
                    bench.design["design"]["ladder"]["Ck_F"][3].get<double>(),
                1.04, 0.03);
    EXPECT_NE(got["suggestions"].dump().find("Mesh 3 resonates"), std::string::npos);
    EXPECT_LT(got["residual_dB"].get<double>(), 0.1);
    for (const char* figures : {"exact_measured", "exact_design"})
        for (const char* key : {"IL_dB", "ripple_dB"})
            EXPECT_TRUE(got[figures][key].is_number()) << figures << " " << key;

    // The ladder designer's ladder of the same crystals gives the same fit.
    const auto designer =
        runCli(bench.dir.path(), {"diagnose", "--measured", "built.s2p", "--ladder",
                                  "designer.json", "--pad", "470", "--json"});
    ASSERT_EQ(designer.exitCode, 0) << designer.err;
    EXPECT_NEAR(designer.json()["fitted"]["mesh_error_Hz"][2].get<double>(),
                got["fitted"]["mesh_error_Hz"][2].get<double>(), 1);
    EXPECT_EQ(designer.json()["ladder"]["kind"], "ladder designer");

    const auto text = runCli(bench.dir.path(), {"diagnose", "--measured", "built.s2p", "--ladder",
                                                "ladder.json", "--pad", "470"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Suggestions, largest effect first:\n  1. "), std::string::npos);
    EXPECT_FALSE(std::regex_search(text.out, std::regex(R"(\b(nan|inf)\b)", std::regex::icase)));
}

TEST(diagnose_cli_test, bad_input_is_refused_with_a_reason) {
    Bench bench;
    const auto dir = bench.dir.path();
    std::ofstream(dir / "garbage.json") << "{ not json";
    std::ofstream(dir / "one.s1p") << "# Hz S RI R 50\n1 0.5 0\n2 0.5 0\n";
    std::filesystem::copy_file(dir / "built.s2p", dir / "three.s3p");
    const auto six = runCli(dir, {"--poles", "6", "--bw", "2.4", "--json"});
    std::ofstream(dir / "six.json") << six.out;
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"--measured", "one.s1p", "--ladder", "ladder.json"}, 1, "two-port"},
        {{"--measured", "three.s3p", "--ladder", "ladder.json"}, 1, "a 3-port file"},
        {{"--measured", "built.s2p", "--ladder", "garbage.json"}, 1, "is not JSON"},
        {{"--measured", "built.s2p", "--ladder", "six.json", "--pad", "470"},
         1,
         "about 8 poles; the ladder has 6"},
        {{"--measured", "built.s2p", "--ladder", "ladder.json", "--pad", "-1"},
         2,
         "between 0 and 100 kOhm"},
        {{"--measured", "built.s2p", "--ladder", "ladder.json", "--pad", "100001"},
         2,
         "between 0 and 100 kOhm"},
        {{"--measured", "built.s2p", "--ladder", "ladder.json", "--pad", "470", "--transformer",
          "2"},
         2,
         "more than one fixture"},
        {{"--measured", "nothere.s2p", "--ladder", "ladder.json"}, 1, "nothere.s2p"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"diagnose"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto run = runCli(dir, args);
        SCOPED_TRACE(c.message);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

} // namespace
} // namespace korvan::test
