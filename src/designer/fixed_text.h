#pragma once
// Numbers in the designer's texts, files and windows: fixed decimals with
// the separator given, whatever the process locale (the window's Qt sets
// the user's) and whatever floating-point flags earlier work left.

#include <charconv>
#include <cmath>
#include <string>

namespace korvan::designer {

inline std::string fixedText(double value, int decimals, char separator = '.') {
    if (!std::isfinite(value)) return "-";
    char text[400];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    std::string out(text, end.ptr);
    if (out.find_first_not_of("-0.") == std::string::npos && out.front() == '-')
        out.erase(0, 1); // no "-0.0"
    for (char& c : out)
        if (c == '.') c = separator;
    return out;
}

} // namespace korvan::designer
