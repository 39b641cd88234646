// korvan-cli tolerance: its JSON against the design run's own report, the
// same output for any number of threads, and refused inputs.

#include "cli/cli_run.h"

#include "analysis/e_series.h"

#include <gtest/gtest.h>

namespace {

using korvan::test::CliRun;
using korvan::test::runCli;
using korvan::test::TempDir;
using nlohmann::json;

TEST(tolerance_cli_test, json_report_has_the_documented_shape) {
    TempDir dir;
    const std::vector<std::string> design{"--poles", "6", "--decimal-separator", "."};
    const CliRun plain = runCli(dir.path(), [&] {
        auto a = design;
        a.push_back("--json");
        return a;
    }());
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    std::vector<std::string> args{
        "tolerance", "--trials",       "300", "--fs-sigma", "15", "--cap-tol", "2", "--series",
        "e24",       "--limit-ripple", "1.5", "--limit-bw", "5",  "--json"};
    args.insert(args.end(), design.begin(), design.end());
    const CliRun run = runCli(dir.path(), args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, ""); // no progress line when stderr is not a terminal
    const auto j = nlohmann::ordered_json::parse(run.out); // keeps the key order
    std::vector<std::string> keys;
    for (const auto& [k, v] : j.items()) keys.push_back(k);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"trials", "failed", "seed", "figures", "yield", "envelope",
                                        "standard_values", "nominal", "limits", "messages"}));
    // The bandwidth limit is measured against the 3 kHz asked, and the
    // nominal design is shown against each limit.
    EXPECT_EQ(j["limits"]["bw3_reference_Hz"], 3000.0);
    EXPECT_EQ(j["limits"]["bw3_window_Hz"], json::array({2850.0, 3150.0}));
    EXPECT_TRUE(j["limits"]["nominal_within"]["ripple"].is_boolean());
    EXPECT_EQ(j["limits"]["nominal_within"]["IL"], nullptr);
    EXPECT_EQ(j["nominal"]["allowance_dB"], 0.05);
    EXPECT_EQ(j["trials"], 300);
    EXPECT_EQ(j["seed"], 1);
    for (const char* f :
         {"IL_dB", "ripple_dB", "bw3_Hz", "bw6_Hz", "bw20_Hz", "bw60_Hz", "centre_shift_Hz"}) {
        const auto& s = j["figures"][f];
        ASSERT_TRUE(s.is_object()) << f;
        EXPECT_LE(s["p5"].get<double>(), s["p50"].get<double>()) << f;
        EXPECT_LE(s["p50"].get<double>(), s["p95"].get<double>()) << f;
        EXPECT_TRUE(j["standard_values"][f].is_number()) << f;
    }
    EXPECT_GT(j["yield"].get<double>(), 0);
    EXPECT_LT(j["yield"].get<double>(), 1);
    const auto& e = j["envelope"];
    ASSERT_EQ(e["f"].size(), 501u);
    for (std::size_t k = 0; k < 501; ++k) {
        EXPECT_LE(e["min_dB"][k].get<double>(), e["median_dB"][k].get<double>());
        EXPECT_LE(e["median_dB"][k].get<double>(), e["max_dB"][k].get<double>());
    }
    const auto& sv = j["standard_values"];
    EXPECT_EQ(sv["series"], "E24");
    const json designed = plain.json();
    const json& state = designed["state"];
    for (const char* array : {"Ck", "Cs"}) {
        ASSERT_EQ(sv[array].size(), state[array].size()) << array;
        for (std::size_t i = 0; i < sv[array].size(); ++i)
            EXPECT_DOUBLE_EQ(sv[array][i].get<double>(),
                             korvan::analysis::nearestValue(state[array][i].get<double>(),
                                                            korvan::analysis::ESeries::E24))
                << array << i;
    }
}

TEST(tolerance_cli_test, output_does_not_depend_on_the_threads) {
    TempDir dir;
    std::vector<std::string> args{"tolerance", "--trials", "200",    "--fs-range", "30",
                                  "--lm-tol",  "3",        "--seed", "77",         "--threads"};
    args.push_back("1");
    const CliRun one = runCli(dir.path(), args);
    args.back() = "2";
    const CliRun two = runCli(dir.path(), args);
    ASSERT_EQ(one.exitCode, 0) << one.err;
    // Only the heading names the thread count.
    const auto body = [](const std::string& t) { return t.substr(t.find('\n')); };
    EXPECT_EQ(body(one.out), body(two.out));
    EXPECT_NE(one.out.find("1 thread\n"), std::string::npos);
}

TEST(tolerance_cli_test, refused_inputs) {
    TempDir dir;
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"tolerance", "--trials", "0"}, 1, "number of trials"},
        {{"tolerance", "--cap-tol", "500"}, 1, "larger than 100 %"},
        {{"tolerance", "--fs-sigma", "-3"}, 1, "must be 0 or more"},
        {{"tolerance", "--pairs"}, 2, "--pairs needs --series"},
        {{"tolerance", "--series", "E7"}, 2, "E7"},
        {{"tolerance", "--bw", "x"}, 2, "cannot stand in its field"},
        {{"tolerance", "--fs", "0"}, 1, "the design did not complete"},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(dir.path(), c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.back() << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << c.args.back();
        if (c.exitCode != 1) continue;
        // With --json a refusal is still one object, its messages saying why.
        auto args = c.args;
        args.push_back("--json");
        const CliRun json = runCli(dir.path(), args);
        EXPECT_EQ(json.exitCode, 1);
        const auto j = json.json();
        EXPECT_TRUE(j["figures"].is_null());
        ASSERT_FALSE(j["messages"].empty()) << json.out;
        const std::string last = j["messages"].back()["text"];
        EXPECT_TRUE(last.find(c.message) != std::string::npos ||
                    last.find("nothing to analyse") != std::string::npos)
            << json.out;
    }
}

} // namespace
