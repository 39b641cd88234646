#pragma once
// The coupled-resonator coefficients of a response family, normalised to the
// 3 dB bandwidth. Chebyshev and Butterworth come from the closed forms the
// main design uses, so both designs start from the same numbers.

#include "prototype/coupled_resonator.h"

#include <optional>
#include <string>
#include <string_view>

namespace korvan::designer {

enum class Family { Chebyshev, Butterworth };

// "chebyshev" or "butterworth", in any case.
std::optional<Family> familyFromName(std::string_view name);
std::string_view familyName(Family family);

// Lossless coefficients for 2..14 poles; the ripple [dB] counts for
// Chebyshev only (0 < ripple <= 3).
prototype::CoupledResonatorCoefficients familyCoefficients(Family family, int poles,
                                                           double rippleDb);

} // namespace korvan::designer
