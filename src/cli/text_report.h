#pragma once
// The readable report: what the main window shows after the calculation,
// group by group, with the labels' own texts, then the outcome's exact
// figures and parts list. Nothing is computed here.

#include "app/main_form.h"

#include <filesystem>
#include <ostream>
#include <vector>

namespace korvan::cli {

void writeTextReport(std::ostream& out, const MainForm& form,
                     const std::vector<std::filesystem::path>& exported, bool withSweep);

} // namespace korvan::cli
