#include "analysis/ladder_model.h"

#include <algorithm>

namespace korvan::analysis {

LadderModel ladderFromDesign(const DesignState& s, double rmOhm) {
    LadderModel model;
    model.sourceOhm = s.Zterm;
    model.loadOhm = s.Zterm;
    const int n = std::clamp(s.Poles, 0, kMaxPoles);
    const Crystal crystal{s.Lm, s.Cm, rmOhm, s.Cp};
    model.arms.reserve(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) {
        SeriesArm arm;
        const bool doubled = s.IsQER && (i == 1 || i == n);
        arm.crystals.assign(doubled ? 2 : 1, crystal);
        arm.csF = s.Cs[static_cast<std::size_t>(i)];
        model.arms.push_back(std::move(arm));
    }
    for (int i = 1; i < n; ++i) model.couplingF.push_back(s.Ck[static_cast<std::size_t>(i)]);
    return model;
}

std::string couplingName(int i) {
    const std::string a = std::to_string(i), b = std::to_string(i + 1);
    return "Ck" + a + (i + 1 > 9 ? "-" : "") + b;
}

} // namespace korvan::analysis
