#include "response/complex_ops.h"

#include "numeric/errors.h"
#include "numeric/fp_check.h"

namespace korvan::response {

void zeroFrequencyFault() {
    throw FloatingPointError(fp::kDivisionByZero);
}

void xtalZ(DesignState& state, Ext rm) {
    Ext zRe, zIm;
    crystalZ(state, state.omega, rm, zRe, zIm);
    state.ZxRe = static_cast<double>(zRe);
    state.ZxIm = static_cast<double>(zIm);
    state.ZxHalfRe = static_cast<double>(0.5L * zRe);
    state.ZxHalfIm = static_cast<double>(0.5L * zIm);
}

} // namespace korvan::response
