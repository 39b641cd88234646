#include "tools/gui/copying_tool_windows.h"

#include "tools/gui/cs2cp_window.h"
#include "tools/gui/lc_match_window.h"
#include "tools/gui/tuning_window.h"

#include <QAbstractButton>
#include <QAction>

namespace korvan::gui {

CopyingToolWindows::CopyingToolWindows(QWidget& mainWindow, std::function<void()> takeMainFields,
                                       const FormModel& mainModel, const DesignState& mainState,
                                       MessageSink& messages, char separator)
    : main_(mainWindow), takeMainFields_(std::move(takeMainFields)), mainModel_(mainModel),
      mainState_(mainState), messages_(messages), separator_(separator) {}

template <typename Open> void CopyingToolWindows::connectAction(const char* name, Open open) {
    if (auto* action = main_.findChild<QAction*>(name))
        QObject::connect(action, &QAction::triggered, &main_, open);
}

Cs2CpWindow* CopyingToolWindows::addCs2Cp() {
    if (cs2cp_) return cs2cp_;
    cs2cp_ = new Cs2CpWindow(mainModel_, &main_, messages_, separator_);
    connectAction("Cs2Cp1", [this] {
        // Typing not yet calculated belongs to what the window copies.
        if (takeMainFields_) takeMainFields_();
        cs2cp_->openModal();
    });
    return cs2cp_;
}

LcMatchWindow* CopyingToolWindows::addLcMatch() {
    if (lcMatch_) return lcMatch_;
    lcMatch_ = new LcMatchWindow(mainModel_, &main_, messages_, separator_);
    connectAction("Match1", [this] {
        // Typing not yet calculated belongs to what the window copies.
        if (takeMainFields_) takeMainFields_();
        lcMatch_->openModal();
    });
    return lcMatch_;
}

TuningWindow* CopyingToolWindows::addTuning() {
    if (tuning_) return tuning_;
    QWidget* mainWindow = &main_;
    const auto pressCalculate = [mainWindow] {
        if (auto* calculate = mainWindow->findChild<QAbstractButton*>("SpeedButton1"))
            calculate->click();
    };
    tuning_ =
        new TuningWindow(mainModel_, mainState_, pressCalculate, &main_, messages_, separator_);
    connectAction("XtalTuning1", [this] { tuning_->openModal(); });
    return tuning_;
}

void CopyingToolWindows::addAll() {
    addCs2Cp();
    addLcMatch();
    addTuning();
}

} // namespace korvan::gui
