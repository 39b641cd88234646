#pragma once
// The G3UUR method window: the test circuit with its capacitors, the two
// oscillation frequencies, and Lm, Cm and fs in the result panel.

#include "tools/g3uur_form.h"
#include "tools/gui/tool_window.h"

namespace korvan::tools::gui {

class G3uurWindow : public ToolWindow {
    Q_OBJECT

  public:
    G3uurWindow(char decimalSeparator, MessageSink* messages = nullptr, QWidget* parent = nullptr);

    G3uurForm& form() { return form_; }

  protected:
    void activate() override { form_.formActivate(); }
    void calculate() override { form_.button1Click(); }

  private:
    void buildControls(char separator);

    G3uurForm form_;
};

} // namespace korvan::tools::gui
