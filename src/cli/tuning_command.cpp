// korvan-cli tuning: the crystal tuning calculator on the headless design.

#include "cli/copying_tool_command.h"
#include "tools/tuning_form.h"

namespace korvan::cli {

namespace {

nlohmann::ordered_json stateJson(const tools::TuningForm& form) {
    const auto& s = form.state();
    return {{"fNom", s.fNom}, {"fAct", s.fAct}, {"C0", s.C0}, {"Ck12", s.Ck12}, {"Ck23", s.Ck23},
            {"N", s.N},       {"A", s.A},       {"Lm", s.Lm}, {"Cm", s.Cm}};
}

} // namespace

int runTuningCommand(int argc, const char* const* argv) {
    static const CopyingToolCommand calculator{
        "tuning",
        "korvan-cli tuning: the tuning capacitor that puts a crystal of another actual series "
        "frequency at the design's mesh offset (reference mesh 2, set by Ck12 and Ck23). The "
        "crystal (Lm or Cm, nominal fs, holder Cp) and Ck12, Ck23 come from the main design; "
        "the actual frequency starts 0.2 kHz below nominal.",
        "Xtal Tuning Calculator",
        "XtalTuning1",
        {{"--actual", "AEdit3", "KHZ", "Current (actual) series frequency of the crystal [kHz]"},
         {"--offset", "AEdit4", "HZ",
          "Nominal offset: the mesh's required offset [Hz] (default 0)"},
         {"--ck12", "AEdit6", "PF", "Coupling capacitor Ck12 [pF] instead of the design's"},
         {"--ck23", "AEdit7", "PF", "Coupling capacitor Ck23 [pF] instead of the design's"},
         {"--xtal", "AEdit1", "MH|FF",
          "Lm [mH] or Cm [fF] (as the design's --lm/--cm chose) "
          "instead of the design's"},
         {"--nominal", "AEdit2", "KHZ",
          "Nominal crystal series frequency [kHz] instead of the "
          "design's fs"},
         {"--c0", "AEdit5", "PF", "Crystal holder capacitance Cp [pF] instead of the design's"}},
        {"AEdit1", "AEdit2", "AEdit3", "AEdit4", "AEdit5", "AEdit6", "AEdit7"},
        {"Panel2", "Label1", "Label2", "Label6", "Label13", "Label4"},
        {{"Lm or Cm of xtal", "AEdit1"},
         {"  its unit", "Panel2"},
         {"Nominal Xtal Series Freq. [kHz]", "AEdit2"},
         {"Xtal Holder Capacitance Cp [pF]", "AEdit5"},
         {"Current Xtal Series Freq. [kHz]", "AEdit3"},
         {"Ck12 [pF]", "AEdit6"},
         {"Ck23 [pF]", "AEdit7"},
         {"Nominal Offset in (Hz)", "AEdit4"}},
        {{"The other motional parameter", "Label1"},
         {"  its value", "Label2"},
         {"Current - Nominal [Hz]", "Label6"},
         {"Actual Xtal offset [Hz]", "Label13"},
         {"Tuning Capacitance (pF)", "Label4"}},
        {{"other_motional", "Label2"},
         {"current_minus_nominal_hz", "Label6"},
         {"actual_offset_hz", "Label13"},
         {"tuning_c_pf", "Label4"},
         {"offset_hz", "AEdit4"}},
        {tools::kTooSmallWarning},
        [](MainForm& main, MessageSink& messages) -> std::unique_ptr<ToolSession> {
            return std::make_unique<FormSession<tools::TuningForm>>(
                stateJson, messages, main.separator(), main.form(), main.state(),
                [&main] { main.calculateClicked(); });
        }};
    return runCopyingTool(calculator, argc, argv);
}

} // namespace korvan::cli
