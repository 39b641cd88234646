#pragma once
// Maximum bandwidth, centre frequency and termination impedance.

#include "model/stage_context.h"

namespace korvan::synthesis {

void calcFmImp(StageContext& ctx);
void maxBandwidth(StageContext& ctx);
void calcCplImp(StageContext& ctx); // Cohn and QER only

} // namespace korvan::synthesis
