#pragma once
// The designed ladder's response as files for other RF tools, the same from
// korvan-cli and from the window: Touchstone (1.1, or 2.0 with [Reference]
// when the ports' references differ), the response CSV and an ngspice deck.
// Each is the ladder as built, every crystal with its Rm.

#include "analysis/response_export.h"
#include "analysis/response_sweep.h"
#include "designer/ladder_design.h"

#include <optional>
#include <string>
#include <vector>

namespace korvan::designer {

// Comment lines naming the program ("KORVAN 3.0.2.3", as the front end
// knows its version), the family, the compensation and the design's centre,
// bandwidth and terminations.
std::vector<std::string> ladderDescription(const LadderDesign& design,
                                           const std::string& programLine);

// 2.5 wanted bandwidths either side of the centre.
analysis::SweepSpan defaultLadderSpan(const LadderDesign& design,
                                      int points = analysis::kDefaultResponsePoints);

// The ports' references: `refOhm` for both, or the source and the load.
analysis::PortReference ladderPorts(const LadderDesign& design, std::optional<double> refOhm);

// The file texts; the span must pass analysis::spanProblem(). DesignError
// when the response is not finite (nothing must be written then).
std::string ladderTouchstone(const LadderDesign& design, const analysis::SweepSpan& span,
                             std::optional<double> refOhm, analysis::TouchstoneFormat format,
                             const std::string& programLine);
std::string ladderResponseCsv(const LadderDesign& design, const analysis::SweepSpan& span,
                              std::optional<double> refOhm);
// Both ports of the deck share one reference: `refOhm`, else the source's.
std::string ladderNgspiceDeck(const LadderDesign& design, const analysis::SweepSpan& span,
                              std::optional<double> refOhm, const std::string& deckFile,
                              const std::string& programLine);

} // namespace korvan::designer
