#pragma once
// The designed ladder of the main form as the analysis model, for the
// exports and the response window.

#include "analysis/ladder_model.h"
#include "app/main_form.h"

#include <optional>

namespace korvan {

struct DesignLadder {
    analysis::LadderModel model;
    double rmOhm = 0;
};

// nullopt when the last calculation did not run to its end (a rejected
// input or a fault): a stopped design has nothing to export. Rm is the
// loss field's text as the sweep reads it, empty meaning 0.
std::optional<DesignLadder> designLadder(const MainForm& form);

} // namespace korvan
