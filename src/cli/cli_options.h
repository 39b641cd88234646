#pragma once
// The command line of korvan-cli: which fields to overwrite, which type to
// choose and what to print. Field values stay texts: the main form reads
// them exactly as it reads what is typed into the window.

#include "app/main_form.h"
#include "cli/response_options.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace korvan::cli {

struct FieldText {
    std::string option; // "--fs", for messages
    std::string field;  // "AEdit2"
    std::string text;   // as given on the command line
};

struct CliOptions {
    std::optional<std::string> configFile;
    std::optional<FilterType> type;
    std::optional<int> lmCmItem; // 0 for --lm, 1 for --cm (AEdit1 is in `fields`)
    std::vector<FieldText> fields;
    bool yes = false;
    bool exportNetlists = false;
    bool json = false;
    bool sweep = false;
    char separator = '.'; // --decimal-separator, else the system's
    ResponseOptions response;
};

// Exit codes of the program.
enum ExitCode : int {
    kExitDone = 0,
    kExitRejected = 1, // input rejected or the question answered No
    kExitUsage = 2,
    kExitFault = 3, // an error report ended the calculation
};

// Parsed options, or the exit code when the program must end here (help
// printed: 0; usage error reported on `err`: 2).
std::variant<CliOptions, int> parseOptions(int argc, const char* const* argv, std::ostream& out,
                                           std::ostream& err);

// The text a field holds after `text` is typed into it, key by key, through
// the keystroke filter ("." "," ":" ";" become `separator`). nullopt when a
// key would be dropped: such a value could never stand in the field, and
// silently losing a character ("1e-3" -> "13") would change the design.
std::optional<std::string> typeIntoField(const std::string& text, char separator);

} // namespace korvan::cli
