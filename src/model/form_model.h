#pragma once
// What the main window shows, by control name ("Label33", "AEdit4"): text,
// font colour, hint and state. The stages write here; the Qt window copies it
// into its widgets, the CLI prints it and the tests read it.

#include "model/design_state.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

struct ControlState {
    std::string text;
    std::optional<Rgb> fontColor;
    std::string hint;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    int itemIndex = -1; // radio groups: the selected item, -1 none
    bool readOnly = false; // entry fields that show a result instead of taking one
};

enum class FocusMove { Next, Previous, Control };

struct FocusRequest {
    FocusMove move = FocusMove::Next;
    std::string control; // for FocusMove::Control
};

class FormModel {
  public:
    // The control of that name; created empty on first use.
    ControlState& at(std::string_view name);
    const ControlState* find(std::string_view name) const;
    bool contains(std::string_view name) const { return find(name) != nullptr; }

    // Text of a control; empty for an unknown one.
    const std::string& text(std::string_view name) const;

    void setText(std::string_view name, std::string text);
    void setColor(std::string_view name, Rgb color);
    void setHint(std::string_view name, std::string hint);
    void setEnabled(std::string_view name, bool enabled);
    void setVisible(std::string_view name, bool visible);
    void setChecked(std::string_view name, bool checked);
    void setItemIndex(std::string_view name, int index);
    void setReadOnly(std::string_view name, bool readOnly);

    // "Label" + number, the way the stages address numbered controls.
    static std::string label(int number) { return "Label" + std::to_string(number); }
    static std::string edit(int number) { return "AEdit" + std::to_string(number); }

    const std::map<std::string, ControlState, std::less<>>& controls() const { return controls_; }

    // Focus moves asked for by the stages, in order; the window applies them.
    void requestFocus(FocusMove move, std::string control = {});
    std::vector<FocusRequest> takeFocusRequests();

    // Bumped by every change, so a view can tell whether to copy again.
    unsigned long revision() const { return revision_; }

  private:
    std::map<std::string, ControlState, std::less<>> controls_;
    std::vector<FocusRequest> focus_;
    unsigned long revision_ = 0;
};

} // namespace korvan
