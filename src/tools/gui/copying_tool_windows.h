#pragma once
// The three calculator windows that copy from the main window (crystal
// tuning, L-C match, Cs to Cp): created once, opened modally by their menu
// commands, hidden and not destroyed when closed, so that they keep their
// values for the whole run.

#include "model/design_state.h"
#include "model/form_model.h"
#include "model/messages.h"

#include <functional>

class QWidget;

namespace korvan::gui {

class TuningWindow;
class LcMatchWindow;
class Cs2CpWindow;

class CopyingToolWindows {
  public:
    // `mainWindow` holds the menu actions XtalTuning1, Match1 and Cs2Cp1 and
    // the "Calculate" button SpeedButton1; `mainModel` and `mainState` are
    // those of its main form, read as the windows open; `takeMainFields`
    // takes the main window's typing not yet calculated into `mainModel`.
    // The windows copy what the main window shows, typing included, which
    // is why they read its model and not the last outcome. They are
    // children of the main window; nothing is created until the add
    // functions run, so that the program can interleave them with the other
    // tool windows in its creation order.
    CopyingToolWindows(QWidget& mainWindow, std::function<void()> takeMainFields,
                       const FormModel& mainModel, const DesignState& mainState,
                       MessageSink& messages, char separator);

    // Each creates its window once and connects its menu command.
    Cs2CpWindow* addCs2Cp();
    LcMatchWindow* addLcMatch();
    TuningWindow* addTuning();
    // All three, in the program's order (Cs to Cp, L-C match, tuning).
    void addAll();

    TuningWindow* tuning() const { return tuning_; }
    LcMatchWindow* lcMatch() const { return lcMatch_; }
    Cs2CpWindow* cs2cp() const { return cs2cp_; }

  private:
    template <typename Open> void connectAction(const char* name, Open open);

    QWidget& main_;
    std::function<void()> takeMainFields_;
    const FormModel& mainModel_;
    const DesignState& mainState_;
    MessageSink& messages_;
    char separator_;
    TuningWindow* tuning_ = nullptr;
    LcMatchWindow* lcMatch_ = nullptr;
    Cs2CpWindow* cs2cp_ = nullptr;
};

} // namespace korvan::gui
