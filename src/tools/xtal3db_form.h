#pragma once
// The crystal's motional parameters from a passive 3 dB measurement: the
// fields are read from the form model, the window state holds the values
// for the whole run, and the results are written back as the window shows
// them. Three modes: transmission entered (A), attenuation entered (B), loss
// resistance entered (C).

#include "tools/tool_form.h"

namespace korvan::tools {

inline constexpr const char* kXtal3dbCaption =
    "Xtal Parameter Calculator (3db method)                qx0zz";

class Xtal3dbForm : public ToolForm {
  public:
    enum class Mode { Transmission, Attenuation, LossResistance };

    Xtal3dbForm(MessageSink& messages, char decimalSeparator);

    // Events.
    void formActivate();
    void button1Click();
    // Enter in a field: the focus moves first, then the calculation.
    void editReturnPressed();
    // A radio button that was not selected is clicked (1 or 2).
    void radioButtonClicked(int button);
    void checkBox1Clicked(bool ticked);

    Mode mode() const;

    // The window state, as last read or computed.
    struct State {
        double R = 0;  // source + load [Ohm]
        double fs = 0; // [Hz]
        float B = 0;   // 3 dB bandwidth [Hz]
        double u = 0;  // transmission, fraction
        double a = 0;  // attenuation [dB]
        double Rm = 0; // loss resistance [Ohm]
        // Results of the last complete calculation.
        double Lm = 0; // [H]
        double Cm = 0; // [F]
        int Qu = 0;
    };
    const State& state() const { return s_; }

  private:
    void setDesignDefaults();
    void calculate(); // GetInputs, then CalcVals
    void getInputs();
    void calcVals();
    void radioButton1Click();
    void radioButton2Click();
    void selectRadioButton1();
    bool checked(const char* name) const;

    State s_;
};

} // namespace korvan::tools
