// korvan-cli's response outputs: Touchstone, CSV, the JSON response and the
// exact figures, and the bad input that must leave no file behind.

#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <sstream>

namespace {

using korvan::test::CliRun;
using korvan::test::fileText;
using korvan::test::filesBelow;
using korvan::test::runCli;
using korvan::test::TempDir;
using nlohmann::json;
namespace fs = std::filesystem;

TEST(cli_response_test, bad_input_writes_nothing) {
    const struct {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{"--points", "0"}, 2},
        {{"--points", "1"}, 2},
        {{"--points", "100002"}, 2},
        {{"--start", "5000", "--stop", "4995"}, 2},
        {{"--start", "5000", "--stop", "5000"}, 2},
        {{"--start", "-1"}, 2},
        {{"--stop", "0"}, 2},
        {{"--start", "5010"}, 2}, // above the default stop
        {{"--ref", "0"}, 2},
        {{"--format", "xy"}, 2},
        {{"--response"}, 2},       // without --json
        {{"--bw", "0"}, 1},        // a rejected design exports nothing
        {{"--fs", ""}, 1},
    };
    for (const auto& c : cases) {
        TempDir dir;
        auto args = c.args;
        for (const char* a : {"--touchstone", "r.s2p", "--response-csv", "r.csv", "--ngspice",
                              "r.cir"})
            args.push_back(a);
        const CliRun run = runCli(dir.path(), args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.front() << run.err;
        EXPECT_FALSE(run.err.empty()) << c.args.front();
        EXPECT_TRUE(filesBelow(dir.path()).empty()) << c.args.front();
    }
}

TEST(cli_response_test, folder_at_the_target_is_a_file_error) {
    for (const char* option : {"--touchstone", "--response-csv", "--ngspice"}) {
        TempDir dir;
        fs::create_directory(dir.path() / "target");
        const CliRun run = runCli(dir.path(), {option, "target"});
        EXPECT_EQ(run.exitCode, 3) << option;
        EXPECT_NE(run.err.find("could not be written"), std::string::npos) << run.err;
        EXPECT_TRUE(filesBelow(dir.path()).empty()) << option;
    }
}

// One span, three outputs: the same frequencies and the same S21.
TEST(cli_response_test, files_and_json_carry_one_response) {
    TempDir dir;
    const CliRun run = runCli(
        dir.path(), {"--json", "--response", "--decimal-separator", ",", "--touchstone", "r.s2p",
                     "--response-csv", "r.csv", "--points", "11", "--start", "4998", "--stop",
                     "5002", "--ref", "50", "--format", "ri"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json j = run.json();
    const json& r = j["response"];
    ASSERT_EQ(r["f"].size(), 11u);
    EXPECT_EQ(r["f"][0], 4998000.0);
    EXPECT_EQ(r["f"][10], 5002000.0);
    EXPECT_EQ(r["reference_Ohm"], 50.0);
    for (const char* key : {"S21_re", "S21_im", "S11_re", "S11_im", "group_delay_s"})
        EXPECT_EQ(r[key].size(), 11u) << key;

    std::istringstream s2p(fileText(dir.path() / "r.s2p"));
    std::string line;
    std::size_t row = 0;
    bool option = false;
    while (std::getline(s2p, line)) {
        if (line.starts_with("!")) continue;
        if (line.starts_with("#")) {
            EXPECT_EQ(line, "# Hz S RI R 50\r");
            option = true;
            continue;
        }
        std::istringstream in(line);
        double f, s11re, s11im, s21re, s21im;
        in >> f >> s11re >> s11im >> s21re >> s21im;
        ASSERT_LT(row, 11u);
        EXPECT_EQ(f, r["f"][row].get<double>());
        EXPECT_EQ(s21re, r["S21_re"][row].get<double>());
        EXPECT_EQ(s11im, r["S11_im"][row].get<double>());
        ++row;
    }
    EXPECT_TRUE(option);
    EXPECT_EQ(row, 11u);

    // "." whatever separator the report uses.
    std::istringstream csv(fileText(dir.path() / "r.csv"));
    std::getline(csv, line);
    for (row = 0; std::getline(csv, line); ++row) {
        EXPECT_EQ(line.find(';'), std::string::npos);
        const double f = std::stod(line.substr(0, line.find(',')));
        const double db = std::stod(line.substr(line.find(',') + 1));
        const std::complex<double> s21(r["S21_re"][row].get<double>(),
                                       r["S21_im"][row].get<double>());
        EXPECT_EQ(f, r["f"][row].get<double>());
        EXPECT_NEAR(db, 20 * std::log10(std::abs(s21)), 1e-9);
    }
    EXPECT_EQ(row, 11u);
}

TEST(cli_response_test, exact_figures_in_json_and_report) {
    TempDir dir;
    const json x = runCli(dir.path(), {"--json"}).json()["exact"];
    for (const char* key : {"IL_dB", "allowance_dB", "ripple_dB", "group_delay_peak_s"})
        EXPECT_TRUE(x[key].is_number()) << key;
    EXPECT_EQ(x["allowance_dB"], 0.05);
    // The labels' insertion loss is the sampled minimum plus the allowance.
    const json plain = runCli(dir.path(), {"--json", "--rm", "0"}).json()["exact"];
    EXPECT_EQ(plain["allowance_dB"], 0.0);
    for (const char* level : {"3", "6", "20", "40", "60", "80", "100"}) {
        const json& e = x["edges_Hz"][level];
        ASSERT_TRUE(e[0].is_number() && e[1].is_number()) << level;
        EXPECT_NEAR(x["bandwidths_Hz"][level].get<double>(),
                    e[1].get<double>() - e[0].get<double>(), 1e-6);
    }
    // The sampled 6 dB bandwidth (10 Hz apart) is close to the exact one.
    EXPECT_NEAR(x["bandwidths_Hz"]["6"].get<double>(),
                runCli(dir.path(), {"--json"}).json()["state"]["bandwidths"]["6"].get<double>(),
                2);
    const CliRun report = runCli(dir.path(), {});
    EXPECT_NE(report.out.find("Exact figures"), std::string::npos);
    EXPECT_NE(report.out.find("BW (100 db) [Hz]"), std::string::npos);
    EXPECT_TRUE(runCli(dir.path(), {"--json", "--bw", "0"}).json()["exact"].is_null());
    EXPECT_EQ(x["dips"], json::array());
    EXPECT_EQ(x["notes"], json::array());
    EXPECT_EQ(x["B3dB_asked_Hz"], 3000.0);
}

// A 6-pole Cohn ladder for 2.4 kHz dips above IL + 3 dB near its lower edge
// and gets about 2183 Hz: the JSON, the report and their notes say both.
TEST(cli_response_test, dips_and_a_narrow_band_are_stated) {
    TempDir dir;
    const std::vector<std::string> design{"--type", "cohn", "--poles", "6", "--bw", "2.4"};
    std::vector<std::string> args = design;
    args.push_back("--json");
    const json x = runCli(dir.path(), args).json()["exact"];
    ASSERT_EQ(x["dips"].size(), 1u);
    const json& dip = x["dips"][0];
    EXPECT_GT(dip["depth_dB"].get<double>(), 3);
    EXPECT_GT(dip["f_Hz"].get<double>(), dip["edges_Hz"][0].get<double>());
    EXPECT_LT(dip["f_Hz"].get<double>(), dip["edges_Hz"][1].get<double>());
    EXPECT_GT(x["ripple_dB"].get<double>(), 3); // the ripple covers the dip
    EXPECT_NEAR(x["B3dB_deviation_pct"].get<double>(), -9.06, 0.05);
    ASSERT_EQ(x["notes"].size(), 2u);
    const CliRun report = runCli(dir.path(), design);
    for (const json& note : x["notes"])
        EXPECT_NE(report.out.find("  Note: " + note.get<std::string>()), std::string::npos)
            << note;
    EXPECT_NE(report.out.find("below the 2400 Hz asked (B3db)"), std::string::npos);
}

} // namespace
