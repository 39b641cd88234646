#pragma once
// What the colour, snapshot and help commands of the main menu decide,
// without widgets: which plot colour a command sets, the defaults, the
// snapshot's mesh-frequency caption, and where a help document is found.
// The window runs the dialogs, the capture and the desktop shell.

#include "app/main_form.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace korvan {

struct ColourCommand {
    const char* action; // the menu item's name
    Rgb PlotColours::*colour;
};

// The seven colour commands, in menu order.
std::span<const ColourCommand> colourCommands();
const ColourCommand* findColourCommand(std::string_view action);

// Stores a chosen colour; the attenuation line also recolours its legend at
// once (Label84..Label86), before the calculation that follows.
void applyChosenColour(MainForm& form, const ColourCommand& command, Rgb colour);
// All seven defaults and the legend.
void restoreDefaultColours(MainForm& form);

// The confirmation flash inverts the red of the plot background.
Rgb flashedBackground(Rgb background);

inline constexpr const char* kSnapshotFileName = "Filter.bmp";
// Text of the temporary panel that shows the mesh frequency in the snapshot.
std::string meshFrequencyCaption(float fMeshHz, char separator);

enum class HelpLanguage { English, German };
std::string helpFileName(HelpLanguage language);
// "Help file "…" not found", in the command's language.
Message helpNotFoundMessage(HelpLanguage language);

// The desktop found no program for the document: where it lies, so that
// it can be opened by hand. In the command's language.
Message helpViewerMissingMessage(HelpLanguage language, const std::filesystem::path& document);

// The first folder in `folders` that holds `fileName` as a readable file.
std::optional<std::filesystem::path>
findHelpDocument(const std::string& fileName, std::span<const std::filesystem::path> folders);

} // namespace korvan
