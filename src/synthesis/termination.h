#pragma once
// Maximum bandwidth, centre frequency and termination impedance.

#include "model/stage_context.h"

namespace korvan::synthesis {

// The widest 3 dB bandwidth a ladder allows: where the root of the
// centre-frequency formula vanishes. S is the coupling sum of the type (the
// equal coupling for Cohn and QER), D = fp - fs in Hz.
long double maximumBandwidth(long double S, long double D, bool equalCouplings);

void calcFmImp(StageContext& ctx);
void maxBandwidth(StageContext& ctx);
void calcCplImp(StageContext& ctx); // Cohn and QER only

} // namespace korvan::synthesis
