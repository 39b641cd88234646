#pragma once
// Figures of the continuous response, independent of any display span:
// insertion loss, bandwidths and their edges at fixed levels, pass-band
// ripple and the group-delay peak, each found by root finding or a
// bracketed extremum search on the analysis itself (to 0.01 Hz).

#include "analysis/ladder_analysis.h"

#include <array>
#include <optional>

namespace korvan::analysis {

// Levels above the insertion loss [dB].
inline constexpr std::array<int, 7> kExactLevelsDb{3, 6, 20, 40, 60, 80, 100};
// The search stays within this distance of fm, like the ultimate attenuation.
inline constexpr double kExactSearchHz = 200000;

struct LevelEdges {
    std::optional<double> lowHz, highHz; // nullopt: not reached within the search
    std::optional<double> bandwidthHz() const {
        if (!lowHz || !highHz) return std::nullopt;
        return *highHz - *lowHz;
    }
};

struct ExactFigures {
    double ilDb = 0; // smallest loss of the plain ladder (positive dB)
    double ilHz = 0; // where it lies
    // Largest loss between the outermost pass-band minima, less ilDb; 0 for
    // a single minimum.
    double rippleDb = 0;
    std::array<LevelEdges, kExactLevelsDb.size()> levels;
    // Largest group delay between the 6 dB edges (nullopt without them).
    std::optional<double> groupDelayPeakS;
    std::optional<double> groupDelayPeakHz;
};

// nullopt when the ladder gives no finite response near fm.
std::optional<ExactFigures> exactFigures(const LadderModel& model, double fmHz);

} // namespace korvan::analysis
