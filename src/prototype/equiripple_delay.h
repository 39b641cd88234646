#pragma once
// All-pole denominators whose phase follows a straight line with an
// equiripple error: arg D(jw) - w swings n times between -error and
// +error (unit delay, D(0) = 1) before it falls away, the last swing up.
// Small errors tend to the Bessel polynomial (error 0).

#include "prototype/polynomial.h"

namespace korvan::prototype {

// The denominator of n poles (2..14) for a phase error in radians; the
// exchange iteration is bounded and throws CalcError if it does not settle.
Polynomial equirippleDelayDenominator(int poles, long double phaseErrorRad);

} // namespace korvan::prototype
