#pragma once
// The whole ladder as a builder solders it: every element from the source
// termination to the load termination, both halves of the symmetric ladder
// spelled out, each with its value.

#include "analysis/ladder_model.h"

#include <optional>
#include <string>
#include <vector>

namespace korvan::analysis {

enum class PartKind {
    SourceTermination,
    SeriesCapacitor,
    Crystal,
    ShuntCapacitor,
    LoadTermination
};

struct Part {
    std::string name; // "Rsource", "Cs1", "X1", "Ck12", ..., "Rload"
    PartKind kind;
    double value;            // Ohm, F, or for a crystal its series frequency in Hz
    int count = 1;           // crystals in parallel at this place (2 at the ends of QER)
    std::optional<int> mesh; // series capacitors and crystals
};

// "source termination", "series capacitor", ...
const char* kindName(PartKind kind);
// "Ohm", "F" or "Hz".
const char* unitName(PartKind kind);

// Input to output. In the first half of the ladder a mesh's tuning capacitor
// comes before its crystal, in the second half after it, so the list reads
// the same from both ends.
std::vector<Part> partsList(const LadderModel& ladder, double fsHz);

} // namespace korvan::analysis
