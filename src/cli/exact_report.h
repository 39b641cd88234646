#pragma once
// The exact figures of the designed ladder (continuous response, not the
// display span's samples) for the readable report and the JSON.

#include "app/main_form.h"

#include <nlohmann/json.hpp>

#include <ostream>

namespace korvan::cli {

// The "exact" object; null when the design stopped.
nlohmann::ordered_json exactJson(const MainForm& form);

// The report's own section; nothing when the design stopped.
void writeExactSection(std::ostream& out, const MainForm& form);

} // namespace korvan::cli
