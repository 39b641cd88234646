#pragma once
// The LTspice netlist: a subcircuit for the crystal, the source with its
// resistance, the ladder, the load, an AC sweep over the display span and a
// network-analysis card. Numbers are written with a decimal point.

#include "model/design_state.h"
#include "netlist/value_texts.h"

#include <string>
#include <vector>

namespace korvan::netlist {

// Type prefix, pole count, centre frequency in kHz, (ripple,) bandwidth in Hz.
std::string ltspiceFileName(const DesignState& state, const ValueTexts& texts, char separator);

// A capacitance in F as "    <pF>pF": one decimal below 1000 pF, none above.
std::string spiceValue(long double farad, char separator);

// Some lines end in CR LF themselves, so that the file shows an empty line
// after them.
std::vector<std::string> ltspiceLines(const DesignState& state, const ValueTexts& texts,
                                      char separator);

} // namespace korvan::netlist
