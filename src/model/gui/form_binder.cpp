#include "model/gui/form_binder.h"

#include "widgets/gui/aedit.h"
#include "widgets/gui/text_fit.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

namespace korvan::gui {

namespace {

QColor toQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

void setFontColour(QWidget* w, Rgb colour) {
    QPalette pal = w->palette();
    // A colour sample shows the colour as its background, not as text.
    if (w->property("colourIsBackground").toBool()) {
        pal.setColor(QPalette::Window, toQColor(colour));
        w->setAutoFillBackground(true);
    } else {
        // A disabled control keeps the greyed text.
        for (auto group : {QPalette::Active, QPalette::Inactive})
            for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                pal.setColor(group, role, toQColor(colour));
    }
    w->setPalette(pal);
}

void setText(QObject* o, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(o)) {
        if (edit->text() != text) edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(o)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(o)) {
        button->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(o)) {
        box->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(o)) {
        action->setText(text);
    }
}

bool isCheckable(QObject* o) {
    return qobject_cast<QRadioButton*>(o) || qobject_cast<QCheckBox*>(o);
}

} // namespace

QString toDisplayText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

FormBinder::FormBinder(QObject* root) {
    const auto add = [this](QObject* o) {
        if (!o->objectName().isEmpty() && !objects_.contains(o->objectName()))
            objects_.insert(o->objectName(), o);
    };
    add(root);
    for (QObject* o : root->findChildren<QObject*>()) {
        if (qobject_cast<QWidget*>(o) || qobject_cast<QAction*>(o)) add(o);
    }
}

void FormBinder::addRadioGroup(const QString& name, QButtonGroup* items) {
    groups_.insert(name, items);
}

void FormBinder::toModel(FormModel& model) const {
    for (auto it = objects_.cbegin(); it != objects_.cend(); ++it) {
        const std::string name = it.key().toStdString();
        if (auto* edit = qobject_cast<widgets::TAEdit*>(it.value())) {
            if (model.text(name) != edit->text().toStdString())
                model.setText(name, edit->text().toStdString());
        } else if (isCheckable(it.value())) {
            const bool on = static_cast<QAbstractButton*>(it.value())->isChecked();
            if (!model.find(name) || model.find(name)->checked != on) model.setChecked(name, on);
        }
    }
    for (auto it = groups_.cbegin(); it != groups_.cend(); ++it) {
        QAbstractButton* checked = it.value()->checkedButton();
        const int index = checked ? it.value()->id(checked) : -1;
        const std::string name = it.key().toStdString();
        if (!model.find(name) || model.find(name)->itemIndex != index)
            model.setItemIndex(name, index);
    }
}

void FormBinder::fromModel(const FormModel& model) {
    for (const auto& [name, state] : model.controls()) {
        const QString key = QString::fromStdString(name);
        auto& before = applied_[key];
        if (QObject* o = objects_.value(key)) apply(o, state, before);
        if (QButtonGroup* group = groups_.value(key)) {
            QAbstractButton* want = group->button(state.itemIndex);
            if (group->checkedButton() != want) {
                const QSignalBlocker block(group);
                if (want) {
                    want->setChecked(true);
                } else {
                    // No item selected: exclusivity would keep one checked.
                    group->setExclusive(false);
                    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
                    group->setExclusive(true);
                }
            }
        }
        before = state;
    }
}

void FormBinder::apply(QObject* o, const ControlState& now, const ControlState& before) {
    const bool edit = qobject_cast<QLineEdit*>(o) != nullptr;
    // An entry field always shows the model's text: the user's typing was
    // copied into the model before the event.
    if (now.text != before.text || edit) {
        setText(o, QString::fromStdString(now.text));
        if (auto* widget = qobject_cast<QWidget*>(o)) widgets::fitTextToBox(widget);
    }

    if (isCheckable(o)) {
        auto* button = static_cast<QAbstractButton*>(o);
        if (button->isChecked() != now.checked) {
            const QSignalBlocker block(button);
            button->setChecked(now.checked);
        }
    }

    if (now.readOnly != before.readOnly)
        if (auto* line = qobject_cast<QLineEdit*>(o)) line->setReadOnly(now.readOnly);

    auto* widget = qobject_cast<QWidget*>(o);
    auto* action = qobject_cast<QAction*>(o);
    if (now.hint != before.hint) {
        if (widget) widget->setToolTip(toDisplayText(now.hint));
        if (action) action->setToolTip(toDisplayText(now.hint));
    }
    if (now.fontColor != before.fontColor && now.fontColor && widget)
        setFontColour(widget, *now.fontColor);
    if (now.enabled != before.enabled) {
        if (widget) widget->setEnabled(now.enabled);
        if (action) action->setEnabled(now.enabled);
    }
    if (now.visible != before.visible) {
        if (widget) widget->setVisible(now.visible);
        if (action) action->setVisible(now.visible);
    }
}

} // namespace korvan::gui
