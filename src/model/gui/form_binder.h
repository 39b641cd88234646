#pragma once
// Copies between the form model and the widgets of the same objectName, in
// one generic routine for every control. Widgets to model: the entry fields'
// texts and the radio/check states, before an event. Model to widgets: text,
// font colour, hint, enabled, visible, checked and the radio-group item,
// after an event. A property is written to a widget only when the model
// changed it since the last copy, so designed captions that the model never
// touches stay as they are.

#include "model/form_model.h"

#include <QHash>
#include <QObject>
#include <QString>

class QButtonGroup;

namespace korvan::gui {

class FormBinder {
  public:
    // Collects every named widget and action below `root`.
    explicit FormBinder(QObject* root);

    // A radio group: its items in order, addressed by the model's item index.
    void addRadioGroup(const QString& name, QButtonGroup* items);

    QObject* object(const QString& name) const { return objects_.value(name); }

    void toModel(FormModel& model) const;
    void fromModel(const FormModel& model);

  private:
    void apply(QObject* object, const ControlState& now, const ControlState& before);

    QHash<QString, QObject*> objects_;
    QHash<QString, QButtonGroup*> groups_;
    QHash<QString, ControlState> applied_;
};

// '\r' line breaks of the program's texts as the toolkit's line breaks.
QString toDisplayText(const std::string& text);

} // namespace korvan::gui
