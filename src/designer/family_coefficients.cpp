#include "designer/family_coefficients.h"

#include "synthesis/coupling.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace korvan::designer {

std::optional<Family> familyFromName(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "chebyshev") return Family::Chebyshev;
    if (lower == "butterworth") return Family::Butterworth;
    return std::nullopt;
}

std::string_view familyName(Family family) {
    return family == Family::Chebyshev ? "chebyshev" : "butterworth";
}

prototype::CoupledResonatorCoefficients familyCoefficients(Family family, int poles,
                                                           double rippleDb) {
    DesignState state;
    state.Poles = poles;
    state.PBripple = family == Family::Chebyshev ? rippleDb : 0;
    synthesis::normalizedCoefficients(state);
    prototype::CoupledResonatorCoefficients out;
    out.q1 = out.qn = 1 / state.q1inv;
    out.qe1 = out.qen = out.q1;
    for (int i = 1; i < poles; ++i) out.k.push_back(state.k[static_cast<std::size_t>(i)]);
    return out;
}

} // namespace korvan::designer
