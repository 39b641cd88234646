// Any bytes as a Touchstone file: the reader either returns a sweep or
// throws its own error, and a two-port sweep it returns goes through the
// crystal fit, which may only refuse with its own error.

#include "measurement/crystal_fit.h"
#include "measurement/touchstone_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte plays the file name's part: unknown, .s1p or .s2p.
    const int portsFromName = data[0] % 3;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        const auto sweep = korvan::measurement::parseTouchstone(text, portsFromName);
        if (sweep.ports == 2 && sweep.frequencyHz.size() <= 4096)
            korvan::measurement::fitCrystal(sweep.frequencyHz, sweep.s21(),
                                            {sweep.referenceOhm, {}});
    } catch (const korvan::measurement::TouchstoneError&) {
    } catch (const korvan::measurement::FitError&) {
    }
    return 0;
}
