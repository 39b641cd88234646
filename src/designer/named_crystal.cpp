#include "designer/named_crystal.h"

#include <cmath>

namespace korvan::designer {

std::optional<std::string> crystalProblem(const NamedCrystal& c) {
    const auto& m = c.model;
    const std::string who = "crystal '" + c.name + "': ";
    if (!std::isfinite(m.lmH) || !(m.lmH > 0)) return who + "Lm must be above 0 H";
    if (!std::isfinite(m.cmF) || !(m.cmF > 0)) return who + "Cm must be above 0 F";
    if (!std::isfinite(m.cpF) || m.cpF < 0) return who + "Cp must be 0 F or more";
    if (!std::isfinite(m.rmOhm) || m.rmOhm < 0) return who + "Rm must be 0 Ohm or more";
    return std::nullopt;
}

std::vector<analysis::Crystal> models(std::span<const NamedCrystal> crystals) {
    std::vector<analysis::Crystal> out;
    out.reserve(crystals.size());
    for (const auto& c : crystals) out.push_back(c.model);
    return out;
}

std::vector<NamedCrystal> identicalCrystals(const analysis::Crystal& crystal, int n) {
    std::vector<NamedCrystal> out;
    for (int i = 1; i <= n; ++i) out.push_back({std::to_string(i), crystal});
    return out;
}

} // namespace korvan::designer
