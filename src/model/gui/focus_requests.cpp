#include "model/gui/focus_requests.h"

#include "model/gui/form_binder.h"

#include <QRadioButton>
#include <QWidget>

namespace korvan::gui {

void applyFocusRequests(FormModel& model, const FormBinder& binder, QWidget& window,
                        const std::function<bool(bool next)>& moveFocus, RadioFocus radios) {
    for (const FocusRequest& request : model.takeFocusRequests()) {
        switch (request.move) {
        case FocusMove::Next:
            if (radios == RadioFocus::GroupIsOneStop) {
                if (auto* radio = qobject_cast<QRadioButton*>(window.focusWidget())) {
                    const auto items = radio->parentWidget()->findChildren<QRadioButton*>();
                    if (!items.isEmpty()) items.back()->setFocus(Qt::TabFocusReason);
                }
            }
            moveFocus(true);
            break;
        case FocusMove::Previous:
            moveFocus(false);
            break;
        case FocusMove::Control:
            if (auto* w =
                    qobject_cast<QWidget*>(binder.object(QString::fromStdString(request.control))))
                w->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

} // namespace korvan::gui
