#pragma once
// One design run without a window: the main form starts from its design-time
// defaults, takes the settings file and the options as the window would take
// them, and runs one calculation as "Calculate" does. Its outcome is then
// the main form's outcome() (null when the run stopped).

#include "app/main_form.h"
#include "cli/cli_options.h"
#include "cli/stream_messages.h"

#include <filesystem>
#include <vector>

namespace korvan::cli {

struct DesignRun {
    // kExitDone, kExitRejected, kExitUsage (a settings file that cannot be
    // loaded) or kExitFault.
    int exitCode = kExitDone;
    // The netlists written, in the order written; after a failed export also
    // those written before the failure.
    std::vector<std::filesystem::path> exported;
};

DesignRun runDesign(MainForm& form, StreamMessages& messages, const CliOptions& options);

} // namespace korvan::cli
