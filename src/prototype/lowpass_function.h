#pragma once
// The all-pole low-pass function of a family, normalised to the 3 dB
// bandwidth: H(s) = K / D(s) with D monic, max |H(jw)| = 1,
// |H(jw)|^2 = 1 / (1 + F(w^2)) and |H(j1)|^2 = 1/2. F also tells where
// |S11| vanishes, which the ladder synthesis needs.

#include "prototype/family.h"
#include "prototype/polynomial.h"

#include <vector>

namespace korvan::prototype {

struct LowpassFunction {
    std::vector<Complex> poles;  // D's roots, all in the left half plane
    Polynomial denominator;      // D
    long double gainSquared = 1; // K^2
    // F in x = w^2; empty when all its roots are known (below).
    Polynomial characteristic;
    // F's roots known from the definition, exactly: x = 0 with this
    // multiplicity, and double roots x > 0 (|S21| = max on the j axis).
    int zerosAtDc = 0;
    std::vector<long double> doubleZeros;

    int order() const { return static_cast<int>(poles.size()); }
    // |H(jw)|^2 from the poles.
    long double magnitudeSquared(long double w) const;
};

// The family's function; the request is assumed valid (see prototype.h).
LowpassFunction lowpassFunction(Family family, int poles, double rippleDb);

// The function of these poles scaled to max |H| = 1 (frequency unchanged):
// F from |D|^2, its zero where |H| peaks.
LowpassFunction fromPoles(std::vector<Complex> poles);

// The poles' 3 dB frequency: the largest w where |H|^2 is half its peak.
long double halfPowerFrequency(const LowpassFunction& f);

} // namespace korvan::prototype
