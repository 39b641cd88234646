#pragma once
// The errors that end a running handler and reach the general error report.
// Each carries the text the user sees (the report appends a full stop).

#include <stdexcept>
#include <string>

namespace korvan {

class CalcError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A text as a message quotes it: ordinary texts whole, a pasted or loaded
// monster cut to its start, so that the box stays readable.
inline std::string echoedText(const std::string& text) {
    constexpr std::size_t kWhole = 80, kStart = 60;
    if (text.size() <= kWhole) return text;
    std::size_t cut = kStart;
    // Never split a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut) + "... (" + std::to_string(text.size()) + " characters)";
}

// Text that is not a number where a number must be read.
class ConversionError : public CalcError {
  public:
    explicit ConversionError(const std::string& text)
        : CalcError("'" + echoedText(text) + "' is not a valid floating point value") {}
};

// Invalid operation, division by zero or overflow, with the runtime's wording.
class FloatingPointError : public CalcError {
  public:
    using CalcError::CalcError;
};

// A file that could not be created or written.
class FileError : public CalcError {
  public:
    using CalcError::CalcError;
};

} // namespace korvan
