#pragma once
// The Info window's background: a vertical gradient, one solid strip per
// pixel row, each component interpolated in floating point and rounded to
// the nearest integer (halves to even). The last row stays just short of the
// bottom colour.

#include "model/design_state.h"

#include <vector>

namespace korvan::tools {

inline constexpr Rgb kInfoTopColour{0, 0, 255};
inline constexpr Rgb kInfoBottomColour{144, 255, 176};

// Colour of row y (0 = top) of a rectangle `height` rows high; height > 0.
Rgb gradientRow(Rgb top, Rgb bottom, int y, int height);

// One colour per row from top to bottom - 1; empty when bottom <= top.
std::vector<Rgb> gradientRows(Rgb top, Rgb bottom, int topRow, int bottomRow);

} // namespace korvan::tools
