#pragma once
// A calculator window: fixed size, close box only, opened modally from the
// main menu and hidden (never destroyed) when closed, so its values last for
// the run. Each event copies the fields into the form object's model, runs
// the form's handler and copies the model back into the widgets.

#include "model/gui/qt_message_sink.h"
#include "tools/tool_form.h"

#include <QDialog>

#include <memory>

namespace korvan::gui {
class FormBinder;
}

namespace korvan::tools::gui {

class ToolWindow : public QDialog {
    Q_OBJECT

  public:
    // `messages` null: the window shows its own message boxes.
    ToolWindow(const char* formName, const QString& caption, QSize client, MessageSink* messages,
               QWidget* parent);
    ~ToolWindow() override;

    // Shows the window modally; its activation handler runs once it is on
    // screen. Returns when the user has closed it.
    void openModal();

    // Copies the model into the widgets and applies the focus moves.
    void syncFromModel();

  protected:
    MessageSink& messages() { return *sink_; }
    // After the controls are built: binds them to the model and shows the
    // model's first state.
    void bind(ToolForm& form);
    template <typename Event> void runEvent(Event&& event) {
        toModel();
        event();
        syncFromModel();
    }
    virtual void activate() = 0;
    // Every entry field's Enter runs `onEnter` as an event.
    void connectEnter(const std::function<void()>& onEnter);

    void showEvent(QShowEvent* event) override;

  private:
    void toModel();

    korvan::gui::QtMessageSink ownSink_;
    MessageSink* sink_;
    ToolForm* form_ = nullptr;
    std::unique_ptr<korvan::gui::FormBinder> binder_;
    bool activatePending_ = false;
};

} // namespace korvan::tools::gui
