#include "tools/gui/tool_windows.h"

#include "tools/gui/g3uur_window.h"
#include "tools/gui/info_window.h"
#include "tools/gui/xtal3db_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QWidget>

namespace korvan::tools::gui {

ToolWindows::ToolWindows(QWidget* mainWindow, const FormModel& mainModel, char decimalSeparator)
    : QObject(mainWindow), main_(mainWindow), mainModel_(mainModel) {
    // Creation order: TForm8, TForm6, TForm3, TForm5, TForm7, TForm4.

    // TODO(merge): TForm8, the Cs-to-Cp window, here:
    //   add(new ..., "Cs2Cp1", ...); it starts from mainModel_.

    g3uur_ = new G3uurWindow(decimalSeparator, nullptr, main_);
    add(g3uur_, "G3UURmethod1", [this] { g3uur_->openModal(); });
    info_ = new InfoWindow(main_);
    add(info_, "Info1", [this] { info_->openModal(); });

    // TODO(merge): TForm5, the L-C matching window, here (menu "Match1").
    // TODO(merge): TForm7, the crystal tuning window, here (menu
    //   "XtalTuning1"); its opening calls pressCalculate() before it copies.

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
