#pragma once
// Where the plot area lies inside the plot panel, and its size.

namespace korvan::response {

inline constexpr int kPlotTop = 6;
inline constexpr int kPlotLeft = 40;
inline constexpr int kPlotW = 502; // the area is kPlotW + 1 pixels wide, columns 0..502
inline constexpr int kPlotH = 502; // and kPlotH + 1 pixels high

} // namespace korvan::response
