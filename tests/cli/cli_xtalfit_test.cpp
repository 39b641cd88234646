#include "cli/cli_run.h"
#include "support/crystal_sweeps.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace korvan::test {
namespace {

// Twelve crystals around 4998 kHz as a builder's batch: four groups of close
// frequencies, so the best sets are known in advance.
void writeBatch(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const double offsetsHz[] = {0, 3, 6, 9, 200, 202, 204, 206, 600, 610, 620, 630};
    for (int i = 0; i < 12; ++i) {
        CrystalSweep s;
        s.fsHz = 4.998e6 + offsetsHz[i];
        s.lmH = 0.062 + 0.0005 * (i % 3);
        s.rmOhm = 15 + i;
        s.points = 401;
        s.seed = static_cast<unsigned>(i + 1);
        s.write(folder / ("x" + std::to_string(10 + i) + ".s2p"));
    }
}

TEST(cli_xtalfit_test, batchGivesSetsAndASettingsFileTheDesignTakes) {
    TempDir dir;
    writeBatch(dir.path() / "batch");
    const auto run = runCli(dir.path(), {"xtalfit", "batch", "--sets", "4", "--json",
                                         "--write-config", "cfg", "--decimal-separator", "."});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = run.json();
    ASSERT_EQ(json["crystals"].size(), 12u);
    double previous = 0;
    for (const auto& c : json["crystals"]) {
        EXPECT_GT(c["fs_Hz"].get<double>(), previous);
        previous = c["fs_Hz"].get<double>();
        EXPECT_TRUE(c["estimate"].contains("Lm_H"));
        EXPECT_LE(c["misfit"].get<double>(), c["estimate"]["misfit"].get<double>());
        EXPECT_EQ(c["S11"], "used");
        EXPECT_NEAR(c["noise"]["S21"]["relative"].get<double>(), 0.003, 0.0015);
    }
    ASSERT_EQ(json["sets"].size(), 3u);
    // The 200 Hz group (spread 6 Hz) first, then 0..9 Hz, then 600..630 Hz.
    const std::set<std::string> best(json["sets"][0]["members"].begin(),
                                     json["sets"][0]["members"].end());
    EXPECT_EQ(best, (std::set<std::string>{"batch/x14.s2p", "batch/x15.s2p", "batch/x16.s2p",
                                           "batch/x17.s2p"}));
    EXPECT_NEAR(json["sets"][0]["spread_Hz"].get<double>(), 6, 0.5);
    EXPECT_NEAR(json["sets"][1]["spread_Hz"].get<double>(), 9, 0.5);
    EXPECT_TRUE(json["errors"].empty());

    // CSV: the same crystals, each with its set number before the (empty) warnings.
    const auto csv = runCli(dir.path(), {"xtalfit", "batch", "--sets", "4", "--csv"});
    std::istringstream rows(csv.out);
    std::string row;
    std::getline(rows, row);
    EXPECT_EQ(row, "file,fs_Hz,fp_Hz,Lm_H,Cm_F,Rm_Ohm,Cp_F,Qu,residual_dB,set,warnings");
    int inSets = 0;
    while (std::getline(rows, row))
        inSets += row.size() > 2 && row.substr(row.size() - 2, 1) != ",";
    EXPECT_EQ(inSets, 12) << csv.out;

    const std::string cfg = fileText(dir.path() / "cfg");
    EXPECT_EQ(cfg.rfind("1\r\n0\r\n62.", 0), 0u) << cfg;
    EXPECT_NE(cfg.find("\r\n4998.20"), std::string::npos) << cfg;
    // The set's size is the pole count.
    EXPECT_NE(cfg.find("\r\n3\r\n1\r\n4\r\n10\r\n"), std::string::npos) << cfg;

    const auto design = runCli(dir.path(), {"--config", "cfg", "--decimal-separator", "."});
    EXPECT_EQ(design.exitCode, 0) << design.err;
    EXPECT_EQ(design.err, "");
}

// Sets of five from the same batch: the best one takes a crystal 190 Hz from
// the rest, the next spans 610 Hz of crystals that allow about 5.9 kHz; both
// are said. A settings file takes the set's size as the pole count, and a
// size that is no pole count is refused before anything is read.
TEST(cli_xtalfit_test, setsSayWhenTheyWillNotMakeAFilter) {
    TempDir dir;
    writeBatch(dir.path() / "batch");
    const auto run = runCli(dir.path(), {"xtalfit", "batch", "--sets", "5", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto sets = run.json()["sets"];
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0]["outliers"], nlohmann::json::array({"batch/x13.s2p"}));
    // Cohn, five poles: S = 2^(1/5) / 2, Bmax = (2S - sqrt(4S^2 - 1)) D = 0.58345 D,
    // D = fp - fs about 10130 Hz.
    EXPECT_NEAR(sets[0]["reference_bandwidth_Hz"].get<double>(), 0.58345 * 10130, 60);
    ASSERT_EQ(sets[0]["warnings"].size(), 1u);
    EXPECT_EQ(sets[1]["outliers"].size(), 2u);
    EXPECT_NE(sets[1]["warnings"][0].get<std::string>().find("more than a tenth"),
              std::string::npos);

    const auto asked = runCli(dir.path(), {"xtalfit", "batch", "--sets", "4", "--bw", "0.2",
                                           "--write-config", "cfg", "--decimal-separator", "."});
    EXPECT_EQ(asked.exitCode, 0) << asked.err;
    EXPECT_NE(asked.out.find(" Hz is more than a tenth of the 200.0 Hz asked"), std::string::npos)
        << asked.out;
    const std::string cfg = fileText(dir.path() / "cfg");
    EXPECT_NE(cfg.find("\r\n0.200\r\n1\r\n4\r\n10\r\n"), std::string::npos) << cfg;

    for (const char* size : {"1", "15"}) {
        const auto refused =
            runCli(dir.path(), {"xtalfit", "batch", "--sets", size, "--write-config", "c2"});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_NE(refused.err.find("2 to 14"), std::string::npos) << refused.err;
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "c2"));
    }
    const auto help = runCli(dir.path(), {"xtalfit", "--help"});
    EXPECT_NE(help.out.find("disjoint"), std::string::npos);
    EXPECT_NE(help.out.find("best first"), std::string::npos);
}

TEST(cli_xtalfit_test, badFilesAreReportedByNameAndTheBatchGoesOn) {
    TempDir dir;
    CrystalSweep good;
    good.write(dir.path() / "good.s2p");
    std::ofstream(dir.path() / "empty.s2p");
    std::ofstream(dir.path() / "one.s1p") << "# MHz S DB R 50\n1 0 0\n2 0 0\n";
    std::ofstream(dir.path() / "bad.s2p")
        << "# MHz S DB R 50\n1 0 0 0 0 0 0 0 0\n2 0 x 0 0 0 0 0 0\n";
    std::ofstream(dir.path() / "flat.s2p") << [] {
        std::string t = "# MHz S DB R 50\n";
        for (int i = 1; i <= 20; ++i) t += std::to_string(i) + " 0 0 -1 0 -1 0 0 0\n";
        return t;
    }();
    // A sparse file: its size is refused before anything is read.
    std::ofstream(dir.path() / "huge.s2p");
    std::filesystem::resize_file(dir.path() / "huge.s2p", 65u << 20);
    // A settings file that cannot be written must not be reported as written.
    std::filesystem::create_directory(dir.path() / "cfg");
    const auto run =
        runCli(dir.path(), {"xtalfit", "empty.s2p", "good.s2p", "one.s1p", "bad.s2p", "flat.s2p",
                            "missing.s2p", "huge.s2p", "--json", "--write-config", "cfg"});
    EXPECT_EQ(run.exitCode, 1);
    const auto json = run.json();
    EXPECT_EQ(json["crystals"].size(), 1u);
    ASSERT_EQ(json["errors"].size(), 6u);
    const std::pair<const char*, const char*> expected[] = {{"empty.s2p", "no data points"},
                                                            {"one.s1p", "two-port"},
                                                            {"bad.s2p", "line 3"},
                                                            {"flat.s2p", "no resonance"},
                                                            {"missing.s2p", "cannot be read"},
                                                            {"huge.s2p", "larger than"}};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(json["errors"][i]["file"], expected[i].first);
        EXPECT_NE(json["errors"][i]["message"].get<std::string>().find(expected[i].second),
                  std::string::npos)
            << json["errors"][i]["message"];
        EXPECT_NE(run.err.find(expected[i].first), std::string::npos);
    }
    EXPECT_NE(run.err.find("cfg: File access denied"), std::string::npos) << run.err;
}

} // namespace
} // namespace korvan::test
