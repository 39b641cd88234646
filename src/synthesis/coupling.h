#pragma once
// Normalized coupling coefficients k and 1/q1 of the low-pass prototype.

#include "model/stage_context.h"

namespace korvan::synthesis {

// The constant QER tables QerK and QerZ (pole counts 4..14).
void fillQerTables(DesignState& state);

// k[1..n-1] and q1inv of the Chebyshev (PBripple > 0) or Butterworth
// prototype with Poles poles, nothing else.
void normalizedCoefficients(DesignState& state);

// k[1..n-1] and q1inv; ends by running calcFmImp.
void couplingCoefficients(StageContext& ctx);

// The equal coupling parameter of the Cohn and QER types.
long double equalCoupling(const DesignState& state);

} // namespace korvan::synthesis
