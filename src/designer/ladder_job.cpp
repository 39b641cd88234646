#include "designer/ladder_job.h"

#include <string>

namespace korvan::designer {

LadderJobResult runLadderJob(const LadderJob& job, const PlacementControl& control) {
    const auto m = static_cast<int>(job.crystals.size());
    if (job.poles < 2 || job.poles > 14)
        throw DesignError("a ladder needs 2 to 14 crystals, not " + std::to_string(job.poles));
    if (m < job.poles)
        throw DesignError("the ladder needs " + std::to_string(job.poles) + " crystals but only " +
                          std::to_string(m) + (m == 1 ? " is" : " are") + " given");
    LadderJobResult out;
    if (job.keepOrder) {
        DesignRequest r;
        r.crystals.assign(job.crystals.begin(), job.crystals.begin() + job.poles);
        r.shape = job.shape;
        r.bandwidthHz = job.bandwidthHz;
        r.reference = job.reference;
        r.compensation = job.compensation;
        out.design = designLadder(r);
        return out;
    }
    PlacementRequest r;
    r.candidates = job.crystals;
    r.poles = job.poles;
    r.shape = job.shape;
    r.bandwidthHz = job.bandwidthHz;
    r.reference = job.reference;
    auto placed = placeAndDesign(r, job.compensation, control);
    out.cancelled = placed.placement.cancelled;
    if (out.cancelled) return out;
    out.placement = std::move(placed.placement);
    out.design = std::move(placed.design);
    return out;
}

} // namespace korvan::designer
