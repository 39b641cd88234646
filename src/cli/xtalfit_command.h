#pragma once
// korvan-cli xtalfit: motional parameters of crystals from VNA sweep files,
// matched sets, and a settings file for the design from the best set.

namespace korvan::cli {

int runXtalfit(int argc, const char* const* argv);

} // namespace korvan::cli
