#pragma once
// The main window: the fields are read into the form model, the main form
// runs the calculation, and the model is copied back into the widgets.
// The window holds no formula; every event goes to korvan::MainForm.

#include "app/main_form.h"
#include "measurement/crystal_sets.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QButtonGroup;
class QLabel;
class QMenu;
class QGroupBox;

namespace korvan::widgets {
class TAEdit;
}
namespace korvan::response {
class PlotView;
struct PlotData;
} // namespace korvan::response

namespace korvan::gui {

class FormBinder;

inline constexpr int kClientWidth = 855;
inline constexpr int kClientHeight = 646;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // `messages` is the sink the form was built with; the window uses it for
    // the errors of its own (the cursor read-out).
    MainWindow(MainForm& form, MessageSink& messages, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence of the main form; the window is shown within it,
    // after the first calculation (`afterFirstCalculation` runs just before).
    void startUp(const std::function<void()>& afterFirstCalculation = {});

    // Copies the model into the widgets, applies the focus moves and the
    // caption. Also run before each message box, so the box sees the state
    // it talks about.
    void syncFromModel();
    // A change of the form outside the main form's events (a menu command):
    // the fields' texts are taken first, so the copy back keeps the typing.
    void changeForm(const std::function<void()>& change);
    // Takes the fields' texts into the model without an event (the windows
    // that copy from the main window read typing not yet calculated).
    void takeFields();
    // A measured crystal as a user would enter it: "Lm" chosen, the crystal's
    // four fields filled, "Calculate" pressed. Other typing stays.
    void useCrystal(const measurement::CrystalFieldTexts& crystal);

    widgets::TAEdit* edit(int number) const;
    response::PlotView* plot() const { return plot_; }
    QAction* menuAction(const QString& name) const;

    // The plot's context menu: windows beyond the menu bar add their items
    // here, so the menu bar stays as it is.
    QMenu* plotContextMenu() const { return plotContextMenu_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Building the controls (main_window_layout.cpp).
    void buildControls(QWidget* client);
    void buildInputBar(QWidget* client);
    void buildResultColumn(QWidget* client);
    void buildPlotPanel(QWidget* client);
    void buildMenu();
    void connectEvents();

    // Runs one main-form event between the two copies.
    template <typename Event> void runEvent(Event&& event);
    void typeButtonClicked(int type);
    void lmCmClicked(int item);
    void plotMouseMoved(int x);
    void plotPanelMouseMoved(QPoint pos);
    void setScaleButtonColour(Rgb colour);
    void applyFocusRequests();
    response::PlotData repaintPlot();

    MainForm& form_;
    MessageSink& messages_;
    std::unique_ptr<FormBinder> binder_;
    response::PlotView* plot_ = nullptr;
    QButtonGroup* lmCm_ = nullptr;
    QButtonGroup* filterType_ = nullptr;
    QWidget* inputBar_ = nullptr;
    QWidget* plotPanel_ = nullptr;
    QWidget* scaleButton_ = nullptr;
    QGroupBox* typeFrame_ = nullptr;
    QMenu* plotContextMenu_ = nullptr;
    bool cursorFaultShown_ = false;
    int eventDepth_ = 0; // events now running (nested through message boxes)
};

} // namespace korvan::gui
