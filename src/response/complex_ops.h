#pragma once
// Complex arithmetic of the ladder analysis on pairs of extended reals, and
// the impedance of one crystal. Operands are passed as separate parts and
// results come back through two output arguments; the caller decides where a
// result is rounded to double, which is what fixes the last printed digit.

#include "model/design_state.h"

#include <cmath>

namespace korvan::response {

using Ext = long double;

inline Ext magnitudeK(Ext re, Ext im) {
    return std::sqrt(re * re + im * im);
}

// Magnitude, and the principal arctangent of im/re (no quadrant correction).
// With re exactly 0 the angle is left as it was.
inline void transR_P(Ext re, Ext im, Ext& magnitude, Ext& angle) {
    magnitude = magnitudeK(re, im);
    if (re != 0) angle = std::atan(im / re);
}

inline void addK(Ext aRe, Ext aIm, Ext bRe, Ext bIm, Ext& re, Ext& im) {
    re = aRe + bRe;
    im = aIm + bIm;
}

inline void multK(Ext aRe, Ext aIm, Ext bRe, Ext bIm, Ext& re, Ext& im) {
    const Ext r = aRe * bRe - aIm * bIm;
    const Ext i = aRe * bIm + aIm * bRe;
    re = r;
    im = i;
}

// 1/(re + j im). A zero operand is not guarded: it raises the division fault
// (or an invalid operation for 0/0) that the caller's fp::check reports.
inline void invtK(Ext re, Ext im, Ext& outRe, Ext& outIm) {
    const Ext d = re * re + im * im;
    const Ext r = re / d;
    const Ext i = -im / d;
    outRe = r;
    outIm = i;
}

// Raises the division-by-zero fault of a crystal analysed at 0 Hz.
[[noreturn]] void zeroFrequencyFault();

// The crystal (Rm, Lm, Cm in series, shunted by Cp) at angular frequency
// omega, in extended precision.
inline void crystalZ(const DesignState& state, Ext omega, Ext rm, Ext& zRe, Ext& zIm) {
    // At a zero frequency the division by zero is the fault to report, not
    // the invalid operations it would cascade into further down.
    const Ext omegaCm = omega * state.Cm;
    if (omegaCm == 0) zeroFrequencyFault();
    const Ext x = omega * state.Lm - 1.0L / omegaCm;
    Ext ymRe, ymIm;
    invtK(rm, x, ymRe, ymIm);
    Ext yRe, yIm;
    addK(ymRe, ymIm, 0, omega * state.Cp, yRe, yIm);
    invtK(yRe, yIm, zRe, zIm);
}

// crystalZ at state.omega, rounded into ZxRe/ZxIm, and the half impedance of
// two crystals in parallel into ZxHalfRe/ZxHalfIm. A zero frequency throws
// FloatingPointError (division by zero).
void xtalZ(DesignState& state, Ext rm);

} // namespace korvan::response
