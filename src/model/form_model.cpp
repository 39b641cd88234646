#include "model/form_model.h"

namespace korvan {

ControlState& FormModel::at(std::string_view name) {
    auto it = controls_.find(name);
    if (it == controls_.end()) it = controls_.emplace(std::string(name), ControlState{}).first;
    return it->second;
}

const ControlState* FormModel::find(std::string_view name) const {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : &it->second;
}

const std::string& FormModel::text(std::string_view name) const {
    static const std::string empty;
    const ControlState* c = find(name);
    return c ? c->text : empty;
}

void FormModel::setText(std::string_view name, std::string text) {
    at(name).text = std::move(text);
    ++revision_;
}

void FormModel::setColor(std::string_view name, Rgb color) {
    at(name).fontColor = color;
    ++revision_;
}

void FormModel::setHint(std::string_view name, std::string hint) {
    at(name).hint = std::move(hint);
    ++revision_;
}

void FormModel::setEnabled(std::string_view name, bool enabled) {
    at(name).enabled = enabled;
    ++revision_;
}

void FormModel::setVisible(std::string_view name, bool visible) {
    at(name).visible = visible;
    ++revision_;
}

void FormModel::setChecked(std::string_view name, bool checked) {
    at(name).checked = checked;
    ++revision_;
}

void FormModel::setItemIndex(std::string_view name, int index) {
    at(name).itemIndex = index;
    ++revision_;
}

void FormModel::setReadOnly(std::string_view name, bool readOnly) {
    at(name).readOnly = readOnly;
    ++revision_;
}

void FormModel::requestFocus(FocusMove move, std::string control) {
    focus_.push_back({move, std::move(control)});
}

std::vector<FocusRequest> FormModel::takeFocusRequests() {
    std::vector<FocusRequest> out;
    out.swap(focus_);
    return out;
}

} // namespace korvan
