// The menu commands' decisions without a window: the mesh-frequency caption
// of the snapshot, the colour each command sets, the flash.

#include "app/menu_commands.h"

#include <gtest/gtest.h>

namespace {

using namespace korvan;

TEST(menu_commands_test, mesh_frequency_caption) {
    const struct {
        float fMesh;
        char separator;
        const char* text;
    } cases[] = {
        {4998123.5f, '.', "             ( Mesh frequency = 4998.124 kHz )"},
        {4998123.5f, ',', "             ( Mesh frequency = 4998,124 kHz )"},
        {10700000.0f, '.', "             ( Mesh frequency = 10700.000 kHz )"},
    };
    for (const auto& c : cases) EXPECT_EQ(meshFrequencyCaption(c.fMesh, c.separator), c.text);
}

TEST(menu_commands_test, each_command_sets_its_own_colour) {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, ".", '.');
    ASSERT_EQ(colourCommands().size(), 7u);
    for (const ColourCommand& c : colourCommands()) {
        form.state().colours = PlotColours{};
        applyChosenColour(form, c, {1, 2, 3});
        int changed = 0;
        for (const ColourCommand& other : colourCommands())
            changed += form.state().colours.*other.colour == Rgb{1, 2, 3};
        EXPECT_EQ(changed, 1) << c.action;
        EXPECT_EQ(findColourCommand(c.action), &c);
        const bool legend = std::string(c.action) == "UltimateAttnLine1";
        EXPECT_EQ(*form.form().at("Label85").fontColor == Rgb({1, 2, 3}), legend) << c.action;
        restoreDefaultColours(form);
        EXPECT_EQ(*form.form().at("Label84").fontColor, colors::green);
    }
    EXPECT_EQ(findColourCommand("Default1"), nullptr);
}

TEST(menu_commands_test, flash_inverts_red_only) {
    EXPECT_EQ(flashedBackground({255, 255, 224}), Rgb({0, 255, 224}));
    EXPECT_EQ(flashedBackground(flashedBackground({12, 34, 56})), Rgb({12, 34, 56}));
}

} // namespace
