#pragma once
// Coupled-resonator coefficients of a low-pass prototype, normalised to the
// 3 dB bandwidth (q = Qe BW/f0, k = K f0/BW, qo = Qu BW/f0): what a ladder
// design takes from any response family, lossless or predistorted.

#include <vector>

namespace korvan::prototype {

struct CoupledResonatorCoefficients {
    // The end resonators' q, counting their own loss 1/qo when predistorted
    // (as published tables give it); the external q when lossless.
    double q1 = 0;
    double qn = 0;
    // The external q's the terminations must give: 1/(1/q - 1/qo).
    double qe1 = 0;
    double qen = 0;
    std::vector<double> k; // k12, k23, ..., k(n-1)n
    // The resonators' qo the coefficients were predistorted for; 0: lossless.
    double qo = 0;
    // The loss the predistortion costs [dB]; 0 when lossless.
    double insertionLossDb = 0;

    int poles() const { return static_cast<int>(k.size()) + 1; }
};

} // namespace korvan::prototype
