#pragma once
// The keystroke filter of every numeric entry field: digits, backspace and
// one decimal separator pass; Enter runs the window's calculation; anything
// else typed is dropped.

#include <string_view>

namespace korvan::widgets {

enum class KeyAction {
    Pass,    // insert the character as typed
    Replace, // insert `character` instead (the decimal separator)
    Drop,    // swallow the keystroke
    Enter,   // swallow it and run the window's Enter action
};

struct KeyDecision {
    KeyAction action = KeyAction::Drop;
    char character = 0;
};

inline constexpr char kBackspace = 8;
inline constexpr char kCarriageReturn = 13;

// `currentText` is the field's whole text (not the selection).
KeyDecision filterKeystroke(char32_t key, std::string_view currentText, char separator);

} // namespace korvan::widgets
