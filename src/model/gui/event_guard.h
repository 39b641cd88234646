#pragma once
// No exception leaves a window's event handler: each handler that can fail
// runs guarded and reports the failure in a box (the general error report:
// the error's text and a full stop, a stop icon), and the program carries
// on with the next event. GuardedApplication is the last net under every
// handler of the program, for anything that escapes all the same.

#include <QApplication>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <utility>

namespace korvan::gui {

// Shows one failure of a handler in a box titled `title` over `parent`.
// A failure while another failure's box is open only goes to the log, so
// that a fault that recurs at every paint cannot pile up boxes.
void reportFailure(QWidget* parent, const QString& title, const QString& text) noexcept;

// Runs `handler`; an exception it does not catch is reported in a box.
// True when the handler ran to its end.
bool runGuarded(QWidget* parent, const QString& title, const std::function<void()>& handler);

// A slot for connect(): runs `handler` (taking no arguments) guarded.
template <typename Handler> auto guardedSlot(QWidget* parent, QString title, Handler handler) {
    return [parent = QPointer<QWidget>(parent), title = std::move(title),
            handler = std::move(handler)]() mutable {
        runGuarded(parent.data(), title, [&handler] { handler(); });
    };
}

// The application object of `korvan` and of the GUI tests: an exception
// that escapes an event handler is reported in a box (deferred past a
// paint) and the event counts as handled; the program keeps running.
class GuardedApplication : public QApplication {
  public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Exceptions the net has caught so far (tests; the log has each one).
    int failuresCaught() const { return failures_; }

  private:
    int failures_ = 0;
};

} // namespace korvan::gui
