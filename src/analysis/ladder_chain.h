#pragma once
// The ladder as a chain of series impedances and shunt admittances between
// two resistive terminations, evaluated at many frequencies at once (four
// side by side in SIMD lanes). What does not change between evaluations is
// prepared once: the angular frequencies in a ChainGrid, the crystals' terms
// in a ChainPlan, whose tuning and coupling values a fit may then change in
// place. One pass gives the S-parameters and the group delay, or S21 and S11
// with their sensitivity to every element and to both terminations.

#include "analysis/ladder_model.h"

#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace korvan::analysis {

struct SParameters;

struct ChainCrystal {
    double rOhm, lH, invCmF, cpF; // Rm, Lm, 1/Cm, Cp
};

struct ChainStage {
    bool series = true;
    // Series: the crystals in parallel (crystals[first .. first + count)),
    // and the elastance 1/Cs of a capacitor in series with them (0: none).
    std::uint32_t firstCrystal = 0, crystalCount = 0;
    double elastance = 0;
    // Shunt: the capacitance from the node to ground.
    double capacitanceF = 0;
};

struct ChainPlan {
    std::vector<ChainCrystal> crystals;
    std::vector<ChainStage> stages; // from the source to the load
};

// Series arm 1, Ck12, series arm 2, ..., series arm n.
ChainPlan chainPlan(const LadderModel& model);

// Frequencies (all > 0) with what every evaluation needs of them, padded to
// whole blocks of lanes.
class ChainGrid {
  public:
    explicit ChainGrid(std::span<const double> fHz);
    std::size_t size() const { return size_; }
    std::size_t paddedSize() const { return omega_.size(); }
    const double* omega() const { return omega_.data(); }
    const double* invOmega() const { return invOmega_.data(); }

  private:
    std::vector<double> omega_, invOmega_;
    std::size_t size_ = 0;
};

// S11, S21, S12, S22 and the group delay at every frequency of the grid,
// the ports referred to z1Ohm and z2Ohm. `out` holds grid.size() values.
void chainSParameters(const ChainPlan& plan, const ChainGrid& grid, double z1Ohm, double z2Ohm,
                      std::span<SParameters> out);

// S21 and S11 only (no delay, no reverse direction): what a fit's trial
// step needs. Both spans hold grid.size() values.
void chainTransmission(const ChainPlan& plan, const ChainGrid& grid, double z1Ohm, double z2Ohm,
                       std::span<std::complex<double>> s21, std::span<std::complex<double>> s11);

// S21 and S11 with their derivatives: per stage k and frequency i, at
// [k * size + i], d ln S21 / dE and d S11 / dE, where E is the stage's
// impedance (series) or admittance (shunt), and for series stages dE / de,
// e an elastance added to the motional arm of each of its crystals (0 for
// shunt stages); per frequency the derivatives by ln z1 and ln z2.
struct ChainSensitivities {
    std::size_t size = 0;
    std::vector<std::complex<double>> s21, s11;
    std::vector<std::complex<double>> dLnS21, dS11, dMotional; // stage-major
    std::vector<std::complex<double>> dLnS21dLnZ1, dLnS21dLnZ2, dS11dLnZ1, dS11dLnZ2;
};
void chainSensitivities(const ChainPlan& plan, const ChainGrid& grid, double z1Ohm, double z2Ohm,
                        ChainSensitivities& out);

} // namespace korvan::analysis
