#pragma once
// A measured batch as CSV rows, the same from korvan-cli and from the window,
// with '.' decimals whatever the user's locale, so other programs read it.

#include "measurement/crystal_batch.h"
#include "measurement/crystal_sets.h"

#include <string>
#include <vector>

namespace korvan::measurement {

// Header "file,fs_Hz,fp_Hz,Lm_H,Cm_F,Rm_Ohm,Cp_F,Qu,residual_dB,set,warnings",
// then one row per crystal in the batch's order; "set" counts from 1.
std::string crystalsCsv(const Batch& batch, const std::vector<CrystalSet>& sets);

} // namespace korvan::measurement
