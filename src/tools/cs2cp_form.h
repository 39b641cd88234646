#pragma once
// The termination converter without widgets: a series termination (Rs with
// Cs, the first tuning capacitor) as the equivalent parallel one (Rp with Cp
// across it) at one frequency. Opening it copies frequency, Rs and Cs from
// the main form's model. All double precision.

#include "model/form_model.h"
#include "model/messages.h"
#include "tools/tool_form.h"

namespace korvan::tools {

inline constexpr const char* kCs2CpCaption = "LadderTermination  RsCs_to_RpCp";

class Cs2CpForm : public ToolForm {
  public:
    Cs2CpForm(MessageSink& messages, char separator, const FormModel& mainForm);

    void formActivate();
    void button1Click(); // also Enter in a field, after the focus move

    struct State {
        double f = 0;  // Hz
        double Rs = 0; // Ohm
        double Cs = 0; // F
        double Rp = 0; // Ohm
        double Cp = 0; // pF
    };
    const State& state() const { return s_; }

  private:
    void calcResults();

    const FormModel& main_;
    State s_;
};

} // namespace korvan::tools
