#pragma once
// The parts list of the outcome as the readable report prints it.

#include "analysis/parts_list.h"

#include <ostream>
#include <vector>

namespace korvan::cli {

// One line per part, input to output (pF, kHz, Ohm).
void writePartsList(std::ostream& out, const std::vector<analysis::Part>& parts, char separator);

} // namespace korvan::cli
