#pragma once
// The crystal ladder as a circuit in which every element carries its own
// value: n series arms (one or more crystals in parallel, with an optional
// tuning capacitor) joined by n-1 shunt capacitors, between a source and a
// load resistance. The described design is one way to fill it; the
// tolerance analysis and the crystal fit fill it element by element.

#include "model/design_state.h"

#include <string>
#include <vector>

namespace korvan::analysis {

// Four-element crystal model: Rm, Lm, Cm in series, shunted by Cp.
struct Crystal {
    double lmH = 0;
    double cmF = 0;
    double rmOhm = 0;
    double cpF = 0;
};

struct SeriesArm {
    // Crystals in parallel in this position (two at the ends of a QER ladder).
    std::vector<Crystal> crystals;
    double csF = 0; // tuning capacitor in series; 0 means none
};

struct LadderModel {
    double sourceOhm = 0;
    double loadOhm = 0;
    std::vector<SeriesArm> arms;   // from the source to the load
    std::vector<double> couplingF; // couplingF[i] from the node after arms[i] to ground

    int poles() const { return static_cast<int>(arms.size()); }
};

// The ladder of a completed design: crystal values Lm, Cm, Cp of the state
// and the loss `rmOhm` (the converted text of the loss field), Ck and Cs as
// stored (single precision), both terminations Zterm, and for QER two
// crystals in parallel at each end.
LadderModel ladderFromDesign(const DesignState& state, double rmOhm);

// The name of coupling capacitor i (1-based: between meshes i and i+1) as
// the window names them, "Ck12"; past mesh 9 the two numbers need a mark
// between them ("Ck9-10").
std::string couplingName(int i);

} // namespace korvan::analysis
