#pragma once
// A calculator window: a fixed-size dialog with its form name, caption and
// close box only, opened modally from the main menu and hidden (never
// destroyed) when closed, so its values last for the run. Its controls are
// bound to the form object's model; each event copies the fields into the
// model, runs the form's handler and copies the model back into the widgets,
// with the focus moves the handler asked for. Each window builds its own
// controls and says what opening, Enter and "Calculate" run.

#include "model/design_state.h"
#include "model/form_model.h"
#include "model/gui/focus_requests.h"
#include "model/gui/qt_message_sink.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QFrame;
class QLabel;
class QPushButton;

namespace korvan::gui {
class FormBinder;
}

namespace korvan::widgets {
class TAEdit;
}

namespace korvan::tools::gui {

class ToolWindow : public QDialog {
    Q_OBJECT

  public:
    // When the opening handler runs.
    enum class Activation {
        // Once the window is on screen, so that a box of the first
        // calculation stands in front of it; only when opened by openModal.
        AfterShown,
        // Within each (non-spontaneous) show, before anything else sees it.
        OnShow,
    };

    ~ToolWindow() override;

    // Shows the window modally; returns when the user has closed it.
    int openModal();

    // Copies the model into the widgets and applies the focus moves.
    void syncFromModel();

  protected:
    // `messages` null: the window shows its own message boxes, and copies
    // the model into the widgets before each one.
    ToolWindow(const char* formName, const QString& caption, QSize client, MessageSink* messages,
               char separator, QWidget* parent, Activation activation = Activation::AfterShown,
               korvan::gui::RadioFocus radios = korvan::gui::RadioFocus::EachButton);

    MessageSink& messages() { return *sink_; }

    // After the controls are built: binds them to `model` (with the radio
    // groups `addGroups` adds) and shows the model's first state.
    void bind(FormModel& model,
              const std::function<void(korvan::gui::FormBinder&)>& addGroups = {});

    // One event of the form object between the two copies.
    void runEvent(const std::function<void()>& event);

    // Every entry field's Enter runs `onEnter` as an event. With
    // `moveFocusFirst` the focus moves on before, so that a field's exit
    // action runs before the event, and the event's own focus change wins.
    void connectEnter(const std::function<void()>& onEnter, bool moveFocusFirst = false);

    virtual void activate() = 0;
    virtual void calculate() = 0;
    // Where the window goes before it opens; by default where it was left.
    virtual void beforeOpening() {}

    void showEvent(QShowEvent* event) override;

    korvan::gui::FormBinder& binder() { return *binder_; }

    // Building blocks of the layouts.
    QLabel* label(QWidget* parent, const char* name, const QString& text, QRect r,
                  Rgb colour = colors::black,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    QLabel* result(QWidget* parent, const char* name, QRect r, Rgb colour, Qt::Alignment align);
    widgets::TAEdit* entry(QWidget* parent, const char* name, QRect r, Rgb colour, bool bold);
    QFrame* panel(QWidget* parent, const char* name, QRect r, Rgb background, bool sunken = true);
    // "Calculate" as Button1: a click runs calculate() as an event.
    QPushButton* calculateButton(QWidget* parent, QRect r);
    // Puts `field` over the run of blanks in `caption`'s text that starts
    // after `before` characters, so the caption reads around the field.
    static void placeOverBlanks(QLabel* caption, QWidget* field, int before, int blanks);

    static void setBold(QWidget* w, bool underline = false);
    static void setColours(QWidget* w, Rgb text, std::optional<Rgb> background = std::nullopt);
    // Window background only (entry fields keep their own base colour).
    void setWindowBackground(Rgb background);

  private:
    void toModel();

    korvan::gui::QtMessageSink ownSink_;
    MessageSink* sink_;
    char separator_;
    Activation activation_;
    korvan::gui::RadioFocus radios_;
    FormModel* model_ = nullptr;
    std::unique_ptr<korvan::gui::FormBinder> binder_;
    bool activatePending_ = false;
};

} // namespace korvan::tools::gui
