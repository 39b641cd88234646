#pragma once
// The ladder as an ngspice deck: a crystal subcircuit, port sources of the
// reference resistance at both ends, an S-parameter analysis over the span
// and a control block that writes S11, S21, S12 and S22 to a text file
// (frequency, then real and imaginary part of each) and quits. Run it with
// `ngspice -b deck.cir`; the result file lands in ngspice's working folder.

#include "analysis/response_sweep.h"

#include <string>
#include <vector>

namespace korvan::analysis {

// `resultFile` is reduced to letters, digits, "_", "-" and "." so that the
// control line stays one word.
std::string ngspiceDeck(const LadderModel& model, const SweepSpan& span, double referenceOhm,
                        const std::vector<std::string>& comments, const std::string& resultFile);

// The result file name a deck saved as `deckFile` writes: its stem + "_sp.txt".
std::string ngspiceResultName(const std::string& deckFile);

} // namespace korvan::analysis
