// korvan-cli xtal3db and g3uur: the window's texts headless, and batches.

#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using korvan::test::runCli;

struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::vector<std::pair<std::string, std::string>> labels;
    std::string message; // "" when none
};

void check(const Case& c) {
    korvan::test::TempDir dir;
    auto args = c.args;
    args.insert(args.end(), {"--json", "--decimal-separator", "."});
    const auto run = runCli(dir.path(), args);
    ASSERT_EQ(run.exitCode, c.exitCode) << args[0] << run.err;
    const auto j = run.json();
    for (const auto& [name, text] : c.labels) {
        const auto& group = name.starts_with("AEdit") ? j["fields"] : j["labels"];
        EXPECT_EQ(group[name], text) << args[0] << " " << name;
    }
    if (c.message.empty()) {
        EXPECT_TRUE(j["messages"].empty()) << args[0];
    } else {
        ASSERT_EQ(j["messages"].size(), 1u) << args[0];
        EXPECT_EQ(j["messages"][0]["title"], "Error");
        EXPECT_EQ(j["messages"][0]["text"], c.message);
    }
}

TEST(crystal_tools_cli_test, window_texts) {
    const Case cases[] = {
        {{"xtal3db"},
         0,
         {{"AEdit6", "1.41"},
          {"Label5", "74.90"},
          {"Label6", "13.52753"},
          {"Label7", "17.6"},
          {"Label8", "133333"}},
         ""},
        {{"xtal3db", "--transmission", "100"}, 1, {{"Label5", "74.90"}}, "Must be lower than 100%"},
        {{"xtal3db", "--rm", "0"},
         1,
         {{"AEdit4", "100.00"}, {"AEdit6", "0.00"}},
         "Must be more than 0db"},
        {{"xtal3db", "--attenuation", "6"}, 0, {{"AEdit4", "50.12"}, {"Label7", "99.5"}}, ""},
        {{"g3uur"}, 0, {{"Label7", "15.598"}, {"Label8", "25.379"}, {"Label15", "7998.777"}}, ""},
        {{"g3uur", "--c1", "0", "--c2", "0"},
         0,
         {{"Label7", "16.237"}, {"Label8", "24.380"}, {"Label15", "7999.200"}},
         ""},
        {{"g3uur", "--f-open", "7999.2"},
         1,
         {{"Label7", "15.598"}},
         "Freq(SW-OPEN) must be higher\nthan Freq(SW-Closed)"},
        {{"g3uur", "--csw", "0"}, 1, {}, "No ZERO input allowed"},
    };
    for (const auto& c : cases) check(c);
}

TEST(crystal_tools_cli_test, usage_errors) {
    korvan::test::TempDir dir;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"xtal3db", "--fs", "-5"},
                                                 {"xtal3db", "--rm", "1", "--transmission", "50"},
                                                 {"g3uur", "--nope", "1"},
                                                 {"g3uur", "--csv", dir.path().string()}}) {
        const auto run = runCli(dir.path(), args);
        EXPECT_EQ(run.exitCode, 2) << args[1];
        EXPECT_FALSE(run.err.empty()) << args[1];
    }
}

TEST(crystal_tools_cli_test, batch_reports_each_row_and_goes_on) {
    korvan::test::TempDir dir;
    const auto csv = dir.path() / "m.csv";
    std::ofstream(csv) << "f-open;c1\r\n8001.15;470\r\n7999.20;470\r\n\r\n8001.15;0\r\n";
    const auto run =
        runCli(dir.path(), {"g3uur", "--csv", csv.string(), "--decimal-separator", "."});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "row,f-open,c1,lm_mH,cm_fF,fs_kHz,status,message\n"
                       "2,8001.15,470,15.598,25.379,7998.777,ok,\n"
                       "3,7999.20,470,,,,refused,Error: Freq(SW-OPEN) must be higher than "
                       "Freq(SW-Closed)\n"
                       "5,8001.15,0,15.913,24.877,7998.991,ok,\n");
    EXPECT_NE(run.err.find("row 4: empty line skipped"), std::string::npos);
}

TEST(crystal_tools_cli_test, batch_rows_that_cannot_be_read_name_row_and_column) {
    korvan::test::TempDir dir;
    const auto csv = dir.path() / "m.csv";
    std::ofstream(csv) << "fs,bandwidth,\n5000,abc\n5000\n5000,250,1\n\"5000,250\n\"4000\",250,\n";
    const auto run = runCli(
        dir.path(), {"xtal3db", "--csv", csv.string(), "--json", "--decimal-separator", "."});
    EXPECT_EQ(run.exitCode, 1);
    std::istringstream lines(run.out);
    std::vector<nlohmann::json> rows;
    for (std::string line; std::getline(lines, line);) rows.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(rows.size(), 5u);
    const char* starts[] = {"row 2, column 2 (bandwidth): 'abc'", "row 3, column 2 (bandwidth)",
                            "row 4, column 3", "row 5, column 1", ""};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i]["message"].get<std::string>().rfind(starts[i], 0), 0u) << i;
        EXPECT_EQ(rows[i]["status"], i < 4 ? "refused" : "ok");
    }
    EXPECT_EQ(rows[4]["labels"]["Label5"], "74.90");
    EXPECT_EQ(rows[4]["fields"]["AEdit2"], "4000");
    // An unknown column is a usage error.
    std::ofstream(csv) << "fs,colour\n1,2\n";
    EXPECT_EQ(runCli(dir.path(), {"xtal3db", "--csv", csv.string()}).exitCode, 2);
}

} // namespace
