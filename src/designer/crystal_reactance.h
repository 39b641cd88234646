#pragma once
// A lossless crystal's reactance from its four-element model (Lm, Cm in
// series, shunted by Cp) and the slope parameters a ladder design takes from
// it. Between fs and fp the crystal is inductive; a mesh pulls it up from fs
// by the capacitance in its loop.

#include "analysis/ladder_model.h"

namespace korvan::designer {

using analysis::Crystal;

// Series resonance 1/(2 pi sqrt(Lm Cm)) and parallel resonance
// fs sqrt(1 + Cm/Cp) [Hz]; fp is infinite without a holder capacitance.
double seriesResonanceHz(const Crystal& c);
double parallelResonanceHz(const Crystal& c);

// Reactance X [Ohm] of the lossless crystal at f Hz and its derivative
// dX/domega [H], analytic.
struct Reactance {
    double x = 0;
    double dxdw = 0;
};
Reactance crystalReactance(const Crystal& c, double fHz);

// The real part of the crystal's impedance at f Hz with its Rm [Ohm]: the
// loss a mesh sees, Rm raised by the holder capacitance towards fp.
double seriesResistanceOhm(const Crystal& c, double fHz);

// The slope inductance (1/2) dX/domega [H] at f Hz: the inductance of the
// series resonator that has the crystal's reactance slope there.
double slopeInductanceH(const Crystal& c, double fHz);

// The loop capacitance that makes a mesh of this crystal resonate at f Hz
// (X(f) = 1/(omega C)); nullopt-like 0 when f is not between fs and fp.
double loopCapacitanceF(const Crystal& c, double fHz);

// The frequency at which the crystal in series with `loopF` resonates,
// between fs and fp: the analysis's loop resonance of this one crystal.
double loopResonanceHz(const Crystal& c, double loopF);

} // namespace korvan::designer
