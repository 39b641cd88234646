#pragma once
// The termination converter window: frequency, Rs and Cs copied from the
// main window at each opening, converted into Rp with Cp across it.

#include "tools/cs2cp_form.h"
#include "tools/gui/tool_window.h"

class QLabel;

namespace korvan::gui {

class Cs2CpWindow : public tools::gui::ToolWindow {
    Q_OBJECT

  public:
    Cs2CpWindow(const FormModel& mainModel, QWidget* mainWindow, MessageSink& messages,
                char separator);

    tools::Cs2CpForm& form() { return form_; }

  protected:
    void activate() override;
    void calculate() override { form_.button1Click(); }

  private:
    void buildControls();

    tools::Cs2CpForm form_;
    QLabel* credit_ = nullptr;
};

} // namespace korvan::gui
