#pragma once
// The "Cursor Values" read-out of the plot: the frequency and the three
// response values of the sample under the mouse column.

#include "model/design_state.h"
#include "response/gui/plot_geometry.h"

#include <optional>
#include <string>

namespace korvan::response {

struct CursorReadout {
    std::string frequency; // Label83
    std::string s21;       // Panel5
    std::string s11;       // Panel9
    std::string vswr;      // Panel10
};

// The texts for mouse column `x` of the plot area, or nothing where the
// read-out keeps its texts (the right frame column, and the left one, which
// has no sample of its own). The frequency follows the span of the drawn
// sweep, not the span field, which the user may have edited since.
std::optional<CursorReadout> cursorReadout(const DesignState& state, int x, char separator);

// The texts shown once the mouse has left the plot area.
CursorReadout idleCursorReadout();

} // namespace korvan::response
