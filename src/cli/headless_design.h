#pragma once
// One design run without a window: the main form starts from its design-time
// defaults, takes the settings file and the options as the window would take
// them, and runs one calculation as "Calculate" does.

#include "app/main_form.h"
#include "cli/cli_options.h"
#include "cli/stream_messages.h"

namespace korvan::cli {

// Returns the exit code (kExitDone, kExitRejected, kExitUsage for a settings
// file that cannot be loaded, kExitFault).
int runDesign(MainForm& form, StreamMessages& messages, const CliOptions& options);

} // namespace korvan::cli
