#pragma once
// All roots of a real polynomial (Aberth-Ehrlich iteration, then Newton
// polishing), conjugate pairs made exactly conjugate.

#include "prototype/polynomial.h"

#include <vector>

namespace korvan::prototype {

// Throws CalcError when the iteration does not settle (it is bounded).
// exactPolish: a last Newton step evaluated in quadruple precision, for
// polynomials whose coefficients are exact and whose roots are crowded
// (Bessel's), so that the roots are right to the last extended digit.
std::vector<Complex> roots(std::span<const long double> p, bool exactPolish = false);

} // namespace korvan::prototype
