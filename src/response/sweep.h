#pragma once
// The ladder analysed at one frequency and swept across the display span.

#include "app/stage_context.h"

namespace korvan::response {

// One analysis at state.fEval: Zx, chain reduction, S11dB, VSWR, S21dB.
// The crystal loss Rm is passed in (the text of AEdit8 converted).
void calcCLadder(DesignState& state, long double rm);

// The 501-sample sweep, Label90 (Qu) and the insertion loss (ILmin, Label91).
// An empty AEdit8 is replaced by "0" first.
void generateResponseArrays(StageContext& ctx);

} // namespace korvan::response
