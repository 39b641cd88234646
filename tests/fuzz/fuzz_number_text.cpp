// Number texts: whatever text is read, and whatever finite value is printed,
// printing never fails and every printed text reads back close to its value.
// Input: one control byte (separator, precision, decimals), then either the
// ten bytes of an extended value or a text to convert.

#include "numeric/errors.h"
#include "numeric/fp_check.h"
#include "numeric/number_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace korvan::numeric;

[[noreturn]] void fault(const char* what, const std::string& text) {
    std::fprintf(stderr, "%s: '%s'\n", what, text.c_str());
    std::abort();
}

// Printed texts must read back, to the precision they were printed with.
void checkPrinted(long double value, char separator, int precision, int decimals) {
    if (!std::isfinite(value)) return;
    const std::string general = formatGeneral(value, separator, precision);
    const auto back = parseNumber(general, separator);
    if (!back) fault("general text does not read back", general);
    if (std::fabs(value) > 1e-4900L &&
        std::fabs(*back - value) > std::fabs(value) * std::pow(10.0L, 1 - precision))
        fault("general text reads back to another value", general);
    const std::string fixed = formatFixed(value, precision, decimals, separator);
    if (!parseNumber(fixed, separator)) fault("fixed text does not read back", fixed);
    if (std::fabs(value) < 3e38L) {
        const float single = static_cast<float>(value);
        const std::string shortest = formatShortestSingle(single, separator);
        const auto again = parseNumber(shortest, separator);
        if (!again || static_cast<float>(*again) != single)
            fault("shortest single does not read back", shortest);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t control = data[0];
    const char separator = (control & 1) ? ',' : '.';
    const int precision = 1 + (control >> 1) % 18;
    const int decimals = (control >> 5) % 8;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    korvan::fp::clearFlags();
    try {
        if (size == 11) { // an extended value bit for bit
            long double value = 0;
            std::memcpy(&value, data + 1, 10);
            checkPrinted(value, separator, precision, decimals);
        }
        if (const auto v = parseNumber(text, separator)) {
            if (!std::isfinite(*v)) fault("conversion gave a non-finite value", text);
            checkPrinted(*v, separator, precision, decimals);
        }
        (void)parseInteger(text);
    } catch (const korvan::CalcError&) {
        // Non-finite values are refused by design; nothing else may throw.
    }
    korvan::fp::clearFlags();
    return 0;
}
