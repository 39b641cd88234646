#pragma once
// Standard capacitor values: the IEC 60063 E-series, and the nearest value
// (or the nearest pair of two values in parallel) to a designed capacitor.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace korvan::analysis {

enum class ESeries { E6, E12, E24, E48, E96 };

// "E6" .. "E96".
std::string_view seriesName(ESeries series);
std::optional<ESeries> seriesFromName(std::string_view name); // case-insensitive

// The mantissas of one decade, in hundredths (100 = 1.00 .. 976 = 9.76).
std::span<const int> seriesMantissas(ESeries series);

// The series value nearest to `value` (any positive magnitude, in any unit),
// searched across the decade edges. Nearest means the smallest absolute
// difference, which for a fixed target is also the smallest relative error.
// 0 for a value that is not positive and finite.
double nearestValue(double value, ESeries series);

// Two series values to be soldered in parallel.
struct ParallelPair {
    double larger = 0;
    double smaller = 0;
    double sum() const { return larger + smaller; }
};

// The pair whose sum is nearest to `value`. The smaller value is kept within
// one decade of the larger (larger/10 <= smaller <= larger): without that
// bound a tiny second capacitor would always make up any remainder, which is
// no part anyone would fit. Equal sums prefer the larger first value.
// Both 0 for a value that is not positive and finite.
ParallelPair nearestPair(double value, ESeries series);

} // namespace korvan::analysis
