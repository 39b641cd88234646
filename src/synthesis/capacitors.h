#pragma once
// Coupling and tuning capacitors, offsets and the mesh frequency.

#include "model/stage_context.h"

namespace korvan::synthesis {

void calcCapacitances(StageContext& ctx); // ends by running displayCs
void displayCs(StageContext& ctx);

} // namespace korvan::synthesis
