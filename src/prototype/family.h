#pragma once
// The response families a low-pass prototype can have, their names as
// typed (korvan-cli, the window) and the pole counts and ripples each
// allows.

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvan::prototype {

enum class Family {
    Butterworth,
    Chebyshev,
    Bessel,         // maximally flat delay
    Gaussian,       // |H|^2 = 1 / (Taylor series of e^(a w^2) to the n-th term)
    Legendre,       // optimum-L: the steepest monotonic
    LinearPhase005, // equiripple phase error of 0.05 degrees
    LinearPhase05,  // equiripple phase error of 0.5 degrees
};

struct FamilyInfo {
    Family family;
    std::string_view name;  // as typed: "butterworth", "linear-phase-0.05", ...
    std::string_view title; // as shown: "Linear phase 0.05°", ...
    int minPoles;
    int maxPoles;
    bool hasRipple; // the pass-band ripple is a parameter (Chebyshev)
};

// Every family, in the order lists show them.
std::span<const FamilyInfo> families();
const FamilyInfo& familyInfo(Family family);

// A prototype request refused: the text names what is allowed.
class PrototypeError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

// The family of a typed name; PrototypeError listing the names otherwise.
Family parseFamily(std::string_view name);

// "butterworth, chebyshev, ..." for messages and help texts.
std::string familyNames();

// The pass-band ripple a Chebyshev prototype allows [dB].
inline constexpr double kMinRippleDb = 0.001;
inline constexpr double kMaxRippleDb = 3.0;

} // namespace korvan::prototype
