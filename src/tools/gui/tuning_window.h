#pragma once
// The crystal tuning window: opening presses the main window's "Calculate",
// copies the crystal and the first coupling capacitors and calculates; the
// tuning capacitor for the crystal's actual frequency is shown in Panel7.

#include "tools/gui/tool_window.h"
#include "tools/tuning_form.h"

class QButtonGroup;

namespace korvan::gui {

class TuningWindow : public tools::gui::ToolWindow {
    Q_OBJECT

  public:
    // `mainWindow` places this window and is the one whose "Calculate"
    // `calculateMain` presses; its model and design state are read after it.
    TuningWindow(const FormModel& mainModel, const DesignState& mainState,
                 std::function<void()> calculateMain, QWidget* mainWindow, MessageSink& messages,
                 char separator);

    tools::TuningForm& form() { return form_; }

  protected:
    void activate() override { form_.formActivate(); }
    void calculate() override { form_.button1Click(); }
    void beforeOpening() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();

    tools::TuningForm form_;
    QWidget* mainWindow_;
    QButtonGroup* lmCm_ = nullptr;
    QWidget* aEdit1_ = nullptr;
};

} // namespace korvan::gui
