#include "numeric/fp_check.h"

#include "numeric/errors.h"

#include <cfenv>
#include <cmath>

namespace korvan::fp {

void clearFlags() {
    std::feclearexcept(FE_ALL_EXCEPT);
}

void check() {
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    if (raised == 0) return;
    std::feclearexcept(FE_ALL_EXCEPT);
    if (raised & FE_INVALID) throw FloatingPointError(kInvalidOperation);
    if (raised & FE_DIVBYZERO) throw FloatingPointError(kDivisionByZero);
    throw FloatingPointError(kOverflow);
}

long double checked(long double value) {
    check();
    if (std::isnan(value)) throw FloatingPointError(kInvalidOperation);
    if (std::isinf(value)) throw FloatingPointError(kOverflow);
    return value;
}

} // namespace korvan::fp

namespace korvan::fp {

double toDouble(long double value) {
    const double d = static_cast<double>(checked(value));
    if (std::isinf(d)) {
        clearFlags();
        throw FloatingPointError(kOverflow);
    }
    return d;
}

float toSingle(long double value) {
    const float f = static_cast<float>(checked(value));
    if (std::isinf(f)) {
        clearFlags();
        throw FloatingPointError(kOverflow);
    }
    return f;
}

} // namespace korvan::fp
