#pragma once
// The three simulator netlists of a completed calculation.

#include "model/clipboard.h"
#include "model/stage_context.h"

#include <filesystem>
#include <string>
#include <vector>

namespace korvan::netlist {

// "GPLA_files", "ARD_files", "SPICE_files" under basePath; failures ignored.
void createNetlistFolders(const std::filesystem::path& basePath);

// Runs the writer of the selected type (Cohn, QER, else Chebyshev/Butterworth)
// and returns the paths written, in order. A file that cannot be created
// throws FileError("Cannot create file <full path>") after the files before
// it were written.
std::vector<std::filesystem::path> exportNetlists(StageContext& ctx, Clipboard& clipboard,
                                                  const std::filesystem::path& basePath);

// The same, appending each path to `written` as soon as its file is saved, so
// the list also tells what an export that failed half-way did write.
void exportNetlists(StageContext& ctx, Clipboard& clipboard, const std::filesystem::path& basePath,
                    std::vector<std::filesystem::path>& written);

} // namespace korvan::netlist
