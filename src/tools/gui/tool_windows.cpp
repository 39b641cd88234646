#include "tools/gui/tool_windows.h"

#include "tools/gui/g3uur_window.h"
#include "tools/gui/info_window.h"
#include "tools/gui/xtal3db_window.h"

#include <QAction>
#include <QWidget>

namespace korvan::tools::gui {

ToolWindows::ToolWindows(QWidget* mainWindow, const FormModel& mainModel, char decimalSeparator)
    : QObject(mainWindow), main_(mainWindow), mainModel_(mainModel) {
    // Creation order: TForm8, TForm6, TForm3, TForm5, TForm7, TForm4.

    // TODO(merge): TForm8, the Cs-to-Cp window, is created here, opened by
    // "Cs2Cp1" and started from mainModel_.

    g3uur_ = new G3uurWindow(decimalSeparator, nullptr, main_);
    created_.push_back(g3uur_);
    info_ = new InfoWindow(main_);
    created_.push_back(info_);

    // TODO(merge): TForm5, the L-C matching window (menu "Match1"), here.
    // TODO(merge): TForm7, the crystal tuning window (menu "XtalTuning1"),
    // here; it presses the main window's "Calculate" before it copies.

    xtal3db_ = new Xtal3dbWindow(decimalSeparator, nullptr, main_);
    created_.push_back(xtal3db_);

    connectMenu("N3dbMethod1", xtal3db_);
    connectMenu("G3UURmethod1", g3uur_);
    connectMenu("Info1", info_);
}

void ToolWindows::connectMenu(const char* action, QDialog* window) {
    auto* a = main_->findChild<QAction*>(action);
    if (!a) return;
    connect(a, &QAction::triggered, window, [window] {
        if (auto* tool = qobject_cast<ToolWindow*>(window))
            tool->openModal();
        else if (auto* info = qobject_cast<InfoWindow*>(window))
            info->openModal();
        else
            window->exec();
    });
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
