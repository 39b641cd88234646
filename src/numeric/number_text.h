#pragma once
// Number texts as the program shows and reads them. The decimal separator is
// always an argument: only the front end asks the system for it, once.

#include <optional>
#include <string>
#include <string_view>

namespace korvan::numeric {

// Fixed format: rounded half away from zero to at most `precision`
// significant digits and `decimals` decimals, printed with exactly `decimals`
// digits after the separator; more than `precision` integer digits switch to
// general format with `precision` significant digits.
std::string formatFixed(long double value, int precision, int decimals, char separator);

// General format: the shortest text that gives the value to `precision`
// significant digits, plain or, when the exponent needs it, scientific.
std::string formatGeneral(long double value, char separator, int precision = 15);

// The shortest decimal text that reads back to the same single-precision value.
std::string formatShortestSingle(float value, char separator);

// Text-to-number conversion: leading blanks, optional sign, digits with an
// optional separator and fraction, optional exponent, trailing blanks.
// Empty text, a lone sign, foreign characters or an overflow fail.
std::optional<long double> parseNumber(std::string_view text, char separator);

// As parseNumber, but a failure throws ConversionError.
long double toNumber(std::string_view text, char separator);

// Integer conversion (32-bit): optional blanks and sign, decimal digits only.
std::optional<int> parseInteger(std::string_view text);

// The decimal separator of the user's regional settings ('.' if unknown).
char systemDecimalSeparator();

} // namespace korvan::numeric
