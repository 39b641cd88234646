#include "widgets/keystroke_filter.h"

namespace korvan::widgets {

KeyDecision filterKeystroke(char32_t key, std::string_view currentText, char separator) {
    if (key == static_cast<char32_t>(kBackspace) || (key >= U'0' && key <= U'9'))
        return {KeyAction::Pass, static_cast<char>(key)};
    if (key == U',' || key == U'.' || key == U':' || key == U';') {
        if (currentText.find(separator) != std::string_view::npos) return {KeyAction::Drop, 0};
        return {KeyAction::Replace, separator};
    }
    if (key == static_cast<char32_t>(kCarriageReturn)) return {KeyAction::Enter, 0};
    return {KeyAction::Drop, 0};
}

} // namespace korvan::widgets
