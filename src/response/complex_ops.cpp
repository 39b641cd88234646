#include "response/complex_ops.h"

#include "numeric/errors.h"
#include "numeric/fp_check.h"

namespace korvan::response {

void xtalZ(DesignState& state, Ext rm) {
    const Ext omega = state.omega;
    // At a zero frequency the division by zero is the fault to report, not
    // the invalid operations it would cascade into further down.
    const Ext omegaCm = omega * state.Cm;
    if (omegaCm == 0) throw FloatingPointError(fp::kDivisionByZero);
    const Ext x = omega * state.Lm - 1.0L / omegaCm;
    Ext ymRe, ymIm;
    invtK(rm, x, ymRe, ymIm);
    Ext yRe, yIm;
    addK(ymRe, ymIm, 0, omega * state.Cp, yRe, yIm);
    Ext zRe, zIm;
    invtK(yRe, yIm, zRe, zIm);
    state.ZxRe = static_cast<double>(zRe);
    state.ZxIm = static_cast<double>(zIm);
    state.ZxHalfRe = static_cast<double>(0.5L * zRe);
    state.ZxHalfIm = static_cast<double>(0.5L * zIm);
}

} // namespace korvan::response
