#pragma once
// What every calculator window shares without widgets: its own form model
// (control name -> text, colour, state), the message boxes, the decimal
// separator, and the way a handler ends on an error it does not catch.

#include "model/form_model.h"
#include "model/messages.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace korvan::tools {

// pi to the full 64-bit mantissa of the extended type.
inline constexpr long double kPi = 3.14159265358979323846264338327950288L;

inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kRed{255, 0, 0};

inline constexpr const char* kInvalidInput = "Invalid or missing input value(s)";

class ToolForm {
  public:
    ToolForm(MessageSink& messages, char decimalSeparator)
        : messages_(messages), separator_(decimalSeparator) {}
    virtual ~ToolForm() = default;
    ToolForm(const ToolForm&) = delete;
    ToolForm& operator=(const ToolForm&) = delete;

    FormModel& form() { return form_; }
    const FormModel& form() const { return form_; }
    char separator() const { return separator_; }

  protected:
    // Runs one event: an error it does not catch ends it and is shown by the
    // general error report; what it wrote before stays.
    void runHandler(const std::function<void()>& handler);

    // "Error" box with OK and the exclamation icon.
    void showError(const std::string& text);

    // The guarded read of one field: the number, or nullopt when the text is
    // not a number or the value does not fit the type it is stored in.
    std::optional<long double> readField(std::string_view field) const;

    // The unguarded read: a text that is not a number throws the conversion
    // error.
    long double readUnguarded(std::string_view control) const;

    std::string fixed(long double value, int precision, int decimals) const;

    FormModel form_;
    MessageSink& messages_;

  private:
    char separator_;
    int handlerDepth_ = 0;
};

// Rounds halves to even into a 32-bit integer; a value beyond that range is
// the runtime's invalid operation.
int roundToInt32(long double value);

} // namespace korvan::tools
