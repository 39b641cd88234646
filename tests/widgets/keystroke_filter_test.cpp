#include "widgets/keystroke_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using korvan::widgets::filterKeystroke;
using korvan::widgets::KeyAction;

// Types the keys into a text the way a field would, with the caret at the end.
std::string typeInto(std::string text, const std::u32string& keys, char sep,
                     int* enters = nullptr) {
    for (char32_t key : keys) {
        const auto d = filterKeystroke(key, text, sep);
        switch (d.action) {
        case KeyAction::Pass:
            if (key == 8) {
                if (!text.empty()) text.pop_back();
            } else {
                text += static_cast<char>(key);
            }
            break;
        case KeyAction::Replace:
            text += d.character;
            break;
        case KeyAction::Enter:
            if (enters) ++*enters;
            break;
        case KeyAction::Drop:
            break;
        }
    }
    return text;
}

TEST(keystroke_filter_test, typing_sequences) {
    struct Case {
        std::u32string keys;
        char sep;
        const char* result;
    } cases[] = {
        {U"3,5", '.', "3.5"},
        {U"3.5", ',', "3,5"},
        {U".,", '.', "."}, // one separator only
        {U"1:2", '.', "1.2"},
        {U"1;2", ',', "1,2"},
        {U"-12e3+ ", '.', "123"}, // sign, exponent, blank dropped
        {U"12\b4", '.', "14"},
        {U"abcXYZ", '.', ""},
        {U"4\u00e9\u20ac", '.', "4"}, // non-ASCII dropped
        {U"\t\x1b"
         U"5",
         '.', "5"},
    };
    for (const auto& c : cases) EXPECT_EQ(typeInto("", c.keys, c.sep), c.result);
}

TEST(keystroke_filter_test, separator_refused_when_the_text_has_one) {
    // The whole text counts, also when the existing separator is selected.
    EXPECT_EQ(filterKeystroke(U'.', "12.5", '.').action, KeyAction::Drop);
    EXPECT_EQ(filterKeystroke(U',', "12,5", ',').action, KeyAction::Drop);
    const auto d = filterKeystroke(U',', "12", '.');
    EXPECT_EQ(d.action, KeyAction::Replace);
    EXPECT_EQ(d.character, '.');
}

TEST(keystroke_filter_test, enter_is_swallowed_and_reported) {
    int enters = 0;
    EXPECT_EQ(typeInto("8", U"\r", '.', &enters), "8");
    EXPECT_EQ(enters, 1);
}

} // namespace
