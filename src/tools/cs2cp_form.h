#pragma once
// The termination converter without widgets: a series termination (Rs with
// Cs, the first tuning capacitor) as the equivalent parallel one (Rp with Cp
// across it) at one frequency. Opening it copies frequency, Rs and Cs from
// the main form's model. All double precision.

#include "model/form_model.h"
#include "model/messages.h"

namespace korvan::tools {

inline constexpr const char* kCs2CpCaption = "LadderTermination  RsCs_to_RpCp";

class Cs2CpForm {
  public:
    Cs2CpForm(MessageSink& messages, char separator, const FormModel& mainForm);

    FormModel& form() { return form_; }
    const FormModel& form() const { return form_; }
    char separator() const { return separator_; }

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

    MessageSink& messages_;
    char separator_;
    const FormModel& main_;
    FormModel form_;
    State s_;
};

} // namespace korvan::tools
