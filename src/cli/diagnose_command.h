#pragma once
// korvan-cli diagnose: a built filter's measurement against its designed
// ladder; which part is off, by how much, and what to change.

namespace korvan::cli {

int runDiagnoseCommand(int argc, const char* const* argv);

} // namespace korvan::cli
