#pragma once
// A designed ladder read back from JSON: what `korvan-cli ladder --json`
// prints (a crystal per position), or what the main design's
// `korvan-cli --json` prints (n identical crystals, two at each end of a
// QER ladder).

#include "analysis/ladder_model.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace korvan::cli {

struct LadderFile {
    analysis::LadderModel ladder;
    double centreHz = 0; // the middle of the design's 3 dB band
    std::string kind;    // "ladder designer" or "main design"
};

// Why the JSON holds no usable ladder, in words.
class LadderJsonError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::uintmax_t kMaxLadderJsonBytes = 16u * 1024u * 1024u;

LadderFile ladderFromJson(const nlohmann::json& json);
// Reads a plain file of at most kMaxLadderJsonBytes and parses it.
LadderFile readLadderJson(const std::filesystem::path& path);

} // namespace korvan::cli
