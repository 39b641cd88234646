#pragma once
// Notes for stderr after a run, so that a script's stdout stays clean: which
// option values the calculation corrected, how to answer a refused
// question, and which option a message that names no field is about.

#include "app/main_form.h"
#include "cli/cli_options.h"
#include "cli/stream_messages.h"

#include <string>
#include <vector>

namespace korvan::cli {

// Each line starts with "note: ".
std::vector<std::string> optionNotes(const CliOptions& options, const MainForm& form,
                                     const StreamMessages& messages);

} // namespace korvan::cli
