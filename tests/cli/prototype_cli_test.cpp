// korvan-cli prototype: every family and pole count answered with the
// core's numbers, the documented JSON shape, and refused inputs with the
// reason, the exit code and nothing on stdout.

#include "cli/cli_run.h"

#include "prototype/prototype.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using korvan::test::CliRun;
using korvan::test::runCli;
using korvan::test::TempDir;
namespace proto = korvan::prototype;

TEST(prototype_cli_test, answers_every_family_and_pole_count) {
    TempDir dir;
    for (const auto& info : proto::families())
        for (int n = info.minPoles; n <= info.maxPoles; ++n) {
            std::vector<std::string> args{"prototype", "--family",        std::string(info.name),
                                          "--poles",   std::to_string(n), "--json"};
            if (info.hasRipple) args.insert(args.end(), {"--ripple", "0.5"});
            const CliRun run = runCli(dir.path(), args);
            SCOPED_TRACE(std::string(info.name) + " " + std::to_string(n));
            ASSERT_EQ(run.exitCode, 0) << run.err;
            const auto j = run.json();
            proto::Request r;
            r.family = info.family;
            r.poles = n;
            r.rippleDb = info.hasRipple ? 0.5 : 0;
            const auto expected = proto::coefficients(r);
            EXPECT_EQ(j["family"], info.name);
            EXPECT_EQ(j["poles"], n);
            EXPECT_EQ(j["ripple_dB"].is_null(), !info.hasRipple);
            EXPECT_TRUE(j["qo"].is_null());
            EXPECT_EQ(j["IL_dB"], 0.0);
            EXPECT_EQ(j["q1"], expected.q1);
            EXPECT_EQ(j["qn"], expected.qn);
            EXPECT_EQ(j["k"].get<std::vector<double>>(), expected.k);
            EXPECT_EQ(j["solutions"].size(), 1u);
        }
}

TEST(prototype_cli_test, predistorted_solutions_and_table) {
    TempDir dir;
    const CliRun json = runCli(dir.path(), {"prototype", "--family", "bessel", "--poles", "6",
                                            "--qo", "12", "--all", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto j = json.json();
    proto::Request r;
    r.family = proto::Family::Bessel;
    r.poles = 6;
    r.qo = 12;
    const auto all = proto::solutions(r);
    EXPECT_EQ(j["qo"], 12.0);
    EXPECT_EQ(j["qo_min"], all.qoMin);
    EXPECT_EQ(j["IL_dB"], all.insertionLossDb);
    ASSERT_EQ(j["solutions"].size(), all.solutions.size());
    for (std::size_t i = 0; i < all.solutions.size(); ++i) {
        EXPECT_EQ(j["solutions"][i]["qe1"], all.solutions[i].qe1);
        EXPECT_EQ(j["solutions"][i]["k"].get<std::vector<double>>(), all.solutions[i].k);
    }

    const CliRun table = runCli(
        dir.path(), {"prototype", "--family", "butterworth", "--poles", "4", "--qo", "8.71"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    proto::Request b;
    b.poles = 4;
    b.qo = 8.71;
    char header[120];
    std::snprintf(header, sizeof header,
                  "butterworth, 4 poles, qo 8.71 (minimum 2.61313), insertion loss %.4f dB",
                  proto::coefficients(b).insertionLossDb);
    EXPECT_EQ(table.out.substr(0, table.out.find('\n')), header);
    EXPECT_NE(table.out.find("       1    0.541"), std::string::npos) << table.out;
}

TEST(prototype_cli_test, refuses_with_the_reason) {
    struct Bad {
        std::vector<std::string> args;
        int exitCode;
        const char* says;
    };
    TempDir dir;
    for (const Bad& bad :
         {Bad{{"--family", "elliptic", "--poles", "4"}, 2, "the families are butterworth, "},
          Bad{{"--family", "bessel", "--poles", "15"}, 1, "2 to 14 poles, not 15"},
          Bad{{"--family", "chebyshev", "--poles", "4"}, 2, "needs --ripple DB (0.001 to 3 dB)"},
          Bad{{"--family", "chebyshev", "--poles", "4", "--ripple", "4"}, 1, "not 4"},
          Bad{{"--family", "legendre", "--poles", "4", "--ripple", "1"}, 1, "no ripple"},
          Bad{{"--family", "butterworth", "--poles", "4", "--qo", "2.6"},
              1,
              "qo must exceed 2.61313"},
          Bad{{"--family", "butterworth", "--poles", "4", "--qo", "nan"}, 1, "qo must exceed"},
          Bad{{"--family", "butterworth"}, 2, "--poles is required"},
          Bad{{"--family", "bessel", "--poles", "four"}, 2, "--poles"}}) {
        std::vector<std::string> args{"prototype"};
        args.insert(args.end(), bad.args.begin(), bad.args.end());
        const CliRun run = runCli(dir.path(), args);
        SCOPED_TRACE(bad.says);
        EXPECT_EQ(run.exitCode, bad.exitCode) << run.err;
        EXPECT_NE(run.err.find(bad.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

} // namespace
