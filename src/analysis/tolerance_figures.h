#pragma once
// The loss of one ladder across a set of frequencies, computed fast enough
// for many thousand trials, and the figures read from it. The same code
// serves the nominal design, its standard-value version and every trial,
// so that they differ only where their element values differ.

#include "analysis/ladder_model.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace korvan::analysis {

enum Figure : int { kIL, kRipple, kBw3, kBw6, kBw20, kBw60, kCentreShift, kFigureCount };

// "IL_dB", "ripple_dB", "bw3_Hz", ...: the keys of the JSON report.
std::string_view figureKey(Figure figure);

struct ResponseFigures {
    // A bandwidth whose level is not crossed on both skirts inside the span
    // is left empty; the others are always there.
    std::array<std::optional<double>, kFigureCount> value;
    double centreHz = 0; // midpoint of the two 3 dB crossings
};

namespace detail {
struct ArmTerms {
    std::size_t first = 0, count = 0; // its crystals in the crystal list
    double invCs = 0, ck = 0;         // ck 0 after the last arm
};
struct CrystalTerms {
    double r, l, invC, cp;
};
} // namespace detail

// Scratch space of one thread, reused from ladder to ladder.
class LossSweep {
  public:
    // Frequencies in Hz (all > 0); a constant loss allowance (the sweep's
    // 0.05 dB for a low-Q crystal) is added to every sample.
    LossSweep(std::vector<double> frequencies, double allowanceDb);

    const std::vector<double>& frequencies() const { return f_; }

    // The loss -20 log10 |S21| + allowance at each frequency into `lossDb`
    // (as many values as frequencies). False when a sample is not finite
    // (a lossless crystal hit at resonance, an element of value 0).
    bool run(const LadderModel& model, std::span<double> lossDb);

  private:
    std::vector<double> f_, omega_, invOmega_, power_; // padded to whole blocks
    std::vector<detail::ArmTerms> arms_;
    std::vector<detail::CrystalTerms> crystals_;
    double allowanceDb_;
};

// The figures of one response sampled at the given frequencies, as
// passband_figures.h defines them: IL, ripple, the 3, 6, 20 and 60 dB
// bandwidths, and the centre shift (midpoint of the 3 dB crossings less
// `nominalCentreHz`). nullopt when the 3 dB band does not lie inside the
// span or a sample is not finite: such a response has no figures at all.
std::optional<ResponseFigures> responseFigures(std::span<const double> lossDb,
                                               std::span<const double> frequencies,
                                               double nominalCentreHz);

} // namespace korvan::analysis
