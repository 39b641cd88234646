#pragma once
// Carries out the focus moves a form object asked for during an event, in
// the window that shows its model. The windows share this one routine.

#include "model/form_model.h"

#include <functional>

class QWidget;

namespace korvan::gui {

class FormBinder;

enum class RadioFocus {
    // Each radio button is a stop of its own.
    EachButton,
    // The radio buttons of one parent are one control: "next" leaves them.
    GroupIsOneStop,
};

// Takes the model's pending requests and applies them in order. `moveFocus`
// is the window's own focusNextPrevChild (protected in QWidget), so the
// moves follow the window's tab order exactly.
void applyFocusRequests(FormModel& model, const FormBinder& binder, QWidget& window,
                        const std::function<bool(bool next)>& moveFocus,
                        RadioFocus radios = RadioFocus::EachButton);

} // namespace korvan::gui
