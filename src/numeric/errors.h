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

// Text that is not a number where a number must be read.
class ConversionError : public CalcError {
  public:
    explicit ConversionError(const std::string& text)
        : CalcError("'" + text + "' is not a valid floating point value") {}
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
