#pragma once
// The crystal's motional parameters by the G3UUR oscillator method: two
// oscillation frequencies, with a switch that shorts or inserts Csw in series
// with the crystal, give Lm, Cm and fs. The fields are read from the form
// model; the window state lives for the whole run.

#include "tools/tool_form.h"

namespace korvan::tools {

inline constexpr const char* kG3uurCaption = "Xtal Parameter Calculator (G3UUR method)   ";

class G3uurForm : public ToolForm {
  public:
    G3uurForm(MessageSink& messages, char decimalSeparator);

    // Events.
    void formActivate();
    void button1Click();
    // Enter in a field: the focus moves first, then Button1 is clicked.
    void editReturnPressed();

    // The window state [Hz, F, H], as last read or computed.
    struct State {
        double fo = 0, fc = 0; // switch open, closed
        double Csw = 0, C0 = 0, C1 = 0, C2 = 0;
        double Lm = 0, Cm = 0, fs = 0;
    };
    const State& state() const { return s_; }

  private:
    void click();
    void getInputs();
    void calcVals();

    State s_;
};

} // namespace korvan::tools
