// The menu commands' decisions without a window: which colour each command
// sets, and the mesh-frequency caption of the snapshot.

#include "app/menu_commands.h"

#include <gtest/gtest.h>

namespace {

using namespace korvan;

TEST(menu_commands_test, each_command_sets_its_colour) {
    const std::pair<const char*, Rgb PlotColours::*> expected[] = {
        {"S21Trace1", &PlotColours::s21},     {"S11Trace1", &PlotColours::s11},
        {"VSWRTrace1", &PlotColours::vswr},   {"Background1", &PlotColours::background},
        {"GridLines1", &PlotColours::grid},   {"UltimateAttnLine1", &PlotColours::ultAttn},
        {"CursorLine1", &PlotColours::cursor}};
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, ".", '.');
    ASSERT_EQ(colourCommands().size(), std::size(expected));
    for (const auto& [action, member] : expected) {
        const ColourCommand* command = findColourCommand(action);
        ASSERT_NE(command, nullptr) << action;
        restoreDefaultColours(form);
        PlotColours want;
        want.*member = {1, 2, 3};
        applyChosenColour(form, *command, {1, 2, 3});
        EXPECT_EQ(form.state().colours, want) << action;
        // Only the attenuation line takes its legend along.
        EXPECT_EQ(*form.form().at("Label85").fontColor, want.ultAttn) << action;
    }
}

TEST(menu_commands_test, mesh_frequency_caption) {
    EXPECT_EQ(meshFrequencyCaption(5000135.0f, '.'),
              "             ( Mesh frequency = 5000.135 kHz )");
    EXPECT_EQ(meshFrequencyCaption(10700000.0f, ','),
              "             ( Mesh frequency = 10700,000 kHz )");
}

} // namespace
