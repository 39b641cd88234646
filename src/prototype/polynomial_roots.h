#pragma once
// All roots of a real polynomial (Aberth-Ehrlich iteration, then Newton
// polishing), conjugate pairs made exactly conjugate.

#include "prototype/polynomial.h"

#include <vector>

namespace korvan::prototype {

// Throws CalcError when the iteration does not settle (it is bounded).
std::vector<Complex> roots(std::span<const long double> p);

} // namespace korvan::prototype
