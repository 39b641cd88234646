#include "analysis/parts_list.h"

namespace korvan::analysis {

const char* kindName(PartKind kind) {
    switch (kind) {
    case PartKind::SourceTermination:
        return "source termination";
    case PartKind::SeriesCapacitor:
        return "series capacitor";
    case PartKind::Crystal:
        return "crystal";
    case PartKind::ShuntCapacitor:
        return "shunt capacitor";
    case PartKind::LoadTermination:
        break;
    }
    return "load termination";
}

const char* unitName(PartKind kind) {
    switch (kind) {
    case PartKind::SeriesCapacitor:
    case PartKind::ShuntCapacitor:
        return "F";
    case PartKind::Crystal:
        return "Hz";
    case PartKind::SourceTermination:
    case PartKind::LoadTermination:
        break;
    }
    return "Ohm";
}

std::vector<Part> partsList(const LadderModel& ladder, double fsHz) {
    std::vector<Part> parts;
    parts.push_back({"Rsource", PartKind::SourceTermination, ladder.sourceOhm, 1, std::nullopt});
    const int n = ladder.poles();
    for (int i = 1; i <= n; ++i) {
        const auto& arm = ladder.arms[static_cast<std::size_t>(i - 1)];
        const Part crystal{"X" + std::to_string(i), PartKind::Crystal, fsHz,
                           static_cast<int>(arm.crystals.size()), i};
        const bool tuned = arm.csF != 0;
        const Part tuning{"Cs" + std::to_string(i), PartKind::SeriesCapacitor, arm.csF, 1, i};
        const bool firstHalf = 2 * i <= n + 1;
        if (tuned && firstHalf) parts.push_back(tuning);
        parts.push_back(crystal);
        if (tuned && !firstHalf) parts.push_back(tuning);
        if (i < n)
            parts.push_back({couplingName(i), PartKind::ShuntCapacitor,
                             ladder.couplingF[static_cast<std::size_t>(i - 1)], 1, std::nullopt});
    }
    parts.push_back({"Rload", PartKind::LoadTermination, ladder.loadOhm, 1, std::nullopt});
    return parts;
}

} // namespace korvan::analysis
