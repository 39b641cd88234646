#pragma once
// Predistortion for resonators of finite unloaded Q: the loss 1/qo of every
// resonator turns the ladder's H(s) into H(s + 1/qo), so a ladder built for
// the poles moved right by 1/qo shows the family's lossless shape, lowered
// by the insertion loss that moving costs.

#include "prototype/lowpass_function.h"

namespace korvan::prototype {

// 1 / the smallest |real part| of the poles: below it a pole would cross
// into the right half plane.
long double minimumQo(const LowpassFunction& lossless);

// The function the lossless ladder must have (max |H| = 1); qo above the
// minimum.
LowpassFunction predistorted(const LowpassFunction& lossless, long double qo);

// What the lossy filter loses against the lossless one everywhere [dB].
long double insertionLossDb(const LowpassFunction& lossless, const LowpassFunction& predistorted);

} // namespace korvan::prototype
