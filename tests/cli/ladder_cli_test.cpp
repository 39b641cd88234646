#include "cli/cli_run.h"
#include "measurement/touchstone_reader.h"
#include "support/crystal_sweeps.h"

#include <gtest/gtest.h>

#include <fstream>

namespace korvan::test {
namespace {

// A builder's path: sweeps measured on a VNA, fitted by xtalfit into a CSV,
// the ladder designed from it with its build sheet and Touchstone file.
TEST(ladder_cli_test, fromSweepsThroughXtalfitToABuildSheet) {
    TempDir dir;
    const double offsetsHz[] = {0, 40, 75, 110, 150, 190, 230, 260, 300, 20};
    std::filesystem::create_directories(dir.path() / "sweeps");
    for (int i = 0; i < 10; ++i) {
        CrystalSweep s;
        s.fsHz = 8e6 + offsetsHz[i];
        s.lmH = 0.015;
        s.cpF = 5e-12;
        s.rmOhm = 10 + i;
        s.withParallelResonance = true;
        s.points = 1601;
        s.seed = static_cast<unsigned>(i + 3);
        s.write(dir.path() / "sweeps" / ("x" + std::to_string(i) + ".s2p"));
    }
    const CliRun fit = runCli(dir.path(), {"xtalfit", "--csv", "sweeps"});
    ASSERT_EQ(fit.exitCode, 0) << fit.err;
    std::ofstream(dir.path() / "crystals.csv") << fit.out;

    const CliRun run = runCli(dir.path(), {"ladder", "--crystals", "crystals.csv", "--family",
                                           "chebyshev", "--ripple", "0.2", "--poles", "8", "--bw",
                                           "2.4", "--json", "--build-sheet", "sheet.pdf",
                                           "--build-sheet", "sheet.csv", "--touchstone", "l.s2p"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto j = run.json();
    EXPECT_EQ(j["compensate"], "bandwidth");
    EXPECT_EQ(j["family"], "chebyshev");
    ASSERT_EQ(j["positions"].size(), 8u);
    ASSERT_EQ(j["Ck_F"].size(), 7u);
    EXPECT_EQ(j["placement"]["unused"].size(), 2u);
    int withoutCs = 0;
    for (const auto& p : j["positions"]) {
        for (const char* key : {"crystal", "fs_Hz", "Lm_H", "Cm_F", "Rm_Ohm", "Cp_F", "Cs_F",
                                "mesh_Hz", "mesh_offset_Hz"})
            EXPECT_TRUE(p.contains(key)) << key;
        withoutCs += p["Cs_F"].is_null();
    }
    EXPECT_GE(withoutCs, 1);
    // The lossy ladder as built keeps the 3 dB bandwidth asked.
    EXPECT_NEAR(j["exact"]["bandwidths_Hz"]["3"].get<double>(), 2400, 24);
    for (const char* key :
         {"IL_dB", "allowance_dB", "ripple_dB", "bandwidths_Hz", "edges_Hz", "group_delay_peak_s"})
        EXPECT_TRUE(j["exact"].contains(key)) << key;
    EXPECT_TRUE(j["matching"]["source"]["needed"].get<bool>());

    EXPECT_EQ(fileText(dir.path() / "sheet.pdf").substr(0, 5), "%PDF-");
    EXPECT_NE(fileText(dir.path() / "sheet.csv").find("position,crystal,fs_Hz"), std::string::npos);
    const std::string s2p = fileText(dir.path() / "l.s2p");
    const double source = j["source_Ohm"], load = j["load_Ohm"];
    if (source != load) {
        EXPECT_NE(s2p.find("[Reference] "), std::string::npos);
    }
    const auto data = measurement::parseTouchstone(s2p, 2);
    EXPECT_NEAR(data.referenceOhm, source, 1e-9 * source);
    EXPECT_EQ(data.frequencyHz.size(), 1001u);
}

TEST(ladder_cli_test, badInputWritesNothing) {
    TempDir dir;
    std::ofstream(dir.path() / "empty.csv") << "";
    std::ofstream(dir.path() / "two.csv")
        << "file,fs_Hz,Lm_H,Rm_Ohm,Cp_F\na,8000000,0.015,10,5e-12\nb,8000050,0.015,10,5e-12\n";
    std::filesystem::create_directories(dir.path() / "sheet.pdf");
    const auto with = [](std::vector<std::string> extra, std::string bw = "2.4") {
        std::vector<std::string> args = {"ladder", "--poles",       "6",      "--bw",
                                         bw,       "--build-sheet", "out.csv"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {with({"--family", "elliptic"}), 2, "unknown response family 'elliptic'"},
        {with({"--family", "chebyshev", "--crystals", "empty.csv"}), 1, "holds no crystal"},
        {with({"--family", "chebyshev", "--crystals", "two.csv"}), 1, "fewer than the 6 poles"},
        {with({"--family", "chebyshev", "--crystals", "missing.csv"}), 1, "cannot be found"},
        {with({"--family", "chebyshev", "--lm", "-5"}), 2, "Lm must be above 0"},
        {with({"--family", "chebyshev", "--fs", "8000", "--lm", "15"}, "60"), 1,
         "wider than these crystals allow"},
        {with({"--family", "chebyshev", "--ripple", "0.0001"}), 2, "0.001 to 3 dB"},
        {with({"--family", "bessel", "--ripple", "0.1"}), 2, "only chebyshev takes one"},
        {with({"--family", "chebyshev", "--fs", "8000", "--lm", "15.5", "--rm", "60",
               "--compensate", "predistort"},
              "1.2"),
         1, "qo must exceed"},
        {with({"--family", "chebyshev", "--reference", "9"}), 2, "positions 1..6"},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(dir.path(), c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.message << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out.csv"));
    // A folder where the sheet should go: a fault, reported.
    const CliRun run = runCli(dir.path(), {"ladder", "--family", "butterworth", "--poles", "4",
                                           "--bw", "2", "--build-sheet", "sheet.pdf"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("sheet.pdf"), std::string::npos);
}

} // namespace
} // namespace korvan::test
