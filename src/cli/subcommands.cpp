#include "cli/subcommands.h"

#include "cli/copying_tool_command.h"
#include "cli/crystal_tool_commands.h"
#include "cli/diagnose_command.h"
#include "cli/ladder_command.h"
#include "cli/prototype_command.h"
#include "cli/tolerance_command.h"
#include "cli/xtalfit_command.h"

#include <ostream>
#include <string>
#include <vector>

namespace korvan::cli {

std::span<const Subcommand> subcommands() {
    // Each entry's run function lives in its own cli/<name>_command.cpp.
    static const std::vector<Subcommand> all = {
        {"xtal3db", "Crystal Lm, Cm, Rm and Qu from a 3 dB bandwidth measurement", runXtal3db},
        {"g3uur", "Crystal Lm, Cm and fs by the G3UUR oscillator method", runG3uur},
        {"tuning", "Tuning capacitor for a crystal off its nominal frequency", runTuningCommand},
        {"lcmatch", "L-C matching networks between two resistances", runLcMatchCommand},
        {"cs2cp", "Series termination (Rs, Cs) as a parallel one (Rp, Cp)", runCs2CpCommand},
        {"xtalfit", "Crystal parameters fitted from VNA sweep files, matched sets", runXtalfit},
        {"tolerance", "Monte Carlo spreads of a design; standard capacitor values",
         runToleranceCommand},
        {"ladder", "A ladder from measured crystals, position by position; build sheet",
         runLadderCommand},
        {"prototype", "Coupled-resonator q and k of any response family, predistorted for qo",
         runPrototypeCommand},
        {"diagnose", "A built filter's measurement against its ladder: which part is off",
         runDiagnoseCommand},
    };
    return all;
}

const Subcommand* findSubcommand(int argc, const char* const* argv) {
    if (argc < 2) return nullptr;
    const std::string_view first = argv[1];
    for (const Subcommand& command : subcommands())
        if (command.name == first) return &command;
    return nullptr;
}

int runSubcommand(const Subcommand& command, int argc, const char* const* argv) {
    const std::string program = std::string(argv[0]) + " " + std::string(command.name);
    std::vector<const char*> args;
    args.push_back(program.c_str());
    for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
    return command.run(static_cast<int>(args.size()), args.data());
}

void writeSubcommandOverview(std::ostream& out) {
    if (subcommands().empty()) return;
    out << "\nSubcommands (korvan-cli <subcommand> --help for their options):\n";
    for (const Subcommand& command : subcommands()) {
        out << "  " << command.name;
        for (std::size_t i = command.name.size(); i < 12; ++i) out << ' ';
        out << command.summary << '\n';
    }
}

} // namespace korvan::cli
