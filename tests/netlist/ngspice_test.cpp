// The LTspice netlist of the default design, simulated by ngspice, must pass
// the centre frequency with the loss the program's own analysis gives.

#include "app/main_form.h"
#include "response/sweep.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

using namespace korvan;
namespace fs = std::filesystem;

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::stringstream dirs(path);
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && ::access((fs::path(dir) / program).c_str(), X_OK) == 0) return true;
    return false;
}

std::vector<std::string> fileLines(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string run(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    ::pclose(p);
    return out;
}

TEST(netlist_test, ltspice_file_simulates_like_the_program) {
    if (!onPath("ngspice")) GTEST_SKIP() << "ngspice is not installed (Debian package ngspice)";

    test::TempDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, dir.path(), '.');
    form.startUp();
    ASSERT_TRUE(form.lastCalculationComplete());
    ASSERT_EQ(form.exportedFiles().size(), 3u);
    const fs::path netlist = form.exportedFiles()[2];
    ASSERT_EQ(netlist.filename(), "T_8p_5000k_1_3000.cir");

    // The program's analysis at the centre frequency.
    DesignState state = form.state();
    state.fEval = state.fm;
    response::calcCLadder(state, 20);
    const double programDb = state.S21dB;

    // ngspice knows neither the source resistance of a voltage source nor
    // the .NET card, and reads the "* ----" after a crystal instance as more
    // nodes; everything else is simulated as written.
    std::vector<std::string> lines;
    std::string loadNode;
    for (auto line : fileLines(netlist)) {
        if (line.starts_with(".NET ")) continue;
        if (line.starts_with("VIN ")) {
            const auto r = line.substr(line.find("RSER=") + 5);
            lines.push_back("VIN  99   0   AC  1");
            lines.push_back("RSER  99  100  " + r);
            continue;
        }
        if (line.starts_with("xt_")) line = line.substr(0, line.find(" * ----"));
        if (line.starts_with("RL ")) {
            std::istringstream fields(line.substr(3));
            fields >> loadNode;
        }
        if (line == ".End") {
            char at[64];
            std::snprintf(at, sizeof at, "%.3f", state.fm);
            lines.push_back(".control");
            lines.push_back("run");
            lines.push_back("meas ac vload find vdb(" + loadNode + ") at=" + at);
            lines.push_back(".endc");
        }
        lines.push_back(line);
    }
    ASSERT_FALSE(loadNode.empty());
    const fs::path deck = dir.path() / "deck.cir";
    {
        std::ofstream out(deck, std::ios::binary);
        for (const auto& l : lines) out << l << "\r\n";
    }
    const std::string output = run("cd '" + dir.path().string() + "' && ngspice -b deck.cir 2>&1");
    const auto pos = output.find("vload");
    ASSERT_NE(pos, std::string::npos) << output;
    const auto eq = output.find('=', pos);
    ASSERT_NE(eq, std::string::npos) << output;
    const double vloadDb = std::strtod(output.c_str() + eq + 1, nullptr);
    // Equal terminations: S21 = 2 V(load) / E.
    const double spiceDb = vloadDb + 20 * std::log10(2.0);
    RecordProperty("S21 program dB", std::to_string(programDb));
    RecordProperty("S21 ngspice dB", std::to_string(spiceDb));
    EXPECT_NEAR(spiceDb, programDb, 0.1) << output;
    EXPECT_LT(programDb, 0);
    EXPECT_GT(programDb, -6);
}

} // namespace
