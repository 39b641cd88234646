#pragma once
// The ARD netlist: a commented header with the element values, a block with
// the crystal's equivalent circuit, a block with the ladder between two
// transformers (capacitors referred to by name) and the sweep. Numbers are
// written with a decimal point.

#include "model/design_state.h"
#include "netlist/value_texts.h"

#include <string>
#include <vector>

namespace korvan::netlist {

// The centre frequency in units of 100 kHz, with leading zeros to three
// places ("050" for 5 MHz).
std::string freqCode(double fm, char separator);

// Type letter, frequency code, "_p", pole count, ".ckt".
std::string ardFileName(const DesignState& state, char separator);

std::vector<std::string> ardLines(const DesignState& state, const ValueTexts& texts,
                                  char separator);

} // namespace korvan::netlist
