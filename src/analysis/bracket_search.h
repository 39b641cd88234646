#pragma once
// Searches inside a bracket of two frequencies, for the figures that are
// read off a continuous response. Each ends for any input: after a bounded
// number of steps, or once the bracket is narrower than a tolerance that
// grows with the frequency (neighbouring doubles above about 1e13 Hz lie
// further apart than any fixed fraction of a hertz).

#include <functional>

namespace korvan::analysis {

// Brackets end narrower than this at ordinary frequencies [Hz].
inline constexpr double kBracketToleranceHz = 0.005;

// The tolerance at frequency f: kBracketToleranceHz, or a few units in the
// last place of f where those are wider.
double bracketTolerance(double fHz);

// Where g changes sign between a and b (g(a) and g(b) of different signs,
// a sign taken as g < 0 or not; a non-finite g counts as not below 0).
double findCrossing(const std::function<double(double)>& g, double a, double b);

// Where h has its smallest value between a and b (h unimodal there), by
// golden section. A non-finite h counts as larger than any number.
double findMinimum(const std::function<double(double)>& h, double a, double b);

} // namespace korvan::analysis
