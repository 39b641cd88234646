#include "numeric/fp_check.h"

#include "numeric/errors.h"

#include <cmath>

namespace korvan::fp {

namespace {

constexpr int kFaults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// Flags are per thread, and so is the calculation that owns them.
thread_local int guardDepth = 0;

[[noreturn]] void throwFault(int raised) {
    std::feclearexcept(FE_ALL_EXCEPT);
    if (raised & FE_INVALID) throw FloatingPointError(kInvalidOperation);
    if (raised & FE_DIVBYZERO) throw FloatingPointError(kDivisionByZero);
    throw FloatingPointError(kOverflow);
}

} // namespace

GuardedCalculation::GuardedCalculation() {
    std::feclearexcept(FE_ALL_EXCEPT);
    ++guardDepth;
}

GuardedCalculation::~GuardedCalculation() {
    --guardDepth;
    std::feclearexcept(FE_ALL_EXCEPT);
}

ForeignCode::ForeignCode() : depth_(guardDepth) {
    std::fegetexceptflag(&flags_, FE_ALL_EXCEPT);
    guardDepth = 0;
}

ForeignCode::~ForeignCode() {
    guardDepth = depth_;
    std::fesetexceptflag(&flags_, FE_ALL_EXCEPT);
}

bool guarded() {
    return guardDepth > 0;
}

void clearFlags() {
    std::feclearexcept(FE_ALL_EXCEPT);
}

void check() {
    if (guardDepth == 0) return;
    if (const int raised = std::fetestexcept(kFaults)) throwFault(raised);
}

long double checked(long double value) {
    check();
    return requireFinite(value);
}

long double requireFinite(long double value) {
    if (std::isfinite(value)) return value;
    if (guardDepth > 0)
        if (const int raised = std::fetestexcept(kFaults)) throwFault(raised);
    if (std::isnan(value)) throw FloatingPointError(kInvalidOperation);
    throw FloatingPointError(kOverflow);
}

double toDouble(long double value) {
    const double d = static_cast<double>(checked(value));
    if (std::isinf(d)) {
        if (guardDepth > 0) std::feclearexcept(FE_ALL_EXCEPT);
        throw FloatingPointError(kOverflow);
    }
    return d;
}

float toSingle(long double value) {
    const float f = static_cast<float>(checked(value));
    if (std::isinf(f)) {
        if (guardDepth > 0) std::feclearexcept(FE_ALL_EXCEPT);
        throw FloatingPointError(kOverflow);
    }
    return f;
}

} // namespace korvan::fp
