#pragma once
// The L-C matching window: frequency and R2 copied from the main window at
// each opening, the two equivalent L sections drawn and their values below.

#include "tools/gui/tool_window.h"
#include "tools/lc_match_form.h"

namespace korvan::gui {

class LcMatchWindow : public tools::gui::ToolWindow {
    Q_OBJECT

  public:
    LcMatchWindow(const FormModel& mainModel, QWidget* mainWindow, MessageSink& messages,
                  char separator);

    tools::LcMatchForm& form() { return form_; }

  protected:
    void activate() override { form_.formActivate(); }
    void calculate() override { form_.button1Click(); }

  private:
    void buildControls();

    tools::LcMatchForm form_;
};

} // namespace korvan::gui
