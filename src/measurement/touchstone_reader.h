#pragma once
// Touchstone sweeps as a VNA program writes them: version 1.x .s1p/.s2p and
// version 2.0 one- and two-port files. Only S-parameters are taken; every
// value is turned into a complex number at the file's reference resistance.
// A file that cannot be read gives a TouchstoneError naming the line, never
// a partial result.

#include <array>
#include <complex>
#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvan::measurement {

struct TouchstoneData {
    int ports = 0;                // 1 or 2
    double referenceOhm = 50.0;   // the option line's R (or [Reference] port 1)
    double port2ReferenceOhm = 0; // [Reference] port 2 where it differs; 0: as port 1
    std::vector<double> frequencyHz;
    // Per point S11, S21, S12, S22 (a one-port file fills S11 only).
    std::vector<std::array<std::complex<double>, 4>> s;

    std::vector<std::complex<double>> s21() const;
};

class TouchstoneError : public std::runtime_error {
  public:
    // `line` 0: the file as a whole.
    TouchstoneError(int line, const std::string& message);
    int line() const { return line_; }
    // The message alone, without "line N: ".
    const std::string& reason() const { return reason_; }

  private:
    int line_;
    std::string reason_;
};

// Files beyond this size are refused rather than read into memory.
inline constexpr std::uintmax_t kMaxTouchstoneBytes = 64u * 1024u * 1024u;

// `portsFromName`: 1 or 2 from a ".s1p"/".s2p" name, 0 when the name tells
// nothing (a version 1 file then counts as two-port when its records say so).
TouchstoneData parseTouchstone(std::string_view text, int portsFromName = 0);

// Reads and parses the file; the port count of a version 1 file comes from
// its extension.
TouchstoneData readTouchstone(const std::filesystem::path& path);

} // namespace korvan::measurement
