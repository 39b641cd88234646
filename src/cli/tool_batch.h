#pragma once
// The shared front of korvan-cli's calculator subcommands: one option per
// input (--<name> VALUE), a readable report or --json, and --csv FILE for a
// batch with one measurement per row.
//
// A subcommand describes its inputs and results and gives one function that
// runs the calculator's form object on a set of field texts:
//
//   ToolCommand cmd;
//   cmd.name = "g3uur";
//   cmd.title = "Crystal parameters by the G3UUR method";
//   cmd.inputs = {{"csw", "pF", "Switched capacitor Csw"}, ...};
//   cmd.results = {{"lm", "Lm", "mH"}, ...};
//   cmd.calculate = [](const ToolInputs& in, char separator) { ... };
//   return runToolCommand(argc, argv, cmd);
//
// Values are taken as if typed into the window's field (digits and one
// decimal separator, see typeIntoField); the calculator gets the typed text.
//
// Batch: the CSV header names the inputs (a subset, any order); each later
// line is one calculation. An empty or absent cell leaves the field at its
// default. The CSV goes to stdout with the columns "row", the inputs of the
// header, the results, "status" ("ok" or "refused") and "message"; with
// --json one JSON object per line instead. A row that cannot be read (too
// few or too many cells, a bad quote, a value that cannot be typed) is
// refused with a message naming its row and column, and the batch goes on.
// Rows are numbered as the file's lines (the header is row 1); empty lines
// are skipped with a note on stderr, and empty columns after the last named
// one (a trailing delimiter) are ignored.
//
// Exit codes: 0 every calculation computed, 1 some refused, 2 usage error
// (unknown option or column, unreadable file).

#include <nlohmann/json.hpp>

#include "model/messages.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace korvan::cli {

inline constexpr int kToolExitDone = 0;
inline constexpr int kToolExitRefused = 1;
inline constexpr int kToolExitUsage = 2;

struct ToolInput {
    std::string name; // option --name and CSV column name
    std::string unit; // shown in --help, "kHz"
    std::string help;
};

struct ToolOutput {
    std::string name;  // CSV column name
    std::string label; // readable report, "Lm"
    std::string unit;  // readable report, "mH"
};

// Input name -> field text as typed; only the inputs given.
using ToolInputs = std::map<std::string, std::string, std::less<>>;

struct ToolResult {
    bool refused = false; // an "Error" box or an error report came up
    std::vector<Message> messages;
    std::map<std::string, std::string> values; // output name -> text shown
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
};

struct ToolCommand {
    std::string name;
    std::string title;
    std::string description; // --help text above the options
    std::vector<ToolInput> inputs;
    std::vector<ToolOutput> results;
    std::function<ToolResult(const ToolInputs&, char separator)> calculate;
    // Checks a complete set of inputs before the calculation (for example
    // two inputs that exclude each other); returns a message, or "" when
    // they go together.
    std::function<std::string(const ToolInputs&)> check;
};

// The whole subcommand: options, single calculation or batch, output.
int runToolCommand(int argc, const char* const* argv, const ToolCommand& command);

// The batch alone, from the text of a CSV file.
int runToolBatch(std::string_view csvText, const ToolCommand& command, char separator, bool json,
                 std::ostream& out, std::ostream& err);

// Fills `refused` and `messages` from the boxes a sink recorded.
void takeMessages(ToolResult& result, const ScriptedMessages& sink);

// The boxes as the design's JSON lists them: title, text, answer.
nlohmann::ordered_json messagesJson(const std::vector<Message>& messages);

// A CSV cell, quoted when it holds a comma, a quote or a line break.
std::string csvCell(const std::string& text);

} // namespace korvan::cli
