#include "tools/gradient.h"

#include <cmath>

namespace korvan::tools {

namespace {

std::uint8_t component(int top, int bottom, int y, int height) {
    const double value = static_cast<double>(bottom - top) * y / height + top;
    return static_cast<std::uint8_t>(std::nearbyint(value));
}

} // namespace

Rgb gradientRow(Rgb top, Rgb bottom, int y, int height) {
    return {component(top.r, bottom.r, y, height), component(top.g, bottom.g, y, height),
            component(top.b, bottom.b, y, height)};
}

std::vector<Rgb> gradientRows(Rgb top, Rgb bottom, int topRow, int bottomRow) {
    std::vector<Rgb> rows;
    const int height = bottomRow - topRow;
    if (height <= 0) return rows;
    rows.reserve(static_cast<std::size_t>(height));
    // The row index counts from the top of the client area, which is the
    // rectangle's top.
    for (int y = topRow; y < bottomRow; ++y) rows.push_back(gradientRow(top, bottom, y, height));
    return rows;
}

} // namespace korvan::tools
