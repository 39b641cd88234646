#pragma once
// Motional parameters of a crystal measured in a series-through fixture: the
// crystal sits in series between port 1 and port 2, each port of resistance
// R0, so S21 = 2 R0 / (2 R0 + Z) and S11 = Z / (2 R0 + Z). Z is
// Rm + j w Lm + 1 / (j w Cm), shunted by the holder capacitance Cp. A first
// estimate is read off the sweep, then the model's complex S21 (and S11
// where it was measured) is fitted to the whole sweep by Levenberg-Marquardt,
// each point weighted by the trace noise found in the data.

#include "measurement/trace_noise.h"

#include <complex>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvan::measurement {

struct CrystalParameters {
    double Lm_H = 0;
    double Cm_F = 0;
    double Rm_Ohm = 0;
    double Cp_F = 0;

    // Cm from fs and Lm.
    static CrystalParameters fromSeries(double fsHz, double lmH, double rmOhm, double cpF);

    double fs_Hz() const;
    double fp_Hz() const;
    double Qu() const; // unloaded: w Lm / Rm at fs
};

// The fixture's S21 of the four-element model at one frequency.
std::complex<double> seriesThroughS21(const CrystalParameters& crystal, double frequencyHz,
                                      double r0Ohm);

struct FitOptions {
    double r0Ohm = 50.0;
    // Holder capacitance known from elsewhere: used when the sweep holds no
    // parallel resonance to take it from.
    std::optional<double> cpF;
};

// How well a crystal's model explains the sweep.
struct FitQuality {
    // RMS over the points of |measured - model| / noise, the traces fitted
    // together: about 1 when the model explains all but the noise.
    double misfit = 0;
    // RMS of the |S21| misfit in dB over the points above the noise floor.
    double residualDb = 0;
};

// What became of S11 in the fit.
enum class S11Use {
    NotMeasured, // absent, or all zeros
    Used,
    LeftOut, // it disagrees with S21 (port 2's match, the fixture)
};

struct CrystalFit {
    CrystalParameters estimate; // read off the sweep
    CrystalParameters fitted;   // after the least-squares fit
    FitQuality estimateQuality;
    FitQuality quality;
    TraceNoise s21Noise;
    std::optional<TraceNoise> s11Noise; // when S11 took part in the fit
    S11Use s11 = S11Use::NotMeasured;
    int pointsBelowFloor = 0; // of S21, where the model lies below the floor
    double loadedBandwidthHz = 0;
    int pointsIn3dB = 0;
    bool parallelResonanceInSweep = false;
    std::vector<std::string> warnings;
};

// Above this misfit the model leaves more than the noise unexplained.
inline constexpr double kPoorFitMisfit = 2.0;

// Sweeps with no usable resonance, too few points or invalid values.
class FitError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Frequencies increasing; the same number of S21 values, and of S11 values
// when S11 is given (an empty span: not measured).
CrystalFit fitCrystal(std::span<const double> frequencyHz,
                      std::span<const std::complex<double>> s21,
                      std::span<const std::complex<double>> s11, const FitOptions& options = {});
CrystalFit fitCrystal(std::span<const double> frequencyHz,
                      std::span<const std::complex<double>> s21, const FitOptions& options = {});

} // namespace korvan::measurement
