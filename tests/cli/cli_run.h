#pragma once
// Runs the built korvan-cli in a working folder and captures what it prints.

#include "support/temp_dir.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace korvan::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;

    nlohmann::json json() const { return nlohmann::json::parse(out); }
};

inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

inline std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The captured output goes to a folder of its own, so that the working
// folder holds only what the program wrote.
// With `timeoutSeconds`, a run that takes longer is killed (exit code 124
// or 137).
inline CliRun runCli(const std::filesystem::path& workingFolder,
                     const std::vector<std::string>& args, int timeoutSeconds = 0) {
    static TempDir captures;
    static int number = 0;
    const auto out = captures.path() / ("out" + std::to_string(++number));
    const auto err = captures.path() / ("err" + std::to_string(number));
    std::string command = "cd " + shellQuoted(workingFolder.string()) + " && ";
    if (timeoutSeconds > 0) command += "timeout -k 2 " + std::to_string(timeoutSeconds) + " ";
    command += shellQuoted(KORVAN_CLI_PATH);
    for (const auto& a : args) command += " " + shellQuoted(a);
    command += " >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string());
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = fileText(out);
    run.err = fileText(err);
    return run;
}

// Regular files below a folder, relative to it, sorted.
inline std::vector<std::string> filesBelow(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace korvan::test
