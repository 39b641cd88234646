#pragma once
// korvan-cli tolerance: the design's options, then a Monte Carlo run over
// the spreads given, with a readable report or JSON.

namespace korvan::cli {

int runToleranceCommand(int argc, const char* const* argv);

} // namespace korvan::cli
