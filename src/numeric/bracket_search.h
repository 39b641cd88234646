#pragma once
// Searches on a bracket that always end: every loop has a bound on its
// iterations, and a bracket counts as closed once it is narrower than the
// absolute tolerance asked for or than a few units in the last place of its
// ends (near 1e14 Hz neighbouring doubles lie 0.016 Hz apart: a 0.01 Hz
// tolerance alone would never be reached there).

#include <functional>

namespace korvan::numeric {

// Enough halvings to close any bracket of finite doubles.
inline constexpr int kMaxBracketSteps = 2200;

// Whether [a, b] is closed: |b - a| <= absTolerance, or within 8 units in
// the last place of the larger end.
bool bracketClosed(double a, double b, double absTolerance);

// Where g changes sign in [a, b] (g(a) < 0 <= g(b) or the reverse), by
// bisection: the middle of the closed bracket.
double bisectSignChange(const std::function<double(double)>& g, double a, double b,
                        double absTolerance);

// The minimum of h in [a, b] by golden section (h unimodal there): the
// middle of the closed bracket.
double goldenSectionMinimum(const std::function<double(double)>& h, double a, double b,
                            double absTolerance);

} // namespace korvan::numeric
