#include "tools/gui/copying_tool_windows.h"

#include "model/gui/form_binder.h"
#include "tools/gui/cs2cp_window.h"
#include "tools/gui/lc_match_window.h"
#include "tools/gui/tuning_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QMainWindow>

namespace korvan::gui {

CopyingToolWindows::CopyingToolWindows(QMainWindow& mainWindow, FormModel& mainModel,
                                       const DesignState& mainState, MessageSink& messages,
                                       char separator)
    : main_(mainWindow), mainModel_(mainModel) {
    // The order in which the program creates them: Cs to Cp, L-C match, tuning.
    cs2cp_ = new Cs2CpWindow(mainModel, &mainWindow, messages, separator);
    lcMatch_ = new LcMatchWindow(mainModel, &mainWindow, messages, separator);
    const auto pressCalculate = [&mainWindow] {
        if (auto* calculate = mainWindow.findChild<QAbstractButton*>("SpeedButton1"))
            calculate->click();
    };
    tuning_ =
        new TuningWindow(mainModel, mainState, pressCalculate, &mainWindow, messages, separator);

    const auto connectAction = [&](const char* name, auto open) {
        if (auto* action = mainWindow.findChild<QAction*>(name))
            QObject::connect(action, &QAction::triggered, &mainWindow, open);
    };
    connectAction("XtalTuning1", [this] { tuning_->openModal(); });
    connectAction("Match1", [this] {
        takeMainFields();
        lcMatch_->openModal();
    });
    connectAction("Cs2Cp1", [this] {
        takeMainFields();
        cs2cp_->openModal();
    });
}

void CopyingToolWindows::takeMainFields() {
    // The client area only: the calculator windows below the main window
    // reuse its control names.
    QWidget* client = main_.centralWidget();
    FormBinder(client ? static_cast<QObject*>(client) : &main_).toModel(mainModel_);
}

} // namespace korvan::gui
