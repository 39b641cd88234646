#include "tools/gui/tool_windows.h"

#include "tools/gui/copying_tool_windows.h"
#include "tools/gui/cs2cp_window.h"
#include "tools/gui/g3uur_window.h"
#include "tools/gui/info_window.h"
#include "tools/gui/lc_match_window.h"
#include "tools/gui/tuning_window.h"
#include "tools/gui/xtal3db_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QWidget>

namespace korvan::tools::gui {

ToolWindows::ToolWindows(QWidget* mainWindow, const FormModel& mainModel, char decimalSeparator,
                         korvan::gui::CopyingToolWindows* copying)
    : QObject(mainWindow), main_(mainWindow), mainModel_(mainModel) {
    // Creation order: TForm8, TForm6, TForm3, TForm5, TForm7, TForm4.

    // The copying windows connect their own menu commands.
    if (copying) created_.push_back(copying->addCs2Cp());

    g3uur_ = new G3uurWindow(decimalSeparator, nullptr, main_);
    add(g3uur_, "G3UURmethod1", [this] { g3uur_->openModal(); });
    info_ = new InfoWindow(main_);
    add(info_, "Info1", [this] { info_->openModal(); });

    if (copying) {
        created_.push_back(copying->addLcMatch());
        created_.push_back(copying->addTuning());
    }

    xtal3db_ = new Xtal3dbWindow(decimalSeparator, nullptr, main_);
    add(xtal3db_, "N3dbMethod1", [this] { xtal3db_->openModal(); });
}

void ToolWindows::add(QDialog* window, const char* action, std::function<void()> open) {
    created_.push_back(window);
    auto* a = main_->findChild<QAction*>(action);
    if (!a) return;
    if (!open) open = [window] { window->exec(); };
    connect(a, &QAction::triggered, window, std::move(open));
}

void ToolWindows::pressCalculate() const {
    if (auto* calculate = main_->findChild<QAbstractButton*>("SpeedButton1")) calculate->click();
}

QDialog* ToolWindows::window(const QString& formName) const {
    for (QDialog* w : created_)
        if (w->objectName() == formName) return w;
    return nullptr;
}

QStringList ToolWindows::creationOrder() const {
    QStringList names{main_->objectName()};
    for (QDialog* w : created_) names << w->objectName();
    return names;
}

} // namespace korvan::tools::gui
