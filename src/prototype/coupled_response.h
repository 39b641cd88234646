#pragma once
// The response of coupled resonators in the normalised low-pass frame
// (w = 2 (f - f0) / BW): external q's at the ends, couplings k between
// neighbours, every resonator with the loss 1/qo. Independent of how the
// coefficients were found, so it checks them.

#include "prototype/coupled_resonator.h"
#include "prototype/polynomial.h"

#include <span>
#include <vector>

namespace korvan::prototype {

// S21 at w; qo = 0 is lossless.
Complex transmission(long double qe1, long double qen, std::span<const long double> k,
                     long double qo, long double w);
// The group delay at w, in units of 1/w (times BW/pi it is seconds x BW).
long double groupDelay(long double qe1, long double qen, std::span<const long double> k,
                       long double qo, long double w);

struct ResponseCurve {
    std::vector<double> w;
    std::vector<double> s21Db;
    std::vector<double> delay;
};

// The coefficients' response with resonators of the given qo (0: lossless)
// at points evenly spread over -wMax..wMax.
ResponseCurve responseCurve(const CoupledResonatorCoefficients& c, double qo, double wMax,
                            int points);

} // namespace korvan::prototype
