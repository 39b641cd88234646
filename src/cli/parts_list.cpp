#include "cli/parts_list.h"

#include "numeric/number_text.h"

#include <iomanip>
#include <set>

namespace korvan::cli {

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

std::vector<Part> partsList(const analysis::LadderModel& ladder, double fsHz) {
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
            parts.push_back({analysis::couplingName(i), PartKind::ShuntCapacitor,
                             ladder.couplingF[static_cast<std::size_t>(i - 1)], 1, std::nullopt});
    }
    parts.push_back({"Rload", PartKind::LoadTermination, ladder.loadOhm, 1, std::nullopt});
    return parts;
}

void writePartsList(std::ostream& out, const std::vector<Part>& parts, char separator) {
    // Which meshes carry a tuning capacitor, so that a crystal without one
    // says so where others have one.
    std::set<int> tuned;
    for (const auto& p : parts)
        if (p.kind == PartKind::SeriesCapacitor) tuned.insert(*p.mesh);
    for (const auto& p : parts) {
        std::string value, note;
        switch (p.kind) {
        case PartKind::SeriesCapacitor:
        case PartKind::ShuntCapacitor: {
            const double pF = p.value * 1e12;
            value = numeric::formatFixed(pF, 8, pF <= 1000 ? 1 : 0, separator) + " pF";
            note = p.kind == PartKind::ShuntCapacitor
                       ? "shunt to ground"
                       : "in series, mesh " + std::to_string(*p.mesh);
            break;
        }
        case PartKind::Crystal:
            value = (p.count > 1 ? std::to_string(p.count) + " x " : std::string()) +
                    numeric::formatFixed(p.value * 0.001, 12, 3, separator) + " kHz";
            note = "crystal, mesh " + std::to_string(*p.mesh);
            if (p.count > 1) note += ", " + std::to_string(p.count) + " in parallel";
            if (!tuned.empty() && !tuned.count(*p.mesh)) note += ", no tuning capacitor";
            break;
        case PartKind::SourceTermination:
        case PartKind::LoadTermination:
            value = numeric::formatFixed(p.value, 10, 1, separator) + " Ohm";
            note = kindName(p.kind);
            break;
        }
        out << "  " << std::left << std::setw(10) << p.name << std::setw(20) << value << note
            << '\n';
    }
}

} // namespace korvan::cli
