#pragma once
// The noise of a VNA trace: a part that scales with the value (trace noise,
// a relative error of gain and phase) and an absolute floor (the receiver's
// noise, which fills a deep notch). Both are read from the data themselves.

#include <complex>
#include <span>

namespace korvan::measurement {

struct TraceNoise {
    double relative = 0; // RMS of the complex noise relative to the value
    double floor = 0;    // RMS of the additive complex noise, linear

    // Expected |noise|^2 at a point whose value has this magnitude.
    double variance(double magnitude) const {
        return relative * relative * magnitude * magnitude + floor * floor;
    }
};

// From the point-to-point scatter of `residual` (the measured trace less a
// model close to it, so that what is left is smooth apart from the noise):
// second differences, spacing-aware, matched to the model's magnitudes by
// the maximum likelihood of their squares. Needs at least three points;
// frequencies increasing.
TraceNoise estimateTraceNoise(std::span<const double> frequencyHz,
                              std::span<const std::complex<double>> residual,
                              std::span<const double> modelMagnitude);

} // namespace korvan::measurement
