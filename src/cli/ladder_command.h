#pragma once
// korvan-cli ladder: a ladder designed from measured crystals (or n
// identical ones), each mesh with its own crystal and tuning capacitor;
// report or JSON, Touchstone/CSV/ngspice files and the build sheet.

namespace korvan::cli {

int runLadderCommand(int argc, const char* const* argv);

} // namespace korvan::cli
