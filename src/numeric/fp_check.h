#pragma once
// Floating-point faults are detected from the IEEE status flags: every stage
// clears them before it computes and checks them before a result is shown,
// so that nan or inf never reaches a label or a file.

namespace korvan::fp {

inline constexpr const char* kInvalidOperation = "Invalid floating point operation";
inline constexpr const char* kDivisionByZero = "Floating point division by zero";
inline constexpr const char* kOverflow = "Floating point overflow";

void clearFlags();

// Throws FloatingPointError when an invalid operation, a division by zero or
// an overflow happened since the last clearFlags(); clears the flags then.
void check();

// Checks the flags and that the value is finite; returns the value.
long double checked(long double value);

} // namespace korvan::fp

namespace korvan::fp {

// Stores an extended value in double or single precision the way the
// runtime does: a value beyond the range is an overflow, not an infinity.
double toDouble(long double value);
float toSingle(long double value);

} // namespace korvan::fp
