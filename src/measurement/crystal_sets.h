#pragma once
// Matched sets for a ladder filter: crystals whose series frequencies lie
// closest together, chosen from a measured batch, and judged against the
// bandwidth they are to make.

#include "measurement/crystal_batch.h"
#include "measurement/crystal_fit.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvan::measurement {

struct CrystalSet {
    std::vector<std::size_t> members; // indices into the batch, by rising fs
    double spreadHz = 0;              // highest fs less lowest fs
    // Set by judgeSets:
    double referenceBandwidthHz = 0;   // what the spread is judged against
    std::vector<std::size_t> outliers; // members, by index into the batch
    std::vector<std::string> warnings;
};

// Sets of `size` crystals: the window of `size` neighbours in fs order with
// the smallest spread is taken first, its crystals leave the pool, and so on
// while enough remain. Sets are disjoint and come best first.
std::vector<CrystalSet> matchSets(std::span<const double> fsHz, std::size_t size);

// The widest 3 dB bandwidth an equal-capacitor (Cohn) ladder of `poles` such
// crystals allows, in Hz (the main window's Bmax for that design).
double cohnMaximumBandwidthHz(const CrystalParameters& crystal, std::size_t poles);

// Warns where a set will not make the filter it is meant for:
// - its spread is large: above a tenth of the reference bandwidth, which is
//   `bandwidthHz` when given (the filter's 3 dB bandwidth), else the widest
//   bandwidth a Cohn ladder of the set's mean crystal allows;
// - it holds an outlier: a member whose fs lies farther from the set's
//   median than five robust standard deviations (1.4826 times the median
//   absolute deviation) and than a hundredth of the reference bandwidth.
// `crystals` is the batch the sets index.
void judgeSets(std::vector<CrystalSet>& sets, const std::vector<MeasuredCrystal>& crystals,
               std::optional<double> bandwidthHz);

// The mean crystal of a set: Lm, fs, Rm and Cp averaged, Cm from fs and Lm.
CrystalParameters meanCrystal(std::span<const CrystalParameters> crystals);

// The main window's crystal fields (Lm in mH, fs in kHz, Cp in pF, Rm in
// Ohm) as texts the field accepts: digits and the separator only, to 0.1 Hz
// and about seven digits for the rest.
struct CrystalFieldTexts {
    std::string lmMh, fsKhz, cpPf, rmOhm;
    // A whole matched set is a filter of that many poles; empty otherwise.
    std::string poles;
};
CrystalFieldTexts crystalFieldTexts(const CrystalParameters& crystal, char separator);

} // namespace korvan::measurement
