#pragma once
// The design by name and in SI units, for programs that read the JSON: the
// crystal, the filter, the ladder, the response figures and the parts list,
// all as the outcome holds them.

#include "analysis/design_outcome.h"

#include <nlohmann/json.hpp>

namespace korvan::cli {

// null when the last calculation did not run to its end (no outcome).
nlohmann::ordered_json namedDesignJson(const analysis::DesignOutcome* outcome);

// {"6": ..., "20": ..., ...}: the values behind the bandwidth labels, null
// where a label shows none.
nlohmann::ordered_json labelBandwidthsJson(const analysis::LabelValues& bandwidthsHz);

} // namespace korvan::cli
