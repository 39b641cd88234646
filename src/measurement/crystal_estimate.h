#pragma once
// The first estimate of a crystal's parameters, read off its sweep: the
// peak of |S21| (fs, Rm), the 3 dB and 45 degree points (Lm), the
// parallel-resonance dip or the off-resonance admittance (Cp). It starts the
// least-squares fit and is what the fit must improve on.

#include "measurement/crystal_fit.h"

#include <complex>
#include <cstddef>
#include <optional>
#include <span>

namespace korvan::measurement {

struct CrystalEstimate {
    CrystalParameters crystal;
    double bandwidthHz = 0; // loaded 3 dB bandwidth of the estimate, > 0
    bool bothHalfPowerPoints = false;
    bool parallelResonance = false; // a dip above fs was found in the sweep
    std::size_t peakIndex = 0;
};

// Throws FitError when the sweep shows no resonance. The values are checked
// by the caller (finite, frequencies increasing, at least seven points).
CrystalEstimate estimateCrystal(std::span<const double> frequencyHz,
                                std::span<const std::complex<double>> s21, double r0Ohm,
                                std::optional<double> cpF);

} // namespace korvan::measurement
