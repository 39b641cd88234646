// korvan-cli as a program: options, exit codes, messages on stderr and the
// shape of its JSON.

#include "app/program_info.h"
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <set>

namespace {

using korvan::test::CliRun;
using korvan::test::filesBelow;
using korvan::test::runCli;
using korvan::test::TempDir;
using nlohmann::json;
namespace fs = std::filesystem;

std::vector<std::string> withJson(std::vector<std::string> args) {
    args.insert(args.begin(), {"--decimal-separator", ".", "--json"});
    return args;
}

std::set<std::string> keysOf(const json& object) {
    std::set<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.insert(key);
    return keys;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(cli_test, help_documents_every_option_and_the_exit_codes) {
    TempDir dir;
    const CliRun run = runCli(dir.path(), {"--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option : {"--config FILE",
                               "--type chebyshev|cohn|qer",
                               "--lm MH",
                               "--cm FF",
                               "--fs KHZ",
                               "--cp PF",
                               "--bw KHZ",
                               "--ripple DB",
                               "--poles N",
                               "--span KHZ",
                               "--rm OHM",
                               "--yes",
                               "--export",
                               "--json",
                               "--sweep",
                               "--decimal-separator .|,",
                               "Exit codes:",
                               "  0  done",
                               "  1  input rejected",
                               "  2  usage error",
                               "  3  an error ended the calculation"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    EXPECT_TRUE(filesBelow(dir.path()).empty());
}

TEST(cli_test, version_is_the_project_version) {
    TempDir dir;
    const CliRun run = runCli(dir.path(), {"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, std::string("korvan-cli ") + korvan::versionNumber() + "\n");
    EXPECT_TRUE(filesBelow(dir.path()).empty());
}

TEST(cli_test, usage_errors_exit_with_2_and_write_nothing) {
    const std::vector<std::vector<std::string>> cases = {
        {"--lm", "62", "--cm", "20"},     // one crystal value only
        {"--type", "elliptic"},           //
        {"--decimal-separator", ";"},     //
        {"--config", "missing.cfg"},      //
        {"--poles"},                      // value missing
        {"--fs", "4998", "--fs", "5000"}, // a field set twice
        {"--frequency", "4998"},          // unknown option
        {"design.cfg"},                   // positional argument
        {"--fs", "1e-3"},                 // cannot be typed into the field ...
        {"--poles", "-8"},                // ... nor a sign ...
        {"--ripple", "0.5.1"},            // ... nor a second separator
        {"--rm", "20 Ohm"},
    };
    for (const auto& args : cases) {
        TempDir dir;
        auto all = withJson(args);
        all.push_back("--export");
        const CliRun run = runCli(dir.path(), all);
        EXPECT_EQ(run.exitCode, 2) << args.front();
        EXPECT_TRUE(run.out.empty()) << args.front();
        EXPECT_FALSE(run.err.empty()) << args.front();
        EXPECT_TRUE(fs::is_empty(dir.path())) << args.front();
    }
}

TEST(cli_test, json_has_exactly_the_documented_keys) {
    TempDir dir;
    for (const bool sweep : {false, true}) {
        auto args = withJson({});
        if (sweep) args.push_back("--sweep");
        const CliRun run = runCli(dir.path(), args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const json j = run.json();

        std::set<std::string> top = {"fields",   "labels",   "colors", "state",
                                     "messages", "exported", "design"};
        if (sweep) top.insert("sweep");
        top.insert("exact");
        EXPECT_EQ(keysOf(j), top);

        EXPECT_EQ(keysOf(j["fields"]),
                  (std::set<std::string>{"AEdit1", "AEdit2", "AEdit3", "AEdit4", "AEdit5", "AEdit6",
                                         "AEdit7", "AEdit8"}));
        for (const auto& [first, last] :
             {std::pair{7, 10}, {15, 16}, {19, 26}, {33, 51}, {78, 81}, {84, 87}, {90, 91}})
            for (int i = first; i <= last; ++i)
                EXPECT_TRUE(j["labels"].contains("Label" + std::to_string(i))) << i;
        for (const auto& [name, text] : j["labels"].items()) {
            EXPECT_TRUE(std::regex_match(name, std::regex("Label[0-9]+"))) << name;
            EXPECT_TRUE(text.is_string()) << name;
        }
        for (const auto& [name, colour] : j["colors"].items()) {
            EXPECT_TRUE(j["labels"].contains(name)) << name;
            EXPECT_TRUE(std::regex_match(colour.get<std::string>(), std::regex("#[0-9a-f]{6}")));
        }

        const json& s = j["state"];
        EXPECT_EQ(keysOf(s),
                  (std::set<std::string>{
                      "fs",      "Cp",       "PBripple", "B3db",    "Poles",     "Span", "IsCohn",
                      "IsQER",   "Lm",       "Cm",       "fp",      "q1inv",     "k",    "Bmax",
                      "fm",      "xNorm",    "Zterm",    "fMesh",   "Ck",        "Cs",   "ILmin",
                      "UltAttn", "StopCalc", "Qu",       "offsets", "bandwidths"}));
        const int n = s["Poles"];
        EXPECT_EQ(s["k"].size(), n - 1u);
        EXPECT_EQ(s["Ck"].size(), n - 1u);
        EXPECT_EQ(s["Cs"].size(), static_cast<std::size_t>(n));
        EXPECT_TRUE(s["IsCohn"].is_boolean() && s["IsQER"].is_boolean() &&
                    s["StopCalc"].is_boolean());
        EXPECT_EQ(keysOf(s["bandwidths"]),
                  (std::set<std::string>{"6", "20", "40", "60", "80", "100"}));
        EXPECT_TRUE(j["messages"].is_array());
        EXPECT_EQ(j["exported"], json::array());

        if (sweep) {
            EXPECT_EQ(keysOf(j["sweep"]), (std::set<std::string>{"f", "S21", "S11", "VSWR"}));
            for (const char* curve : {"f", "S21", "S11", "VSWR"})
                EXPECT_EQ(j["sweep"][curve].size(), 501u) << curve;
        }
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

// Each option replaces the text of one field; the form reads it from there.
TEST(cli_test, each_option_sets_its_field) {
    struct Case {
        std::vector<std::string> args;
        const char* field;
        const char* text;
        const char* stateKey;
        double value;
    } cases[] = {
        {{"--lm", "50"}, "AEdit1", "50", "Lm", 0.05},
        {{"--cm", "20"}, "AEdit1", "20", "Cm", 20e-15},
        {{"--fs", "5000.5"}, "AEdit2", "5000.5", "fs", 5000500},
        {{"--cp", "3:5"}, "AEdit3", "3.5", "Cp", 3.5e-12},
        {{"--bw", "2,4"}, "AEdit4", "2.4", "B3db", 2400},
        {{"--ripple", "0;5"}, "AEdit5", "0.5", "PBripple", 0.5},
        {{"--poles", "5"}, "AEdit6", "5", "Poles", 5},
        {{"--span", "20"}, "AEdit7", "20", "Span", 20},
        {{"--rm", "30"}, "AEdit8", "30", "Qu", 2 * M_PI * 4998000 * 0.062 / 30},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const CliRun run = runCli(dir.path(), withJson(c.args));
        ASSERT_EQ(run.exitCode, 0) << c.args.front() << run.err;
        const json j = run.json();
        EXPECT_EQ(j["fields"][c.field], c.text) << c.args.front();
        const double value = j["state"][c.stateKey];
        EXPECT_NEAR(value, c.value, std::abs(c.value) * 1e-6) << c.args.front();
        EXPECT_TRUE(j["messages"].empty()) << c.args.front();
    }
}

TEST(cli_test, type_option_selects_the_filter_type) {
    struct Case {
        const char* type;
        bool cohn, qer;
        const char* label15;
    } cases[] = {
        {"cohn", true, false, "Type:     Cohn"},
        {"qer", false, true, "Type:     QER"},
        {"QER", false, true, "Type:     QER"},
        {"chebyshev", false, false, "Type:   Chebyshev"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const CliRun run = runCli(dir.path(), withJson({"--type", c.type}));
        ASSERT_EQ(run.exitCode, 0) << c.type << run.err;
        const json j = run.json();
        EXPECT_EQ(j["state"]["IsCohn"], c.cohn) << c.type;
        EXPECT_EQ(j["state"]["IsQER"], c.qer) << c.type;
        EXPECT_EQ(j["labels"]["Label15"], c.label15) << c.type;
    }
}

// The window's clamps and corrections apply to option values as to typed ones.
TEST(cli_test, option_values_are_clamped_like_typed_ones) {
    struct Case {
        std::vector<std::string> args;
        const char* field;
        const char* text;
        const char* note; // on stderr, never on stdout
    } cases[] = {
        {{"--ripple", "3.5"}, "AEdit5", "3", "--ripple 3.5 was set to 3, the largest ripple"},
        {{"--poles", "1"}, "AEdit6", "2", "--poles 1 was set to 2, the smallest pole count"},
        {{"--poles", "20"}, "AEdit6", "14", "--poles 20 was set to 14, the largest pole count"},
        {{"--type", "qer", "--poles", "3"},
         "AEdit6",
         "4",
         "--poles 3 was set to 4, the smallest pole count of the QER type"},
        {{"--span", "500"}, "AEdit7", "400", "--span 500 was set to 400, the largest span"},
        {{"--bw", "4", "--span", "2"},
         "AEdit7",
         "4",
         "--span 2 was set to 4, the 3 dB bandwidth (the span is at least the bandwidth)"},
        {{"--rm", ""}, "AEdit8", "0", "--rm '' was set to 0, a lossless crystal"},
        // The same value written back plainly is no correction.
        {{"--poles", "08"}, "AEdit6", "8", nullptr},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const CliRun run = runCli(dir.path(), withJson(c.args));
        ASSERT_EQ(run.exitCode, 0) << c.args.back() << run.err;
        EXPECT_EQ(run.json()["fields"][c.field], c.text) << c.args.back();
        EXPECT_EQ(run.err, c.note ? std::string("note: ") + c.note + "\n" : "");
    }
}

TEST(cli_test, rejected_input_exits_with_1_and_writes_no_file) {
    struct Case {
        std::vector<std::string> args;
        const char* text;
        const char* option; // the second line names it
    } cases[] = {
        {{"--bw", "0"}, "Input value(s) must be > 0 ", "--bw 0"},
        {{"--fs", ""}, "Invalid or missing input value(s)", "--fs ''"},
        {{"--poles", "8.5"}, "Invalid or missing input value(s)", "--poles 8.5"},
        {{"--fs", "5000", "--span", ""}, "Invalid or missing input value(s)", "--span ''"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        auto args = withJson(c.args);
        args.push_back("--export");
        const CliRun run = runCli(dir.path(), args);
        EXPECT_EQ(run.exitCode, 1) << c.text;
        EXPECT_EQ(run.err,
                  std::string("Error: ") + c.text + "\nnote: caused by " + c.option + "\n");
        const json j = run.json();
        EXPECT_EQ(j["messages"], json::parse(R"([{"title": "Error", "text": ")" +
                                             std::string(c.text) + R"(", "answer": "OK"}])"));
        EXPECT_TRUE(j["state"]["StopCalc"].get<bool>());
        EXPECT_EQ(j["exported"], json::array());
        EXPECT_TRUE(filesBelow(dir.path()).empty()) << c.text;
        EXPECT_EQ(j["labels"]["Label33"], "----   ");
    }
}

TEST(cli_test, implausible_crystal_value_is_confirmed_only_with_yes) {
    const std::string question =
        "Confirmation needed: The value for the xtal parameter Lm or Cm does    \nNOT appear to "
        "be realistic for the given frequency.  \n\n   >>>   Do you really want to proceed?   "
        "<<<\n(This may lead to a floating-point error message)\n";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* answer;
    } cases[] = {
        {{"--lm", "2000"}, 1, "No"},
        {{"--lm", "2000", "--yes"}, 0, "Yes"},
        {{"--cm", "1"}, 1, "No"},
        {{"--cm", "1", "--yes"}, 0, "Yes"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const CliRun run = runCli(dir.path(), withJson(c.args));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args[1] << run.err;
        EXPECT_EQ(run.err.substr(0, question.size()), question);
        const std::string hint = "note: the question was answered No; answer it with --yes\n";
        if (c.exitCode == 1)
            EXPECT_EQ(run.err.substr(question.size()), hint);
        else
            EXPECT_EQ(run.err.find(hint), std::string::npos);
        const json j = run.json();
        ASSERT_FALSE(j["messages"].empty());
        EXPECT_EQ(j["messages"][0]["title"], "Confirmation needed");
        EXPECT_EQ(j["messages"][0]["answer"], c.answer);
        EXPECT_EQ(j["state"]["StopCalc"], c.exitCode == 1);
    }
    // A plausible value asks nothing, whether --yes is given or not.
    TempDir dir;
    const CliRun run = runCli(dir.path(), withJson({"--cm", "62", "--yes"}));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.empty());
}

TEST(cli_test, fault_in_the_calculation_exits_with_3) {
    TempDir dir;
    // A loss resistance that is not a number can only come from a settings file.
    writeFile(dir.path() / "bad_rm.cfg",
              "1\r\n0\r\n62\r\n4998\r\n4\r\n3\r\n1\r\n8\r\n10\r\nabc\r\n");
    struct Case {
        std::vector<std::string> args;
        const char* report;
    } cases[] = {
        {{"--config", "bad_rm.cfg"}, "KORVAN: 'abc' is not a valid floating point value.\n"},
        {{"--cm", "0.0001", "--yes"}, "KORVAN: Invalid floating point operation.\n"},
    };
    for (const auto& c : cases) {
        auto args = withJson(c.args);
        const CliRun run = runCli(dir.path(), args);
        EXPECT_EQ(run.exitCode, 3) << c.report;
        ASSERT_GE(run.err.size(), std::string(c.report).size());
        EXPECT_EQ(run.err.substr(run.err.size() - std::string(c.report).size()), c.report);
        EXPECT_EQ(run.json()["messages"].back()["title"], "KORVAN");
        // No nan or inf reaches a label.
        // The report is kept: a temporary's items() would outlive it.
        const json report = run.json();
        for (const auto& [name, text] : report["labels"].items())
            EXPECT_FALSE(std::regex_search(text.get<std::string>(),
                                           std::regex("nan|inf", std::regex::icase)))
                << name << ": " << text;
    }
}

TEST(cli_test, netlist_that_cannot_be_written_exits_with_3) {
    TempDir dir;
    // A file where the ARD folder belongs: the GPLA file is written, then
    // the ARD file cannot be created and the LTspice file is not attempted.
    writeFile(dir.path() / "ARD_files", "");
    fs::create_directory(dir.path() / "GPLA_files");
    writeFile(dir.path() / "GPLA_files" / "Startfile.cir", "old");
    const CliRun run = runCli(dir.path(), withJson({"--export"}));
    EXPECT_EQ(run.exitCode, 3);
    const std::string report =
        "KORVAN: Cannot create file " + (dir.path() / "ARD_files" / "T050_p8.ckt").string() + ".\n";
    EXPECT_EQ(run.err, report);
    const json j = run.json();
    EXPECT_EQ(j["exported"], json::array({(dir.path() / "GPLA_files" / "Startfile.cir").string()}));
    EXPECT_NE(korvan::test::fileText(dir.path() / "GPLA_files" / "Startfile.cir"), "old");
    EXPECT_EQ(filesBelow(dir.path()),
              (std::vector<std::string>{"ARD_files", "GPLA_files/Startfile.cir"}));
}

TEST(cli_test, config_file_loads_type_choice_and_fields) {
    TempDir dir;
    writeFile(dir.path() / "cohn.cfg",
              "2\r\n1\r\n20\r\n4998\r\n4\r\n2.4\r\n1\r\n6\r\n10\r\n25\r\n");
    const CliRun run = runCli(dir.path(), withJson({"--config", "cohn.cfg"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json j = run.json();
    EXPECT_TRUE(j["state"]["IsCohn"].get<bool>());
    EXPECT_EQ(j["fields"], json::parse(R"({"AEdit1": "20", "AEdit2": "4998", "AEdit3": "4",
        "AEdit4": "2.4", "AEdit5": "1", "AEdit6": "6", "AEdit7": "10", "AEdit8": "25"})"));
    // AEdit1 is read as Cm in fF.
    EXPECT_NEAR(j["state"]["Cm"].get<double>(), 20e-15, 1e-24);
    EXPECT_EQ(j["labels"]["Label8"], "20  fF");
    EXPECT_EQ(j["labels"]["Label15"], "Type:     Cohn");
    EXPECT_TRUE(j["messages"].empty());

    // Options override single fields of the file; the type option the file's type.
    const CliRun over =
        runCli(dir.path(), withJson({"--config", "cohn.cfg", "--poles", "8", "--type", "qer"}));
    ASSERT_EQ(over.exitCode, 0) << over.err;
    EXPECT_EQ(over.json()["fields"]["AEdit6"], "8");
    EXPECT_EQ(over.json()["fields"]["AEdit1"], "20");
    EXPECT_TRUE(over.json()["state"]["IsQER"].get<bool>());
}

TEST(cli_test, window_settings_file_is_neither_read_nor_written) {
    TempDir dir;
    const std::string qer = "3\r\n1\r\n20\r\n4998\r\n4\r\n2\r\n1\r\n6\r\n10\r\n20\r\n";
    writeFile(dir.path() / "Korvan3.cfg", qer);
    const CliRun run = runCli(dir.path(), withJson({}));
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.json()["state"]["IsQER"].get<bool>());
    EXPECT_EQ(run.json()["fields"]["AEdit1"], "62");
    EXPECT_EQ(korvan::test::fileText(dir.path() / "Korvan3.cfg"), qer);
    EXPECT_EQ(filesBelow(dir.path()), std::vector<std::string>{"Korvan3.cfg"});
}

TEST(cli_test, unusable_config_file_is_a_usage_error) {
    TempDir dir;
    writeFile(dir.path() / "broken.cfg", "2\r\nLm\r\n62\r\n");
    const CliRun run = runCli(dir.path(), withJson({"--config", "broken.cfg"}));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err.rfind("Info:        No configuration file found.\n", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("broken.cfg"), std::string::npos);

    // A short file loads; the missing fields then stop the calculation.
    writeFile(dir.path() / "short.cfg", "1\r\n0\r\n62\r\n");
    const CliRun shortRun = runCli(dir.path(), withJson({"--config", "short.cfg"}));
    EXPECT_EQ(shortRun.exitCode, 1);
    EXPECT_EQ(shortRun.err, "Error: Invalid or missing input value(s)\nnote: caused by AEdit2 as "
                            "loaded from --config; set it with --fs\n");
    // ... unless options supply them.
    const CliRun filled = runCli(
        dir.path(), withJson({"--config", "short.cfg", "--fs", "4998", "--cp", "4", "--bw", "3",
                              "--ripple", "1", "--poles", "8", "--span", "10", "--rm", "20"}));
    EXPECT_EQ(filled.exitCode, 0) << filled.err;
}

TEST(cli_test, rejected_pole_count_never_sizes_the_report) {
    TempDir dir;
    // The pole count is read, the empty span then rejects the design.
    for (const char* poles : {"-2147483648", "2147483647", "20"}) {
        writeFile(dir.path() / "poles.cfg", std::string("1\r\n0\r\n62\r\n4998\r\n4\r\n3\r\n1\r\n") +
                                                poles + "\r\n\r\n20\r\n");
        const CliRun run = runCli(dir.path(), withJson({"--config", "poles.cfg"}));
        EXPECT_EQ(run.exitCode, 1) << poles;
        const json report = run.json();
        EXPECT_EQ(report["state"]["Poles"], std::stoll(poles));
        EXPECT_LE(report["state"]["k"].size(), 13u) << poles;
        EXPECT_LE(report["state"]["Cs"].size(), 14u) << poles;
    }
}

TEST(cli_test, decimal_separator_is_used_for_reading_and_printing) {
    struct Case {
        const char* separator;
        const char* bw;
        const char* field;
        const char* label9;
    } cases[] = {
        {",", "2.5", "2,5", "4998,000 kHz"},
        {",", "2,5", "2,5", "4998,000 kHz"},
        {".", "2,5", "2.5", "4998.000 kHz"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const CliRun run =
            runCli(dir.path(), {"--json", "--decimal-separator", c.separator, "--bw", c.bw});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const json j = run.json();
        EXPECT_EQ(j["fields"]["AEdit4"], c.field);
        EXPECT_EQ(j["state"]["B3db"], 2500.0);
        EXPECT_EQ(j["labels"]["Label9"], c.label9);
    }
}

} // namespace
