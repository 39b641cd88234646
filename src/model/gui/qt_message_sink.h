#pragma once
// Message boxes of the window: QMessageBox with the title, text, buttons,
// icon and default button of each message.

#include "model/messages.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace korvan::gui {

class QtMessageSink : public MessageSink {
  public:
    explicit QtMessageSink(QWidget* parent = nullptr) : parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }
    // Runs before each box, so the window shows the state the box talks about.
    void setBeforeShow(std::function<void()> hook) { beforeShow_ = std::move(hook); }
    // While deferring (inside a paint), an OK box is queued and shown once
    // the paint has finished; it answers OK at once.
    void setDeferring(bool on) { deferring_ = on; }

    MsgAnswer show(const Message& message) override;

  private:
    QPointer<QWidget> parent_;
    std::function<void()> beforeShow_;
    bool deferring_ = false;
};

} // namespace korvan::gui
