#pragma once
// The outcome's exact figures (continuous response, not the display span's
// samples) as the readable report and the JSON print them.

#include "analysis/design_outcome.h"
#include "analysis/exact_figures.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <ostream>

namespace korvan::cli {

// The "exact" object of any ladder's figures, with the display allowance
// the described labels add (0 for a plain ladder) and, when known, the 3 dB
// bandwidth the ladder was asked for (its deviation and note).
nlohmann::ordered_json exactFiguresJson(const analysis::ExactFigures& figures, double allowanceDb,
                                        std::optional<double> askedB3dbHz = std::nullopt);

// The "exact" object; null when the design stopped (no outcome) or the
// ladder gives no finite response.
nlohmann::ordered_json exactJson(const analysis::DesignOutcome* outcome);

// The report's own section; nothing when there are no figures.
void writeExactSection(std::ostream& out, const analysis::DesignOutcome* outcome, char separator);

} // namespace korvan::cli
