#pragma once
// A measured crystal with the name the builder knows it by (its sweep file,
// or a position number), and the checks every design input passes.

#include "analysis/ladder_model.h"

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvan::designer {

struct NamedCrystal {
    std::string name;
    analysis::Crystal model;
};

// A design that cannot be made, with the reason for the user (naming the
// crystal or the value).
class DesignError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Why this crystal cannot be used (Lm or Cm not positive, Cp or Rm
// negative, a value not finite), or nullopt.
std::optional<std::string> crystalProblem(const NamedCrystal& crystal);

// The crystals' four-element models, in the same order.
std::vector<analysis::Crystal> models(std::span<const NamedCrystal> crystals);

// n copies of one crystal named "1" .. "n".
std::vector<NamedCrystal> identicalCrystals(const analysis::Crystal& crystal, int n);

} // namespace korvan::designer
