#pragma once
// The resonance of one mesh of a ladder: the loop of its crystals (lossless,
// each with its holder capacitance), its tuning capacitor and the coupling
// capacitors on both sides, with the neighbouring arms open. An end mesh
// closes through its termination, which adds no reactance. This is the
// frequency a builder aligns each mesh to.

#include "analysis/ladder_model.h"

#include <cstddef>
#include <optional>
#include <span>

namespace korvan::analysis {

// The resonance of lossless crystals in parallel, in series with an outside
// elastance [1/F] (the sum of 1/C of the capacitors in the loop; negative
// pulls the loop below the lowest fs). Found to a relative 1e-13 within a
// bounded number of steps; nullopt for a crystal value that is not above 0
// or not finite, or no crystal.
std::optional<double> loopResonanceHz(std::span<const Crystal> crystals, double outsideElastance);

// Mesh `arm` (0-based, from the source). nullopt when the arm holds no
// crystal or a value that gives no resonance (not above 0, not finite).
std::optional<double> meshResonanceHz(const LadderModel& model, std::size_t arm);

} // namespace korvan::analysis
