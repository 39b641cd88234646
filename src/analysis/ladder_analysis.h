#pragma once
// Complex S-parameters of a ladder and their derivative with frequency,
// from the chain (ABCD) matrix of the two-port between the terminations
// (evaluated by analysis/ladder_chain, four frequencies at a time).
// This is the plain circuit: no display allowance is added to any loss.

#include "analysis/ladder_model.h"

#include <complex>
#include <span>
#include <vector>

namespace korvan::analysis {

using Complex = std::complex<double>;

// Port reference resistances; the ladder's own terminations by default.
struct PortReference {
    double port1Ohm = 0;
    double port2Ohm = 0;
};
PortReference terminations(const LadderModel& model);

struct SParameters {
    Complex s11, s21, s12, s22;
    // Group delay -dphi/domega of S21 [s], from the analytic derivative of
    // the chain; exact up to rounding.
    double groupDelayS = 0;
};

// The two-port at f Hz (f > 0). A lossless crystal hit exactly at its
// series resonance, or an element of value 0 where one is needed, gives
// non-finite parts: callers check with isFinite().
SParameters analyseLadder(const LadderModel& model, double fHz, const PortReference& reference);
inline SParameters analyseLadder(const LadderModel& model, double fHz) {
    return analyseLadder(model, fHz, terminations(model));
}

// The same at many frequencies at once (vectorised, the ladder prepared
// once): what sweeps and searches should call. `out` holds fHz.size() values.
void analyseLadder(const LadderModel& model, std::span<const double> fHz,
                   const PortReference& reference, std::span<SParameters> out);
std::vector<SParameters> analyseLadder(const LadderModel& model, std::span<const double> fHz,
                                       const PortReference& reference);

bool isFinite(const SParameters& s);

// 20 log10 |x|.
double magnitudeDb(Complex x);

} // namespace korvan::analysis
