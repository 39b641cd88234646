#include "prototype/family.h"

#include "numeric/errors.h"

#include <array>

namespace korvan::prototype {
namespace {

constexpr std::array kFamilies = {
    FamilyInfo{Family::Butterworth, "butterworth", "Butterworth", 2, 14, false},
    FamilyInfo{Family::Chebyshev, "chebyshev", "Chebyshev", 2, 14, true},
    FamilyInfo{Family::Bessel, "bessel", "Bessel (maximally flat delay)", 2, 14, false},
    FamilyInfo{Family::Gaussian, "gaussian", "Gaussian", 2, 14, false},
    FamilyInfo{Family::Legendre, "legendre", "Legendre (optimum L)", 2, 14, false},
    FamilyInfo{Family::LinearPhase005, "linear-phase-0.05", "Linear phase 0.05\u00b0", 2, 14,
               false},
    FamilyInfo{Family::LinearPhase05, "linear-phase-0.5", "Linear phase 0.5\u00b0", 2, 14, false},
};

} // namespace

std::span<const FamilyInfo> families() {
    return kFamilies;
}

const FamilyInfo& familyInfo(Family family) {
    for (const auto& info : kFamilies)
        if (info.family == family) return info;
    throw PrototypeError("unknown response family");
}

std::string familyNames() {
    std::string names;
    for (const auto& info : kFamilies) {
        if (!names.empty()) names += ", ";
        names += info.name;
    }
    return names;
}

Family parseFamily(std::string_view name) {
    for (const auto& info : kFamilies)
        if (info.name == name) return info.family;
    throw PrototypeError("unknown response family '" + echoedText(std::string(name)) +
                         "'; the families are " + familyNames());
}

} // namespace korvan::prototype
