#pragma once
// The crystal tuning calculator without widgets: for one crystal whose actual
// series frequency differs from the nominal one, the series capacitor that
// still puts its mesh at the design's offset. The reference is mesh 2, set by
// Ck12 and Ck23. Opening it presses the main window's "Calculate" and copies
// the crystal and coupling texts from the main form's model.

#include "model/design_state.h"
#include "model/form_model.h"
#include "model/messages.h"
#include "tools/tool_form.h"

#include <functional>

namespace korvan::tools {

inline constexpr const char* kTuningCaption =
    "Xtal Tuning Calculator                                               qx0zz";

// A warning, not a refusal: the capacitor is still shown.
inline constexpr const char* kTooSmallWarning =
    "The tuning capacitor becomes too small (<10pF)\ror even negative.\rPlease reduce the offset "
    "value";

class TuningForm : public ToolForm {
  public:
    // `mainForm` and `mainState` are the main window's, read at each
    // opening after `calculate` (its "Calculate") has run.
    TuningForm(MessageSink& messages, char separator, const FormModel& mainForm,
               const DesignState& mainState, std::function<void()> calculate);

    // Events; each ends at an error it does not catch (general error report).
    void formActivate();
    void button1Click();             // also Enter in a field, after the focus move
    void radioGroup1Click(int item); // 0 Lm, 1 Cm
    void aEdit1Exit();

    // Window state (all double precision; 0 until first read).
    struct State {
        double fNom = 0, fAct = 0;         // Hz
        double C0 = 0, Ck12 = 0, Ck23 = 0; // F
        double N = 0, A = 0;               // Hz: nominal offset, actual minus nominal
        double Lm = 0, Cm = 0;             // H, F
    };
    const State& state() const { return s_; }

  private:
    void getInputs();
    void calcXtalParms();
    void calcTuningC();
    void applyRadioGroup1();
    std::string hzText(long double hz) const;

    const FormModel& main_;
    const DesignState& mainState_;
    std::function<void()> calculate_;
    State s_;
};

} // namespace korvan::tools
