#pragma once
// The L-C matching calculator without widgets: the low-pass L section
// (series L from R1, shunt C across R2) and its high-pass equivalent that
// match R1 to a larger R2 at one frequency. Opening it copies the centre
// frequency and the termination from the main form's model. Everything is
// computed in single precision, as the window stores it.

#include "model/form_model.h"
#include "model/messages.h"
#include "tools/tool_form.h"

namespace korvan::tools {

inline constexpr const char* kLcMatchCaption = "Matching L-C Network        ";

class LcMatchForm : public ToolForm {
  public:
    LcMatchForm(MessageSink& messages, char separator, const FormModel& mainForm);

    void formActivate();
    void button1Click(); // also Enter in a field, after the focus move

    struct State {
        float R1 = 0, R2 = 0;                                         // Ohm
        float f = 0;                                                  // kHz
        float Lseries = 0, Cparallel = 0, Cseries = 0, Lparallel = 0; // µH, pF
    };
    const State& state() const { return s_; }

  private:
    void calculate();

    const FormModel& main_;
    State s_;
};

} // namespace korvan::tools
