#pragma once
// What every calculation stage works on: the design state, the form model it
// writes its texts into, the message boxes and the decimal separator.

#include "model/design_state.h"
#include "model/form_model.h"
#include "model/messages.h"

namespace korvan {

struct StageContext {
    DesignState& state;
    FormModel& form;
    MessageSink& messages;
    char separator = '.';
};

// Resets the result labels to "----   " (Label7-10, 21-26, 33-51; the
// capacitor labels blue).
void clearAllFields(FormModel& form);

// Zeroes k, Ck and Cs.
void clearArrays(DesignState& state);

} // namespace korvan
