#pragma once
// Figures derived from the sweep: insertion loss, bandwidths, ultimate
// attenuation.

#include "model/stage_context.h"

namespace korvan::response {

// ILmin and Label91; the last step of every sweep.
void insertionLoss(StageContext& ctx);

// Label21..Label26 (6..100 dB); runs once per calculation. A level whose
// skirt offers no pair of samples around it keeps "----   ".
void findBandwidths(StageContext& ctx);

// UltAttn, UltAttnLineY, Label84..Label86 and their colour.
void ultimateAttenuation(StageContext& ctx);

// Row of the attenuation line in the 10 dB/div scale: nint(5*UltAttn) + 3,
// halves to the even neighbour.
int ultAttnLineRow(float ultAttn);

} // namespace korvan::response
