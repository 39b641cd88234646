#include "app/menu_commands.h"

#include "numeric/number_text.h"

#include <array>
#include <fstream>

namespace korvan {

namespace {

constexpr std::array<ColourCommand, 7> kColourCommands{{
    {"S21Trace1", &PlotColours::s21},
    {"S11Trace1", &PlotColours::s11},
    {"VSWRTrace1", &PlotColours::vswr},
    {"Background1", &PlotColours::background},
    {"GridLines1", &PlotColours::grid},
    {"UltimateAttnLine1", &PlotColours::ultAttn},
    {"CursorLine1", &PlotColours::cursor},
}};

void colourLegend(MainForm& form, Rgb colour) {
    for (const char* name : {"Label84", "Label85", "Label86"}) form.form().setColor(name, colour);
}

} // namespace

std::span<const ColourCommand> colourCommands() {
    return kColourCommands;
}

const ColourCommand* findColourCommand(std::string_view action) {
    for (const ColourCommand& c : kColourCommands)
        if (action == c.action) return &c;
    return nullptr;
}

void applyChosenColour(MainForm& form, const ColourCommand& command, Rgb colour) {
    form.state().colours.*command.colour = colour;
    if (command.colour == &PlotColours::ultAttn) colourLegend(form, colour);
}

void restoreDefaultColours(MainForm& form) {
    form.state().colours = PlotColours{};
    colourLegend(form, form.state().colours.ultAttn);
}

Rgb flashedBackground(Rgb background) {
    background.r ^= 0xFF;
    return background;
}

std::string meshFrequencyCaption(float fMeshHz, char separator) {
    return "             ( Mesh frequency = " +
           numeric::formatFixed(static_cast<long double>(fMeshHz) / 1000, 12, 3, separator) +
           " kHz )";
}

std::string helpFileName(HelpLanguage language) {
    return language == HelpLanguage::German ? "dKorvanHelp.pdf" : "eKorvanHelp.pdf";
}

Message helpNotFoundMessage(HelpLanguage language) {
    const bool german = language == HelpLanguage::German;
    Message m;
    m.title = "Info";
    m.text = std::string(german ? "Hilfedatei " : "Help file ") + '"' + helpFileName(language) +
             '"' + (german ? " nicht gefunden" : " not found");
    m.buttons = MsgButtons::Ok;
    m.icon = MsgIcon::Exclamation;
    m.defaultAnswer = MsgAnswer::Ok;
    return m;
}

Message helpViewerMissingMessage(HelpLanguage language, const std::filesystem::path& document) {
    const bool german = language == HelpLanguage::German;
    Message m;
    m.title = "Info";
    m.text = std::string(german ? "Es wurde kein Programm gefunden, das PDF-Dokumente anzeigt. "
                                  "Die Hilfe liegt in\r"
                                : "No program to show PDF documents was found. The help is "
                                  "in\r") +
             document.string();
    m.buttons = MsgButtons::Ok;
    m.icon = MsgIcon::Exclamation;
    m.defaultAnswer = MsgAnswer::Ok;
    return m;
}

std::optional<std::filesystem::path>
findHelpDocument(const std::string& fileName, std::span<const std::filesystem::path> folders) {
    for (const auto& folder : folders) {
        if (folder.empty()) continue;
        const std::filesystem::path candidate = folder / fileName;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(candidate, ec)) continue;
        // A document the viewer could not read counts as missing.
        if (std::ifstream(candidate, std::ios::binary).good()) return candidate;
    }
    return std::nullopt;
}

} // namespace korvan
