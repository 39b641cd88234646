// korvan-cli lcmatch: the L-C matching calculator on the headless design.

#include "cli/copying_tool_command.h"
#include "tools/lc_match_form.h"

namespace korvan::cli {

namespace {

nlohmann::ordered_json stateJson(const tools::LcMatchForm& form) {
    const auto& s = form.state();
    return {{"R1", s.R1},
            {"R2", s.R2},
            {"f", s.f},
            {"Lseries", s.Lseries},
            {"Cparallel", s.Cparallel},
            {"Cseries", s.Cseries},
            {"Lparallel", s.Lparallel}};
}

} // namespace

int runLcMatchCommand(int argc, const char* const* argv) {
    static const CopyingToolCommand calculator{
        "lcmatch",
        "korvan-cli lcmatch: the two L-section networks (low-pass: series L, shunt C across R2; "
        "high-pass: series C, shunt L across R2) that match R1 to a larger R2 at one frequency. "
        "Frequency and R2 come from the main design's centre frequency and termination; R1 "
        "starts at 50 Ohm.",
        "Matching L-C Network",
        "Match1",
        {{"--frequency", "AEdit1", "KHZ", "Frequency [kHz] instead of the design's centre"},
         {"--r1", "AEdit2", "OHM", "R1, the smaller resistance [Ohm] (default 50)"},
         {"--r2", "AEdit3", "OHM",
          "R2, the larger resistance [Ohm] instead of the design's "
          "termination"}},
        {"AEdit1", "AEdit2", "AEdit3"},
        {"Label5", "Label6", "Label7", "Label8"},
        {{"Frequency [kHz]", "AEdit1"}, {"R1 [Ohm]", "AEdit2"}, {"R2 [Ohm]", "AEdit3"}},
        {{"Lseries  [uH]", "Label5"},
         {"Cparallel [pF]", "Label6"},
         {"Cseries   [pF]", "Label7"},
         {"Lparallel [uH]", "Label8"}},
        {{"lseries_uh", "Label5"},
         {"cparallel_pf", "Label6"},
         {"cseries_pf", "Label7"},
         {"lparallel_uh", "Label8"}},
        {},
        [](MainForm& main, MessageSink& messages) -> std::unique_ptr<ToolSession> {
            return std::make_unique<FormSession<tools::LcMatchForm>>(stateJson, messages,
                                                                     main.separator(), main.form());
        }};
    return runCopyingTool(calculator, argc, argv);
}

} // namespace korvan::cli
