#include "analysis/e_series.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <vector>

namespace korvan::analysis {

namespace {

constexpr std::array<int, 6> kE6{100, 150, 220, 330, 470, 680};
constexpr std::array<int, 12> kE12{100, 120, 150, 180, 220, 270, 330, 390, 470, 560, 680, 820};
constexpr std::array<int, 24> kE24{100, 110, 120, 130, 150, 160, 180, 200, 220, 240, 270, 300,
                                   330, 360, 390, 430, 470, 510, 560, 620, 680, 750, 820, 910};
constexpr std::array<int, 48> kE48{100, 105, 110, 115, 121, 127, 133, 140, 147, 154, 162, 169,
                                   178, 187, 196, 205, 215, 226, 237, 249, 261, 274, 287, 301,
                                   316, 332, 348, 365, 383, 402, 422, 442, 464, 487, 511, 536,
                                   562, 590, 619, 649, 681, 715, 750, 787, 825, 866, 909, 953};
constexpr std::array<int, 96> kE96{
    100, 102, 105, 107, 110, 113, 115, 118, 121, 124, 127, 130, 133, 137, 140, 143,
    147, 150, 154, 158, 162, 165, 169, 174, 178, 182, 187, 191, 196, 200, 205, 210,
    215, 221, 226, 232, 237, 243, 249, 255, 261, 267, 274, 280, 287, 294, 301, 309,
    316, 324, 332, 340, 348, 357, 365, 374, 383, 392, 402, 412, 422, 432, 442, 453,
    464, 475, 487, 499, 511, 523, 536, 549, 562, 576, 590, 604, 619, 634, 649, 665,
    681, 698, 715, 732, 750, 768, 787, 806, 825, 845, 866, 887, 909, 931, 953, 976};

// Mantissa m (hundredths) times 10^exponent, formed so that 33 pF comes out
// as the double nearest 33e-12 rather than 3.3 * 10^-11 with two roundings.
double valueOf(int mantissa, int exponent) {
    const int e = exponent - 2;
    return e >= 0 ? mantissa * std::pow(10.0, e) : mantissa / std::pow(10.0, -e);
}

// The series values of the decades around `value`, ascending.
std::vector<double> candidates(double value, ESeries series, int decadesBelow) {
    const int decade = static_cast<int>(std::floor(std::log10(value)));
    std::vector<double> all;
    for (int e = decade - decadesBelow; e <= decade + 1; ++e)
        for (int m : seriesMantissas(series)) all.push_back(valueOf(m, e));
    return all;
}

bool usable(double value) {
    return std::isfinite(value) && value > 0;
}

} // namespace

std::string_view seriesName(ESeries series) {
    switch (series) {
    case ESeries::E6:
        return "E6";
    case ESeries::E12:
        return "E12";
    case ESeries::E24:
        return "E24";
    case ESeries::E48:
        return "E48";
    case ESeries::E96:
        break;
    }
    return "E96";
}

std::optional<ESeries> seriesFromName(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (ESeries s : {ESeries::E6, ESeries::E12, ESeries::E24, ESeries::E48, ESeries::E96})
        if (seriesName(s) == upper) return s;
    return std::nullopt;
}

std::span<const int> seriesMantissas(ESeries series) {
    switch (series) {
    case ESeries::E6:
        return kE6;
    case ESeries::E12:
        return kE12;
    case ESeries::E24:
        return kE24;
    case ESeries::E48:
        return kE48;
    case ESeries::E96:
        break;
    }
    return kE96;
}

double nearestValue(double value, ESeries series) {
    if (!usable(value)) return 0;
    double best = 0;
    for (double v : candidates(value, series, 1))
        if (best == 0 || std::abs(v - value) < std::abs(best - value)) best = v;
    return best;
}

ParallelPair nearestPair(double value, ESeries series) {
    if (!usable(value)) return {};
    // Four decades hold every pair whose sum can come near the target.
    const std::vector<double> all = candidates(value, series, 2);
    ParallelPair best;
    double bestError = 0;
    for (auto big = all.rbegin(); big != all.rend(); ++big) {
        for (double small : all) {
            if (small > *big || small * 10 < *big * (1 - 1e-12)) continue;
            const double error = std::abs(*big + small - value);
            if (best.larger == 0 || error < bestError - 1e-9 * value) {
                best = {*big, small};
                bestError = error;
            }
        }
    }
    return best;
}

} // namespace korvan::analysis
