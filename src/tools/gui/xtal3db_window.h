#pragma once
// The 3 dB method window: measured values on the left, the crystal's
// parameters on the right; the form object computes, the window shows.

#include "tools/gui/tool_window.h"
#include "tools/xtal3db_form.h"

namespace korvan::tools::gui {

class Xtal3dbWindow : public ToolWindow {
    Q_OBJECT

  public:
    Xtal3dbWindow(char decimalSeparator, MessageSink* messages = nullptr,
                  QWidget* parent = nullptr);

    Xtal3dbForm& form() { return form_; }

  protected:
    void activate() override { form_.formActivate(); }
    void calculate() override { form_.button1Click(); }

  private:
    void buildControls(char separator);
    void radioButtonClicked(int button);

    Xtal3dbForm form_;
};

} // namespace korvan::tools::gui
