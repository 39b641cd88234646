#pragma once
// Per-position synthesis of a crystal ladder: every mesh has its own crystal,
// the couplings and terminations follow from each crystal's own slope, and
// one reference mesh, which needs no tuning capacitor, fixes where the band
// lies. Two ways to linearise the crystals:
//  - Slope: each crystal's slope inductance (1/2) dX/domega at the design
//    frequency, every mesh resonating at that frequency (the published
//    method);
//  - BandEdge: each mesh's reactance matched to the prototype at both
//    wanted 3 dB edges, so that the crystals' curvature (their parallel
//    resonance lies only a few bandwidths above) no longer shifts the band
//    or narrows it.

#include "analysis/ladder_model.h"
#include "prototype/coupled_resonator.h"

#include <optional>
#include <span>
#include <vector>

namespace korvan::designer {

enum class Linearisation { Slope, BandEdge };

struct SynthesisInput {
    std::span<const analysis::Crystal> crystals; // in ladder order
    const prototype::CoupledResonatorCoefficients* coefficients = nullptr;
    double bandwidthHz = 0; // the 3 dB bandwidth the coefficients are scaled to
    int reference = 0;      // 0-based position of the mesh without a capacitor
};

// Element values from the source to the load.
struct LadderElements {
    // Slope: the design frequency, at which every mesh resonates. BandEdge:
    // the middle of the band aimed at.
    double designHz = 0;
    double bandLowHz = 0, bandHighHz = 0; // BandEdge: the edges aimed at
    double sourceOhm = 0, loadOhm = 0;
    std::vector<double> couplingF;
    // 1/C of each mesh's whole loop capacitance (its Cs and the coupling
    // capacitors on both sides in series) [1/F].
    std::vector<double> loopElastance;
    // 1/Cs [1/F]: 0 at the reference; negative where the crystal's mesh
    // resonates above the mesh frequency even without a capacitor.
    std::vector<double> tuningElastance;
    std::vector<double> slopeH; // the slope inductance each mesh was designed with

    // The ladder with these values; crystals with their Rm, or lossless.
    analysis::LadderModel ladder(std::span<const analysis::Crystal> crystals, bool withLoss) const;
    // The positions (0-based) whose Cs would have to be negative.
    std::vector<int> unreachable() const;
    // 1/(1/Ck left + 1/Ck right): the loop capacitance without a Cs.
    double couplingElastance(int position) const;
};

// nullopt when no band position lets the reference mesh go without a
// capacitor: the bandwidth is too wide for the crystals.
std::optional<LadderElements> synthesise(const SynthesisInput& input, Linearisation method);

} // namespace korvan::designer
