#pragma once
// The response a ladder is designed to: a family of the prototype module
// and, for Chebyshev, its ripple. Its coefficients come from the prototype
// module alone, lossless or predistorted for the crystals' qo, so that the
// designer, the main design and the prototype window share one definition.

#include "prototype/coupled_resonator.h"
#include "prototype/family.h"

#include <optional>
#include <string>
#include <string_view>

namespace korvan::designer {

// The ripple a Chebyshev design takes when none is given [dB].
inline constexpr double kDefaultRippleDb = 0.1;

struct ResponseShape {
    prototype::Family family = prototype::Family::Chebyshev;
    double rippleDb = kDefaultRippleDb; // Chebyshev only; 0 for the others

    bool hasRipple() const;
};

// A typed family name (any case) and an optional ripple: the ripple
// defaults to kDefaultRippleDb for Chebyshev and must not be given to a
// family without one. DesignError with the prototype module's text when
// the name is unknown or the ripple is out of range.
ResponseShape parseResponseShape(std::string_view family, std::optional<double> rippleDb);

// "chebyshev", "bessel", ... as typed.
std::string_view shapeName(const ResponseShape& shape);
// "chebyshev 0.1 dB", "bessel": for reports and file comments.
std::string shapeText(const ResponseShape& shape);

// The most balanced solution for `poles` crystals, lossless or predistorted
// for resonators of `qo`. DesignError with the prototype module's text when
// the pole count or the ripple is out of range or qo at or below the
// family's minimum.
prototype::CoupledResonatorCoefficients shapeCoefficients(const ResponseShape& shape, int poles,
                                                          std::optional<double> qo = {});

// The smallest qo the family's shape can be predistorted for (exclusive).
double shapeMinimumQo(const ResponseShape& shape, int poles);

} // namespace korvan::designer
