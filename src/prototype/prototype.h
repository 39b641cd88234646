#pragma once
// Low-pass prototypes of every response family as coupled-resonator
// coefficients, lossless or predistorted for resonators of a given qo:
// the request is checked, the family's function found, moved for the loss,
// and every ladder that realises it synthesised.
//
// The entry point for a ladder design: coefficients(request) gives the most
// balanced solution, solutions(request) all of them. Normalisation (Dishal,
// Zverev): q = Qe BW/f0, k = K f0/BW, qo = Qu BW/f0, BW the 3 dB bandwidth.

#include "prototype/coupled_resonator.h"
#include "prototype/family.h"

#include <optional>
#include <vector>

namespace korvan::prototype {

struct Request {
    Family family = Family::Butterworth;
    int poles = 4;
    double rippleDb = 0;      // Chebyshev only: kMinRippleDb..kMaxRippleDb
    std::optional<double> qo; // the resonators' qo; none: lossless
};

// Throws PrototypeError naming the allowed range: the pole count outside
// the family's, a ripple outside its range (or given to a family without
// one), qo at or below the family's minimum.
void validate(const Request& request);

// The smallest qo the family's shape can be kept at (exclusive). Needs a
// request valid apart from qo.
double minimumQo(const Request& request);

struct Prototype {
    Request request;
    double qoMin = 0;
    double insertionLossDb = 0; // 0 when lossless
    // How many distinct ladders realise the response (mirror images once);
    // it may change with qo.
    std::size_t solutionCount = 0;
    // All of them (q1 <= qn) or the first alone: the most balanced first,
    // by |ln(q1/qn)|.
    std::vector<CoupledResonatorCoefficients> solutions;

    const CoupledResonatorCoefficients& chosen() const { return solutions.front(); }
};

enum class Solutions { MostBalanced, All };

// Validates, then computes. Errors of the arithmetic (which the checks
// inside catch rather than return) are CalcError.
Prototype solutions(const Request& request, Solutions which = Solutions::All);

// The most balanced solution alone (cheaper than all of them).
CoupledResonatorCoefficients coefficients(const Request& request);

} // namespace korvan::prototype
