#pragma once
// The exact figures of the designed ladder (continuous response, not the
// display span's samples) for the readable report and the JSON.

#include "analysis/exact_figures.h"
#include "app/main_form.h"

#include <nlohmann/json.hpp>

#include <ostream>

namespace korvan::cli {

// The "exact" object of any ladder's figures, with the display allowance
// the described labels add (0 for a plain ladder).
nlohmann::ordered_json exactFiguresJson(const analysis::ExactFigures& figures, double allowanceDb);

// The "exact" object; null when the design stopped.
nlohmann::ordered_json exactJson(const MainForm& form);

// The report's own section; nothing when the design stopped.
void writeExactSection(std::ostream& out, const MainForm& form);

} // namespace korvan::cli
