#pragma once
// Floating-point faults (invalid operation, division by zero, overflow) are
// found by the calculation that causes them, never by code that merely
// comes later.
//
// - A guarded calculation is one event of the described program: a press of
//   "Calculate" and the pipeline behind it, a repaint's sweep, an event of a
//   calculator window. It runs inside a GuardedCalculation scope, which
//   clears the IEEE status flags when it starts and when it ends. Inside
//   it, check(), checked(), toDouble() and toSingle() test the flags at the
//   places where the described program would fault, so a fault is always
//   the calculation's own.
// - Everywhere else (formatting, printing, the CLI's reports, charts, the
//   response, tolerance and VNA windows, fits, analyses) the flags mean
//   nothing: Qt, Eigen and every other library leave them raised at will.
//   There, check() tests nothing, and code tests values instead:
//   std::isfinite, or requireFinite() where a non-finite value is an error.
//   New code never reads the flags outside a guarded calculation.
// - A guarded calculation that runs code it does not own (a message box's
//   event loop, the clipboard) wraps it in a ForeignCode scope: the flags
//   and the guard are put aside while it runs and restored afterwards, so
//   neither side sees the other's flags.
//
// Formatting (numeric/number_text.h) checks the value it prints: nan is an
// invalid operation, an infinity an overflow (inside a guarded calculation,
// the flags name the fault, as the runtime would).

#include <cfenv>

namespace korvan::fp {

inline constexpr const char* kInvalidOperation = "Invalid floating point operation";
inline constexpr const char* kDivisionByZero = "Floating point division by zero";
inline constexpr const char* kOverflow = "Floating point overflow";

// One event's calculation (see above). Scopes nest: each clears the flags
// when it starts and ends; code between them is guarded while any is open.
class GuardedCalculation {
  public:
    GuardedCalculation();
    ~GuardedCalculation();
    GuardedCalculation(const GuardedCalculation&) = delete;
    GuardedCalculation& operator=(const GuardedCalculation&) = delete;
};

// Code that is not the guarded calculation's, run from inside one.
class ForeignCode {
  public:
    ForeignCode();
    ~ForeignCode();
    ForeignCode(const ForeignCode&) = delete;
    ForeignCode& operator=(const ForeignCode&) = delete;

  private:
    std::fexcept_t flags_{};
    int depth_ = 0;
};

// Whether a guarded calculation is running on this thread.
bool guarded();

// Clears the flags: inside a guarded calculation, where a step's faults
// were handled by that step (a guarded read that failed).
void clearFlags();

// Inside a guarded calculation: throws FloatingPointError when an invalid
// operation, a division by zero or an overflow happened since the flags were
// last cleared, and clears them. Outside one: does nothing.
void check();

// check(), then the value must be finite; returns the value.
long double checked(long double value);

// The value must be finite: nan is an invalid operation, an infinity an
// overflow (inside a guarded calculation the flags name the fault first).
// Never throws for a finite value, whatever the flags say.
long double requireFinite(long double value);

// Stores an extended value in double or single precision the way the
// runtime does: a value beyond the range is an overflow, not an infinity.
// Checks as checked() does.
double toDouble(long double value);
float toSingle(long double value);

} // namespace korvan::fp
