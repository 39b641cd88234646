#pragma once
// One ladder design as a user asks for it, from korvan-cli or the window:
// the measured crystals (at least as many as poles), taken in their order
// or chosen and placed by the designer, the response family, the bandwidth,
// the reference and the compensation. The result is plain data.

#include "designer/crystal_placement.h"
#include "designer/ladder_design.h"

#include <optional>
#include <vector>

namespace korvan::designer {

struct LadderJob {
    std::vector<NamedCrystal> crystals;
    int poles = 0;
    // The first `poles` crystals are positions 1..n; otherwise the designer
    // chooses which and where.
    bool keepOrder = false;
    ResponseShape shape;
    double bandwidthHz = 0;
    ReferenceRule reference;
    Compensation compensation = Compensation::Bandwidth;
};

struct LadderJobResult {
    LadderDesign design;
    std::optional<Placement> placement; // when the designer chose
    bool cancelled = false;             // then `design` is empty
};

// DesignError with the reason when the design cannot be made.
LadderJobResult runLadderJob(const LadderJob& job, const PlacementControl& control = {});

} // namespace korvan::designer
