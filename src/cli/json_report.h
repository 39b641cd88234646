#pragma once
// The design as one JSON object: the fields, the labels and their colours as
// the window shows them, the numbers of the design state, the message boxes
// and the files written, and what the outcome holds. Nothing is computed
// here. Numbers round-trip (shortest exact decimal).

#include "app/main_form.h"
#include "cli/stream_messages.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvan::cli {

// The main-window labels a calculation writes, in the window's numbering.
const std::vector<std::string>& calculatedLabels();
// Those of them whose font colour the calculation sets.
const std::vector<std::string>& colouredLabels();

// "#rrggbb".
std::string colourText(Rgb colour);

nlohmann::ordered_json designJson(const MainForm& form, const StreamMessages& messages,
                                  const std::vector<std::filesystem::path>& exported,
                                  bool withSweep);

} // namespace korvan::cli
