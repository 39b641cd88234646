// korvan-cli at the ends of every input: each option of the design, of the
// response outputs and of every subcommand at extreme values. Every run ends
// within 10 s with an exit code of 0 to 3 and prints no nan or inf.

#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sys/stat.h>

namespace {

using korvan::test::runCli;
using korvan::test::TempDir;
using Args = std::vector<std::string>;

const char* const kExtremes[] = {"0", "1e-300", "1e300", "-1", "99999999999", "0.000001"};

struct Group {
    const char* name;
    Args prefix;                      // the subcommand (or none) and fixed options
    std::vector<std::string> options; // each one set to every extreme in turn
    bool alsoJson = true;
};

const Group kGroups[] = {
    {"chebyshev",
     {"--yes", "--type", "chebyshev"},
     {"--lm", "--cm", "--fs", "--cp", "--bw", "--ripple", "--poles", "--span", "--rm"}},
    {"cohn",
     {"--yes", "--type", "cohn"},
     {"--lm", "--cm", "--fs", "--cp", "--bw", "--poles", "--span", "--rm"}},
    {"qer",
     {"--yes", "--type", "qer"},
     {"--lm", "--cm", "--fs", "--cp", "--bw", "--poles", "--span", "--rm"}},
    {"response", {"--yes", "--response-csv", "r.csv"}, {"--start", "--stop", "--ref", "--points"}},
    {"xtal3db",
     {"xtal3db"},
     {"--source", "--load", "--fs", "--bandwidth", "--transmission", "--attenuation", "--rm"}},
    {"g3uur", {"g3uur"}, {"--csw", "--c0", "--c1", "--c2", "--f-open", "--f-closed"}},
    {"tuning",
     {"tuning"},
     {"--actual", "--offset", "--ck12", "--ck23", "--xtal", "--nominal", "--c0", "--fs"}},
    {"lcmatch", {"lcmatch"}, {"--frequency", "--r1", "--r2", "--fs"}},
    {"cs2cp", {"cs2cp"}, {"--frequency", "--rs", "--cs", "--fs"}},
    {"xtalfit", {"xtalfit", "none.s2p"}, {"--r0", "--cp", "--sets"}},
    {"ladder",
     {"ladder", "--family", "chebyshev", "--poles", "8", "--bw", "2.4", "--response-csv", "r.csv"},
     {"--ripple", "--match", "--lm", "--cm", "--fs", "--cp", "--rm", "--start", "--stop", "--ref",
      "--reference"}},
    {"ladder_size", {"ladder", "--family", "butterworth", "--bw", "2.4"}, {"--poles"}},
    {"ladder_bw", {"ladder", "--family", "butterworth", "--poles", "14"}, {"--bw"}},
    {"prototype", {"prototype", "--family", "chebyshev", "--poles", "8"}, {"--ripple", "--qo"}},
    {"prototype_size", {"prototype", "--family", "legendre", "--qo", "30"}, {"--poles"}},
    {"tolerance",
     {"tolerance", "--trials", "200"},
     {"--seed", "--threads", "--fs-sigma", "--fs-range", "--lm-tol", "--rm-tol", "--cp-tol",
      "--cap-tol", "--term-tol", "--limit-ripple", "--limit-bw", "--limit-il", "--limit-shift",
      "--fs", "--bw"}},
};

// "nan", "-inf", "inf" as words; "infinite" (Bmax, Qu) is a word of its own.
bool printsNonFinite(const std::string& text) {
    static const std::regex word("(^|[^A-Za-z])-?(nan|inf)([^A-Za-z]|$)", std::regex::icase);
    return std::regex_search(text, word);
}

void expectSound(const Args& args, const korvan::test::CliRun& run) {
    std::string shown;
    for (const auto& a : args) shown += a + " ";
    EXPECT_GE(run.exitCode, 0) << shown << run.err;
    EXPECT_LE(run.exitCode, 3) << shown << run.err; // 124/137: killed after 10 s
    EXPECT_FALSE(printsNonFinite(run.out)) << shown << run.out;
    EXPECT_FALSE(printsNonFinite(run.err)) << shown << run.err;
}

void PrintTo(const Group& g, std::ostream* out) {
    *out << g.name;
}

class CliAudit : public testing::TestWithParam<Group> {};

TEST_P(CliAudit, ExtremeValuesEndSoundly) {
    const Group& g = GetParam();
    TempDir dir;
    for (const auto& option : g.options)
        for (const char* value : kExtremes)
            for (const bool json : {false, true}) {
                if (json && !g.alsoJson) continue;
                Args args = g.prefix;
                args.insert(args.end(), {option, value, "--decimal-separator", "."});
                if (json) args.push_back("--json");
                expectSound(args, runCli(dir.path(), args, 10));
            }
}

INSTANTIATE_TEST_SUITE_P(AllOptions, CliAudit, testing::ValuesIn(kGroups),
                         [](const auto& info) { return std::string(info.param.name); });

// Response ranges that the analysis cannot take are usage errors, refused
// before anything is written; designs at the largest and smallest
// frequencies the fields take end at once.
TEST(cli_audit_test, ExtremeRangesAndFrequencies) {
    const struct {
        Args args;
        int exitCode;
    } cases[] = {
        {{"--stop", "1e300"}, 2},
        {{"--stop", "1e152"}, 2},
        {{"--ref", "1e-300"}, 2},
        {{"--ref", "1e300"}, 2},
        {{"--start", "1e-300", "--stop", "2e-300"}, 2},
        {{"--start", "4998", "--stop", "4998.0000000001"}, 2},
        {{"--json", "--cm", "7", "--fs", "99999999999", "--poles", "7", "--rm", "3.5"}, 0},
        {{"--fs", "10000000000", "--cp", "4", "--bw", "1000000000000", "--span", "1", "--rm",
          "10000", "--poles", "13", "--type", "cohn", "--cm", "1000000000000"},
         0},
        {{"--fs", "1e305", "--lm", "1e-300"}, -1},
        {{"--fs", "1e-300", "--lm", "1e300"}, -1},
    };
    for (const auto& c : cases) {
        TempDir dir;
        Args args = {"--yes", "--decimal-separator", ".", "--response-csv", "r.csv"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto run = runCli(dir.path(), args, 10);
        expectSound(args, run);
        if (c.exitCode >= 0) {
            EXPECT_EQ(run.exitCode, c.exitCode) << c.args[1] << run.err;
        }
        if (c.exitCode == 2) {
            EXPECT_FALSE(std::filesystem::exists(dir.path() / "r.csv"));
        }
    }
}

// The diagnosis of the default design's own response through fixtures of
// every extreme value.
TEST(cli_audit_test, DiagnoseAtExtremeFixtures) {
    TempDir dir;
    const auto design = runCli(
        dir.path(), {"--yes", "--json", "--decimal-separator", ".", "--touchstone", "m.s2p"}, 10);
    ASSERT_EQ(design.exitCode, 0) << design.err;
    std::ofstream(dir.path() / "ladder.json") << design.out;
    for (const char* option : {"--pad", "--transformer", "--lc-lowpass", "--lc-highpass"})
        for (const std::string value : kExtremes)
            for (const bool json : {false, true}) {
                Args args = {"diagnose",
                             "--measured",
                             "m.s2p",
                             "--ladder",
                             "ladder.json",
                             option,
                             std::string(option).starts_with("--lc") ? value + "," + value : value};
                if (json) args.push_back("--json");
                expectSound(args, runCli(dir.path(), args, 10));
            }
}

// Files that are not plain files: a pipe as /dev/stdout works, a FIFO that
// nobody reads is refused and stays a FIFO; a CSV batch from a device or in
// UTF-16 is refused with its reason.
TEST(cli_audit_test, FilesThatAreNotPlainFiles) {
    TempDir dir;
    auto run = runCli(dir.path(), {"--response-csv", "/dev/stdout", "--points", "3"}, 10);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("f_Hz,S21_dB", 0), 0u) << run.out.substr(0, 200);

    ASSERT_EQ(::mkfifo((dir.path() / "p.csv").c_str(), 0600), 0);
    run = runCli(dir.path(), {"--response-csv", "p.csv"}, 10);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("No program reads from the FIFO"), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::is_fifo(dir.path() / "p.csv"));

    run = runCli(dir.path(), {"xtal3db", "--csv", "/dev/zero"}, 10);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("'/dev/zero' is a character device"), std::string::npos) << run.err;
    run = runCli(dir.path(), {"xtal3db", "--csv", "p.csv"}, 10);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("is a FIFO"), std::string::npos) << run.err;

    const char utf16[] = "\xFF\xFE"
                         "f\0s\0\r\0\n\0"
                         "1\0"
                         "0\0\r\0\n\0";
    std::ofstream(dir.path() / "u.csv", std::ios::binary).write(utf16, sizeof utf16 - 1);
    run = runCli(dir.path(), {"lcmatch", "--csv", "u.csv"}, 10);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("is UTF-16 text"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\0'), std::string::npos);
}

} // namespace
