#pragma once
// The ladder analysed at one frequency and swept across the display span.

#include "model/stage_context.h"

#include <vector>

namespace korvan::response {

// Sample k of the sweep lies at fStart + k*fStep (Hz).
struct SweepGrid {
    double fStart = 0;
    double fStep = 0;
};
SweepGrid sweepGrid(const DesignState& state);

// The frequencies of the 501 samples [Hz], accumulated step by step as the
// sweep accumulates them.
std::vector<double> sweepFrequencies(const DesignState& state);

// What every loss sample of the sweep carries beyond the plain ladder [dB]:
// 0.05 for a crystal whose unloaded Q lies below 300 000, else 0.
long double lossAllowanceDb(double qu);

// Rm from the text of AEdit8 (throws ConversionError for a text that is not
// a number).
long double crystalLoss(const StageContext& ctx);

// One analysis at state.fEval: Zx, chain reduction, S11dB, VSWR, S21dB.
// The crystal loss Rm is passed in (the text of AEdit8 converted).
// A zero frequency throws FloatingPointError (division by zero); other faults
// are left in the status flags for the caller's fp::check.
void calcCLadder(DesignState& state, long double rm);

// The 501-sample sweep, Label90 (Qu) and the insertion loss (ILmin, Label91).
// An empty AEdit8 is replaced by "0" first. A fault raises FloatingPointError
// and leaves the arrays of the previous sweep untouched.
void generateResponseArrays(StageContext& ctx);

} // namespace korvan::response
