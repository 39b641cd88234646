#pragma once
// Matched sets for a ladder filter: crystals whose series frequencies lie
// closest together, chosen from a measured batch.

#include "measurement/crystal_fit.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace korvan::measurement {

struct CrystalSet {
    std::vector<std::size_t> members; // indices into the batch, by rising fs
    double spreadHz = 0;              // highest fs less lowest fs
};

// Sets of `size` crystals: the window of `size` neighbours in fs order with
// the smallest spread is taken first, its crystals leave the pool, and so on
// while enough remain. Sets are disjoint and come best first.
std::vector<CrystalSet> matchSets(std::span<const double> fsHz, std::size_t size);

// The mean crystal of a set: Lm, fs, Rm and Cp averaged, Cm from fs and Lm.
CrystalParameters meanCrystal(std::span<const CrystalParameters> crystals);

// The main window's crystal fields (Lm in mH, fs in kHz, Cp in pF, Rm in
// Ohm) as texts the field accepts: digits and the separator only, to 0.1 Hz
// and about seven digits for the rest.
struct CrystalFieldTexts {
    std::string lmMh, fsKhz, cpPf, rmOhm;
};
CrystalFieldTexts crystalFieldTexts(const CrystalParameters& crystal, char separator);

} // namespace korvan::measurement
