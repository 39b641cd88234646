#pragma once
// Motional parameters of a crystal measured in a series-through fixture: the
// crystal sits in series between port 1 and port 2, each port of resistance
// R0, so S21 = 2 R0 / (2 R0 + Z). Z is Rm + j w Lm + 1 / (j w Cm), shunted by
// the holder capacitance Cp. A first estimate is read off the sweep (peak,
// 3 dB and 45 degree points, parallel-resonance dip), then the model's
// complex S21 is fitted to the whole sweep by Levenberg-Marquardt.

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

struct CrystalFit {
    CrystalParameters estimate; // read off the sweep
    CrystalParameters fitted;   // after the least-squares fit
    double estimateResidualDb = 0;
    double residualDb = 0; // RMS of the |S21| misfit over the sweep, dB
    double loadedBandwidthHz = 0;
    int pointsIn3dB = 0;
    bool parallelResonanceInSweep = false;
    std::vector<std::string> warnings;
};

// Sweeps with no usable resonance, too few points or invalid values.
class FitError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Frequencies increasing; the same number of S21 values.
CrystalFit fitCrystal(std::span<const double> frequencyHz,
                      std::span<const std::complex<double>> s21, const FitOptions& options = {});

// RMS over the sweep of the dB difference between the model and the values.
double residualDbRms(const CrystalParameters& crystal, std::span<const double> frequencyHz,
                     std::span<const std::complex<double>> s21, double r0Ohm);

} // namespace korvan::measurement
