#pragma once
// Files are written so that a crash, a kill or a full disk never leaves a
// half-written file, nor (where the system allows) a temporary one: the new
// text is written to an unnamed file in the target's folder, given a name
// only once it is complete, and renamed over the target.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

// Which leftovers of killed writers the first write into a folder removes.
enum class Leftovers {
    OfThisFile, // ".<name>.XXXXXX" of the file written (a user's folder)
    OfThisKind, // every ".<...><ext>.XXXXXX" (a folder that is the program's own)
};

enum class Temporary {
    Unnamed, // where the file system has them, else Named
    Named,   // always a hidden ".<name>.XXXXXX" (tests of that way)
};

// Replaces the file at `path` by `bytes`. A symbolic link at `path` stays:
// the file it points to is replaced. An existing file keeps its permissions
// (and, where allowed, its owner). The first such write per folder in a run
// also removes the temporaries that killed writers of this program left
// there (only unlocked ones, of the kind chosen).
// Only a regular file (or none) is replaced. What is not a file is never
// replaced nor deleted: one of the program's own streams (/dev/stdout,
// /dev/stderr, /dev/fd/N) and a FIFO or a character device (a pipe to
// another program, a terminal, /dev/null) are written to directly, as a
// shell's redirection would; a folder, a socket or a block device is
// refused. A FIFO that no program reads is refused rather than waited for.
// Throws FileError with the runtime's wording ("File access denied", ...).
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         Leftovers leftovers = Leftovers::OfThisFile,
                         Temporary temporary = Temporary::Unnamed);

// Every line followed by CR LF, nothing else.
std::string joinCrLf(const std::vector<std::string>& lines);

// The whole content of a regular file (or a link to one) of at most
// `maxBytes`. Throws FileError saying what is wrong: a folder, something
// that is not a file (a FIFO would wait for a writer, a device would never
// end), a file larger than the limit, or one that cannot be opened or read.
std::string readRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes);

inline constexpr std::size_t kNoLineLimit = static_cast<std::size_t>(-1);

// The file's lines (CR LF, LF or CR end a line); nullopt when it cannot be
// read. Reading stops before a line longer than `maxLineLength`, which sets
// `*overlong` (when given): the lines before it are returned.
std::optional<std::vector<std::string>> readTextLines(const std::filesystem::path& path,
                                                      std::size_t maxLines,
                                                      std::size_t maxLineLength = kNoLineLimit,
                                                      bool* overlong = nullptr);

} // namespace korvan
