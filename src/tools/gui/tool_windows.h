#pragma once
// The six windows beside the main window, created once after it in the
// program's order (Cs to Cp, G3UUR, Info, L-C match, crystal tuning, 3 dB
// method) and opened modally by the main menu. Closing one hides it; its
// values stay for the run.

#include "model/form_model.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QDialog;
class QWidget;

namespace korvan::gui {
class CopyingToolWindows;
}

namespace korvan::tools::gui {

class G3uurWindow;
class InfoWindow;
class Xtal3dbWindow;

class ToolWindows : public QObject {
    Q_OBJECT

  public:
    // `mainWindow` carries the menu actions (found by objectName) and owns
    // the windows; `mainModel` is the main form's model, for the windows
    // that start from the main window's values.
    // `copying`, when given, creates the three windows that copy from the
    // main window at their places in the order.
    ToolWindows(QWidget* mainWindow, const FormModel& mainModel, char decimalSeparator,
                korvan::gui::CopyingToolWindows* copying = nullptr);

    // The window of that form name ("TForm4"), or nullptr.
    QDialog* window(const QString& formName) const;
    // Form names in the order of creation.
    QStringList creationOrder() const;

    Xtal3dbWindow* xtal3db() const { return xtal3db_; }
    G3uurWindow* g3uur() const { return g3uur_; }
    InfoWindow* info() const { return info_; }

    // The main form's model, for the windows that copy from it.
    const FormModel& mainModel() const { return mainModel_; }

    // Presses the main window's "Calculate" as a click would (a full
    // calculation through the main window's event path).
    void pressCalculate() const;

  private:
    // Keeps `window` in the creation order and opens it modally from the
    // menu item `action`; `open` replaces the plain modal opening.
    void add(QDialog* window, const char* action, std::function<void()> open = {});

    QWidget* main_;
    const FormModel& mainModel_;
    std::vector<QDialog*> created_;
    Xtal3dbWindow* xtal3db_ = nullptr;
    G3uurWindow* g3uur_ = nullptr;
    InfoWindow* info_ = nullptr;
};

} // namespace korvan::tools::gui
