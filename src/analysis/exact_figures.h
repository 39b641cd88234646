#pragma once
// Figures of a ladder's continuous response, independent of any display
// span: insertion loss, the bands at fixed levels, the ripple and the dips
// of the pass band (all as passband_figures.h defines them), and the
// group-delay peak. The response is sampled on a grid around fm, fine near
// it and coarser far out, and each figure is then found on the analysis
// itself between the grid points around it.

#include "analysis/ladder_analysis.h"
#include "analysis/passband_figures.h"

#include <array>
#include <optional>
#include <vector>

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
    // Largest loss between the outermost loss minima of the 3 dB band, less
    // ilDb; 0 for a single minimum, above 3 dB when the band has dips, and
    // nullopt when the 3 dB band is not reached within the search.
    std::optional<double> rippleDb;
    std::array<LevelEdges, kExactLevelsDb.size()> levels;
    std::vector<PassbandDip> dips;
    // Largest group delay between the 6 dB edges (nullopt without them).
    std::optional<double> groupDelayPeakS;
    std::optional<double> groupDelayPeakHz;
};

// nullopt when the ladder gives no finite response near fm.
std::optional<ExactFigures> exactFigures(const LadderModel& model, double fmHz);

} // namespace korvan::analysis
