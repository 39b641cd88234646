#pragma once
// Crystal equivalent circuit and Chebyshev prototype terms.

#include "model/stage_context.h"

namespace korvan::synthesis {

long double Sinh(long double x);
long double Cosh(long double x);
long double ArcSinh(long double x);
long double ArcCosh(long double x);

// Completes Lm/Cm, LmText/CmText and fp; writes Label7..Label10.
void calcXtalParms(StageContext& ctx);

// eps2, epsInv, sinhTerm, coshTerm from PBripple and Poles.
void calcBasicParms(DesignState& state);

} // namespace korvan::synthesis
