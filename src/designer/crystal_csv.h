#pragma once
// The measured crystals a ladder is built from, read from the CSV that the
// crystal fit writes ("file,fs_Hz,fp_Hz,Lm_H,Cm_F,Rm_Ohm,Cp_F,..."): columns
// found by their names, one crystal per row, named by its "file".

#include "designer/named_crystal.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korvan::designer {

// Crystal lists beyond this size are refused rather than read.
inline constexpr std::uintmax_t kMaxCrystalCsvBytes = 16u * 1024u * 1024u;

struct CrystalList {
    std::vector<NamedCrystal> crystals;
    std::vector<std::string> errors; // "line 4: Lm_H '-1' must be above 0"
};

// fs_Hz and Lm_H give the motional pair (Cm from them); Cm_F, when present,
// must agree with them to 1e-4. Cp_F and Rm_Ohm are needed too.
CrystalList parseCrystalCsv(std::string_view text);

// Reads a plain file of at most kMaxCrystalCsvBytes; a file that cannot be
// read is one error naming why.
CrystalList readCrystalCsv(const std::filesystem::path& path);

} // namespace korvan::designer
