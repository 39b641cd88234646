#pragma once
// What the copying calculator windows share: one event at a time, an error
// that the event does not catch shown by the general error report, and the
// guarded read that stops at the first field it cannot convert.

#include "model/form_model.h"
#include "model/messages.h"

#include <functional>
#include <initializer_list>
#include <string>

namespace korvan::tools {

// Runs one window event as a guarded calculation (numeric/fp_check.h): an
// error it does not catch ends it and reaches the general error report,
// whatever it wrote before stays.
void runToolEvent(MessageSink& messages, const std::function<void()>& event);

// One field of a guarded read: its number times `scale`, stored in double
// precision.
struct FieldRead {
    const char* field;
    long double scale;
    double& target;
};

// Reads the fields in order into their targets and stops at the first one
// that cannot be read (or whose value overflows its store): that one and all
// later ones keep their values. True when every field was read.
bool readFields(const FormModel& form, char separator, std::initializer_list<FieldRead> reads);

// A message box with OK as its only button.
Message okBox(std::string title, std::string text, MsgIcon icon);

} // namespace korvan::tools
