#include "tools/gui/tool_window.h"

#include "model/gui/form_binder.h"
#include "widgets/gui/aedit.h"

#include <QTimer>

namespace korvan::tools::gui {

ToolWindow::ToolWindow(const char* formName, const QString& caption, QSize client,
                       MessageSink* messages, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ownSink_(this), sink_(messages ? messages : &ownSink_) {
    setObjectName(formName);
    setWindowTitle(caption);
    setFixedSize(client);
    setModal(true);
    ownSink_.setBeforeShow([this] { syncFromModel(); });
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    setFont(f);
}

ToolWindow::~ToolWindow() {
    ownSink_.setBeforeShow({});
}

void ToolWindow::bind(ToolForm& form) {
    form_ = &form;
    binder_ = std::make_unique<korvan::gui::FormBinder>(this);
    syncFromModel();
}

void ToolWindow::openModal() {
    activatePending_ = true;
    exec();
}

void ToolWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activatePending_) return;
    activatePending_ = false;
    // Once the window is on screen, so that a box of the first calculation
    // stands in front of it.
    QTimer::singleShot(0, this, [this] { runEvent([this] { activate(); }); });
}

void ToolWindow::connectEnter(const std::function<void()>& onEnter) {
    for (auto* edit : findChildren<korvan::widgets::TAEdit*>())
        connect(edit, &korvan::widgets::TAEdit::enterPressed, this,
                [this, onEnter] { runEvent(onEnter); });
}

void ToolWindow::toModel() {
    if (binder_) binder_->toModel(form_->form());
}

void ToolWindow::syncFromModel() {
    if (!binder_) return;
    binder_->fromModel(form_->form());
    for (const FocusRequest& request : form_->form().takeFocusRequests()) {
        switch (request.move) {
        case FocusMove::Next:
            focusNextPrevChild(true);
            break;
        case FocusMove::Previous:
            focusNextPrevChild(false);
            break;
        case FocusMove::Control:
            if (auto* w = qobject_cast<QWidget*>(
                    binder_->object(QString::fromStdString(request.control))))
                w->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

} // namespace korvan::tools::gui
