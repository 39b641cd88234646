#pragma once
// The design by name and in SI units, for programs that read the JSON: the
// crystal, the filter, the ladder, the response figures and the parts list.

#include "app/main_form.h"

#include <nlohmann/json.hpp>

namespace korvan::cli {

// null when the last calculation did not run to its end (no design to name).
nlohmann::ordered_json namedDesignJson(const MainForm& form);

} // namespace korvan::cli
