#pragma once
// korvan-cli's subcommands beside the design itself ("korvan-cli xtal3db
// ..."): each runs one calculator or analysis and returns the exit code.

#include <iosfwd>
#include <span>
#include <string_view>

namespace korvan::cli {

struct Subcommand {
    std::string_view name;
    std::string_view summary; // one line for the overview in --help
    // argv[0] is "korvan-cli <name>", the rest its own arguments.
    int (*run)(int argc, const char* const* argv);
};

// Every subcommand, in the order --help lists them.
std::span<const Subcommand> subcommands();

// The subcommand named by the first argument, or nullptr for the design.
const Subcommand* findSubcommand(int argc, const char* const* argv);

// Runs the subcommand with its own arguments (the name taken out).
int runSubcommand(const Subcommand& command, int argc, const char* const* argv);

// The overview printed below the design's --help.
void writeSubcommandOverview(std::ostream& out);

} // namespace korvan::cli
