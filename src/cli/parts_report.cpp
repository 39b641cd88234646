#include "cli/parts_report.h"

#include "numeric/number_text.h"

#include <iomanip>
#include <set>
#include <string>

namespace korvan::cli {

using analysis::kindName;
using analysis::Part;
using analysis::PartKind;

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
