#pragma once
// What a reader of the exact figures should be told rather than left to
// work out: a 3 dB bandwidth well off the one the design was made for
// (lossy crystals narrow the pass band), and dips that split the pass band.
// The response window, the readable report and the JSON all show these
// same sentences.

#include "analysis/exact_figures.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace korvan::analysis {

// The obtained 3 dB bandwidth may differ from the asked one by this share
// before a note says so.
inline constexpr double kBandwidthNoteShare = 0.05;

struct BandwidthCheck {
    double askedHz = 0;
    double obtainedHz = 0;
    double deviationPct() const { return 100 * (obtainedHz - askedHz) / askedHz; }
    bool worthANote() const {
        return std::abs(obtainedHz - askedHz) > kBandwidthNoteShare * askedHz;
    }
};

// nullopt when either bandwidth is missing (3 dB band not reached, nothing
// asked).
std::optional<BandwidthCheck> bandwidthCheck(const ExactFigures& x, double askedHz);

// The notes in the order shown; empty when there is nothing to say.
std::vector<std::string> figureNotes(const ExactFigures& x, double askedHz, char separator);

} // namespace korvan::analysis
