#pragma once
// Choosing which n of m measured crystals to use and where. A mesh can only
// be tuned up (a series capacitor raises it), so the reference mesh must be
// the one that resonates highest without a capacitor; every other position
// needs a crystal whose mesh lies at most a little below it.
//
// Objective, in this order:
//  1. every mesh reaches the reference's mesh frequency (every Cs positive)
//     with the reference at the position the rule names: lowest puts it at
//     the most pulled position (2 in a symmetric ladder; an asymmetric
//     family's or a predistorted ladder's may differ), where the lowest
//     crystals go (the higher of the two lowest at the reference, the lower
//     one at its mirror with a Cs), middle at the middle, K at position K;
//  2. every Cs at least kMinimumCsF, where any choice allows it;
//  3. the smallest largest pull: the largest mesh offset a Cs must make;
//  4. a symmetric ladder: mirrored positions get meshes that need nearly the
//     same pull (close pairs at mirrored positions).
// The couplings are those of n identical crystals like the batch's median,
// so the exact design that follows may move each mesh by a few hertz.

#include "designer/ladder_design.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace korvan::designer {

inline constexpr double kMinimumCsF = 10e-12;

// The objective in words, for every output that shows a placement.
std::string placementObjective();

struct PlacementRequest {
    std::vector<NamedCrystal> candidates; // m >= n measured crystals
    int poles = 0;                        // n
    ResponseShape shape;
    double bandwidthHz = 0;
    ReferenceRule reference;
    // Each non-reference mesh is kept at least this far below the
    // reference's (to absorb the couplings' difference from the estimate).
    double marginHz = 0;
    // Predistort: the couplings are those of the predistorted coefficients
    // (placeAndDesign sets it from its compensation).
    Compensation compensation = Compensation::None;
};

struct PlacementControl {
    const std::atomic<bool>* cancel = nullptr;
    std::function<void(int done, int total)> progress; // reference candidates tried
};

struct Placement {
    std::vector<NamedCrystal> ordered; // the chosen n, source to load
    std::vector<NamedCrystal> unused;  // the rest, in the batch's order
    int referencePosition = 1;         // 1-based
    double largestOffsetHz = 0;        // as estimated
    bool minimumCsKept = true;         // every Cs >= kMinimumCsF (estimated)
    bool cancelled = false;
};

// Throws DesignError when no choice lets every mesh reach the mesh
// frequency (naming why) or the request is unusable.
Placement placeCrystals(const PlacementRequest& request, const PlacementControl& control = {});

// Places the candidates and designs the ladder; when the exact couplings
// leave a mesh just out of reach, places again with a margin.
struct PlacedDesign {
    Placement placement;
    LadderDesign design;
};
PlacedDesign placeAndDesign(const PlacementRequest& request, Compensation compensation,
                            const PlacementControl& control = {});

} // namespace korvan::designer
