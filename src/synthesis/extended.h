#pragma once
// Shared pieces of the synthesis stages: the extended-precision pi and the
// way every capacitor value is printed.

#include "numeric/number_text.h"

#include <string>

namespace korvan::synthesis {

// pi to the full 64-bit mantissa of the extended type.
inline constexpr long double kPi = 3.14159265358979323846264338327950288L;

// Capacitor label text: pF with the given precision, one decimal up to
// 1000 pF and none above, followed by a blank.
inline std::string capacitorText(long double farads, int precision, char separator) {
    const long double pF = farads * 1e12L;
    return numeric::formatFixed(pF, precision, pF <= 1000 ? 1 : 0, separator) + " ";
}

} // namespace korvan::synthesis
