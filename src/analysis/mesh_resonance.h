#pragma once
// The resonance of one mesh of a ladder: the loop of its crystals (lossless,
// each with its holder capacitance), its tuning capacitor and the coupling
// capacitors on both sides, with the neighbouring arms open. An end mesh
// closes through its termination, which adds no reactance. This is the
// frequency a builder aligns each mesh to.

#include "analysis/ladder_model.h"

#include <cstddef>
#include <optional>

namespace korvan::analysis {

// Mesh `arm` (0-based, from the source). nullopt when the arm holds no
// crystal or a value that gives no resonance (not above 0, not finite).
std::optional<double> meshResonanceHz(const LadderModel& model, std::size_t arm);

} // namespace korvan::analysis
