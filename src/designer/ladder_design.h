#pragma once
// The ladder designer: crystals in ladder order and the family's
// coefficients in, a ladder whose exact response keeps the promise out.
// The per-position synthesis (ladder_synthesis.h) places the band; the
// refinement then checks it on the exact analysis of the ladder, each
// crystal with its own four-element model, and corrects the design
// bandwidth until the 3 dB bandwidth is the one asked:
//  - none: the lossless ladder;
//  - bandwidth: the ladder with each crystal's Rm (its ripple and loss
//    follow from the loss and are reported);
//  - predistort: coefficients predistorted for the crystals' mean qo
//    (qo = Qu BW/f0, Qu from each crystal's loss at the design frequency),
//    so that the lossy ladder keeps the family's lossless shape; the loss
//    that costs is reported.
// A result is plain data, for the window, the CLI and the build sheet.

#include "analysis/exact_figures.h"
#include "designer/ladder_synthesis.h"
#include "designer/named_crystal.h"
#include "designer/response_shape.h"
#include "designer/shaped_synthesis.h"
#include "prototype/coupled_resonator.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvan::designer {

// Which mesh goes without a tuning capacitor.
struct ReferenceRule {
    enum class Kind { Lowest, Middle, Position };
    Kind kind = Kind::Lowest;
    int position = 0; // 1-based, for Kind::Position
};
std::string referenceText(const ReferenceRule& rule); // "lowest", "middle", "3"

struct DesignRequest {
    std::vector<NamedCrystal> crystals; // ladder order, source to load
    ResponseShape shape;
    double bandwidthHz = 0; // wanted 3 dB bandwidth
    ReferenceRule reference;
    Compensation compensation = Compensation::Bandwidth;
};

// Bounds of the refinement: the design bandwidth is corrected until the
// 3 dB bandwidth lies within kRefineTolerance of the one asked, in at most
// kMaxRefineSteps exact analyses.
inline constexpr double kRefineTolerance = 0.002;
inline constexpr int kMaxRefineSteps = 12;
// The promise of a lossless design (checked by the tests).
inline constexpr double kPromisedBandwidth = 0.01; // of the bandwidth
inline constexpr double kPromisedRippleDb = 0.05;  // from the family's ripple
inline constexpr double kPromisedCentre = 0.02;    // of the bandwidth
// A mesh that resonates within this share of the bandwidth of the
// reference's without a capacitor is left without one: that little high (a
// crystal a few hertz above the lowest at the mirrored position; no
// capacitor lowers a mesh) or low (the Cs would be nanofarads).
inline constexpr double kMeshTolerance = 0.005;

struct PositionDesign {
    NamedCrystal crystal;
    double csF = 0;          // 0: the mesh needs none
    double meshHz = 0;       // resonance of the mesh's loop as designed
    double meshOffsetHz = 0; // how far its Cs raises the mesh
    double slopeH = 0;       // slope inductance it was designed with
    // Without a Cs: how far the mesh stays above (+) or below (-) the mesh
    // frequency, at most kMeshTolerance of the bandwidth.
    double leftOffHz = 0;
};

struct LadderDesign {
    // The middle of the 3 dB band of the analysis the compensation aims at
    // (lossless for none, with Rm otherwise).
    double designHz = 0;
    double sourceOhm = 0, loadOhm = 0;
    std::vector<PositionDesign> positions; // source to load
    std::vector<double> couplingF;
    int referencePosition = 1; // 1-based
    Compensation compensation = Compensation::Bandwidth;
    ResponseShape shape;
    // The coefficients the ladder was synthesised with (predistorted for
    // predistort, at the final design bandwidth).
    prototype::CoupledResonatorCoefficients coefficients;
    std::optional<Predistortion> predistortion; // predistort only
    double wantedBandwidthHz = 0;
    double designBandwidthHz = 0; // the bandwidth the synthesis was scaled to
    int refineSteps = 0;          // exact analyses the refinement took
    LadderElements elements;      // the refined synthesis
    LadderElements slope;         // the slope method alone, for comparison
    // The figures the refinement aimed at (lossless for none), and those of
    // the ladder as built, with each crystal's Rm.
    analysis::ExactFigures aimed;
    analysis::ExactFigures asBuilt;

    analysis::LadderModel ladder(bool withLoss = true) const;
};

// Throws DesignError with the reason (a crystal named) when the design
// cannot be made.
LadderDesign designLadder(const DesignRequest& request);

// Predistortion evens out a loss that is the same across the band. The
// holder capacitance raises a crystal's loss towards fp, so the pass band
// of a predistorted ladder tilts: where that shows as more ripple than the
// family has (beyond the promised 0.05 dB), the sentence that says so and
// by how much the loss rises; nullopt otherwise.
std::optional<std::string> predistortionNote(const LadderDesign& design, char separator = '.');

// The middle of the 3 dB band of exact figures (nullopt without one).
std::optional<double> bandCentreHz(const analysis::ExactFigures& figures);

} // namespace korvan::designer
