#pragma once
// The readable report: what the main window shows after the calculation,
// group by group, with the labels' own texts.

#include "app/main_form.h"

#include <ostream>

namespace korvan::cli {

void writeTextReport(std::ostream& out, const MainForm& form, bool withSweep);

} // namespace korvan::cli
