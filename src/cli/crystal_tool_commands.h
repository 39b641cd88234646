#pragma once
// korvan-cli xtal3db and g3uur: the two crystal-measurement calculators
// headless, on the same form objects as their windows.

namespace korvan::cli {

int runXtal3db(int argc, const char* const* argv);
int runG3uur(int argc, const char* const* argv);

} // namespace korvan::cli
