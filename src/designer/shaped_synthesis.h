#pragma once
// The per-position synthesis with a family's coefficients, lossless or
// predistorted. Predistortion takes the crystals' mean qo = Qu BW/f0, each
// crystal's Qu from its loss at the design frequency; since where the band
// lies depends on the coefficients and qo on where the band lies, the two
// are brought to their fixed point in a few passes.

#include "designer/ladder_synthesis.h"
#include "designer/response_shape.h"

#include <optional>
#include <span>
#include <string_view>

namespace korvan::designer {

enum class Compensation { None, Bandwidth, Predistort };
std::string_view compensationName(Compensation c); // "none", "bandwidth", "predistort"

// What predistortion took from the crystals and what it costs.
struct Predistortion {
    double meanQo = 0;          // the crystals' mean qo = Qu BW/f0 at the design frequency
    double meanQu = 0;          // their mean unloaded Q there
    double minimumQo = 0;       // the family's minimum (exclusive)
    double prototypeLossDb = 0; // the insertion loss of the predistorted prototype
};

struct ShapedSynthesis {
    prototype::CoupledResonatorCoefficients coefficients; // as synthesised with
    std::optional<LadderElements> elements;               // nullopt: the bandwidth is too wide
    std::optional<Predistortion> predistortion;           // predistort only
};

// The crystals' mean qo and mean Qu in a synthesised ladder, each from the
// reactance its mesh spans over one normalised unit (2 pi BW Leff) against
// the crystal's loss at the design frequency.
struct QualityFactors {
    double qo = 0, qu = 0;
};
QualityFactors meanQualityFactors(const LadderElements& e,
                                  std::span<const analysis::Crystal> crystals, double bandwidthHz);

// `lossless`: the shape's lossless coefficients for these crystals (the
// caller computes them once). Only Predistort changes them. DesignError,
// naming the crystals' Qu and the family's minimum qo, when they lose too
// much.
ShapedSynthesis synthesiseShape(const ResponseShape& shape,
                                const prototype::CoupledResonatorCoefficients& lossless,
                                Compensation compensation,
                                std::span<const analysis::Crystal> crystals, double bandwidthHz,
                                int reference);

} // namespace korvan::designer
