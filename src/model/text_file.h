#pragma once
// Files are written to a temporary name in the same folder and renamed over
// the target, so a crash or a full disk never leaves a half-written file.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

// Throws FileError with the runtime's wording ("File access denied", ...).
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Every line followed by CR LF, nothing else.
std::string joinCrLf(const std::vector<std::string>& lines);

// The file's lines (CR LF, LF or CR end a line); nullopt when it cannot be read.
std::optional<std::vector<std::string>> readTextLines(const std::filesystem::path& path,
                                                      std::size_t maxLines);

} // namespace korvan
