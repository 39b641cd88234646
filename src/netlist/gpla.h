#pragma once
// The GPLA start file: a fixed header with the crystal's data, the
// terminations and a sweep, then one element record per line from source to
// load. Numbers keep the system decimal separator.

#include "model/design_state.h"
#include "netlist/value_texts.h"

#include <string>
#include <vector>

namespace korvan::netlist {

inline constexpr const char* kGplaFileName = "Startfile.cir";

// The record lines hold CR between their fields; the saved file adds CR LF
// after each line.
std::vector<std::string> gplaLines(const DesignState& state, const ValueTexts& texts,
                                   char separator);

} // namespace korvan::netlist
