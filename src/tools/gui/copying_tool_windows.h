#pragma once
// The three calculator windows that copy from the main window (crystal
// tuning, L-C match, Cs to Cp): created once, opened modally by their menu
// commands, hidden and not destroyed when closed, so that they keep their
// values for the whole run.

#include "model/design_state.h"
#include "model/form_model.h"
#include "model/messages.h"

class QMainWindow;

namespace korvan::gui {

class TuningWindow;
class LcMatchWindow;
class Cs2CpWindow;

class CopyingToolWindows {
  public:
    // `mainWindow` holds the menu actions XtalTuning1, Match1 and Cs2Cp1 and
    // the "Calculate" button SpeedButton1; `mainModel` and `mainState` are
    // those of its main form. The windows are children of the main window.
    CopyingToolWindows(QMainWindow& mainWindow, FormModel& mainModel, const DesignState& mainState,
                       MessageSink& messages, char separator);

    TuningWindow* tuning() const { return tuning_; }
    LcMatchWindow* lcMatch() const { return lcMatch_; }
    Cs2CpWindow* cs2cp() const { return cs2cp_; }

  private:
    // Field texts typed into the main window but not yet calculated belong
    // to what the windows copy: bring them into the main model first.
    void takeMainFields();

    QMainWindow& main_;
    FormModel& mainModel_;
    TuningWindow* tuning_;
    LcMatchWindow* lcMatch_;
    Cs2CpWindow* cs2cp_;
};

} // namespace korvan::gui
