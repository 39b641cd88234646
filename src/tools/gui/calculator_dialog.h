#pragma once
// The frame shared by the calculator windows that copy from the main window:
// a fixed-size modal dialog with its form name, caption and background, its
// controls bound to the form object's model, and the Enter key of every
// entry field moving the focus first and then calculating. Each window
// builds its own controls and says what opening and Enter run.

#include "model/design_state.h"
#include "model/form_model.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

namespace korvan::widgets {
class TAEdit;
}

namespace korvan::gui {

class FormBinder;

class CalculatorDialog : public QDialog {
    Q_OBJECT

  public:
    ~CalculatorDialog() override;

    // Shows the window modally; returns when it is closed (hidden).
    int openModal();

  protected:
    CalculatorDialog(const char* formName, const char* caption, QSize client, Rgb background,
                     char separator, QWidget* parent);

    // Call once the controls stand: binds them and connects Enter.
    void bindControls(const std::function<void(FormBinder&)>& addGroups = {});

    // One event of the form object between the two copies.
    void runEvent(const std::function<void()>& event);
    void syncFromModel();

    // What opening (each time it is shown) and Enter in a field run.
    virtual FormModel& model() = 0;
    virtual void activated() = 0;
    virtual void calculate() = 0;
    // Where the window goes before it opens; by default where it was left.
    virtual void beforeOpening() {}
    bool inEvent() const { return eventDepth_ > 0; }

    void showEvent(QShowEvent* event) override;

    // Building blocks of the layouts.
    QLabel* label(QWidget* parent, const char* name, const QString& text, QRect r,
                  Rgb colour = colors::black,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    QLabel* result(QWidget* parent, const char* name, QRect r, Rgb colour, Qt::Alignment align);
    widgets::TAEdit* entry(QWidget* parent, const char* name, QRect r, Rgb colour, bool bold);
    QFrame* panel(QWidget* parent, const char* name, QRect r, Rgb background, bool sunken = true);
    QPushButton* calculateButton(QWidget* parent, QRect r);
    // Puts `field` over the run of blanks in `caption`'s text that starts
    // after `before` characters, so the caption reads around the field.
    static void placeOverBlanks(QLabel* caption, QWidget* field, int before, int blanks);

    static void setBold(QWidget* w, bool underline = false);
    static void setColours(QWidget* w, Rgb text, std::optional<Rgb> background = std::nullopt);

    FormBinder& binder() { return *binder_; }

  private:
    void applyFocusRequests();

    char separator_;
    std::unique_ptr<FormBinder> binder_;
    int eventDepth_ = 0;
};

} // namespace korvan::gui
