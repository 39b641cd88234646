// korvan-cli cs2cp: the series-to-parallel termination converter on the
// headless design.

#include "cli/copying_tool_command.h"
#include "tools/cs2cp_form.h"

namespace korvan::cli {

namespace {

nlohmann::ordered_json stateJson(const tools::Cs2CpForm& form) {
    const auto& s = form.state();
    return {{"f", s.f}, {"Rs", s.Rs}, {"Cs", s.Cs}, {"Rp", s.Rp}, {"Cp", s.Cp}};
}

} // namespace

int runCs2CpCommand(int argc, const char* const* argv) {
    static const CopyingToolCommand calculator{
        "cs2cp",
        "korvan-cli cs2cp: converts the series termination Rs with Cs (the first tuning "
        "capacitor) into the equivalent parallel termination Rp with Cp across it, at one "
        "frequency. Frequency, Rs and Cs come from the main design (fs, termination, Cs1).",
        "LadderTermination  RsCs_to_RpCp",
        "Cs2Cp1",
        {{"--frequency", "AEdit3", "KHZ", "Frequency [kHz] instead of the design's fs"},
         {"--rs", "AEdit2", "OHM",
          "Series resistance Rs [Ohm] instead of the design's "
          "termination"},
         {"--cs", "AEdit1", "PF", "Series capacitance Cs [pF] instead of the design's Cs1"}},
        {"AEdit1", "AEdit2", "AEdit3"},
        {"Label1", "Label2"},
        {{"Frequency [kHz]", "AEdit3"}, {"Cs [pF]", "AEdit1"}, {"Rs [Ohm]", "AEdit2"}},
        {{"Cp (pF)", "Label1"}, {"Rp (Ohm)", "Label2"}},
        {{"cp_pf", "Label1"}, {"rp_ohm", "Label2"}},
        {},
        [](MainForm& main, MessageSink& messages) -> std::unique_ptr<ToolSession> {
            return std::make_unique<FormSession<tools::Cs2CpForm>>(stateJson, messages,
                                                                   main.separator(), main.form());
        }};
    return runCopyingTool(calculator, argc, argv);
}

} // namespace korvan::cli
