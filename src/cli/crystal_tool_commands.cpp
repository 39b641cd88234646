#include "cli/crystal_tool_commands.h"

#include "cli/tool_batch.h"
#include "tools/g3uur_form.h"
#include "tools/xtal3db_form.h"

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;

struct Field {
    const char* input;
    const char* control;
};

void typeFields(FormModel& form, const ToolInputs& inputs, std::initializer_list<Field> fields) {
    for (const auto& f : fields)
        if (const auto it = inputs.find(f.input); it != inputs.end())
            form.setText(f.control, it->second);
}

json texts(const FormModel& form, std::initializer_list<const char*> names) {
    json out = json::object();
    for (const char* n : names) out[n] = form.text(n);
    return out;
}

constexpr std::initializer_list<Field> kXtal3dbFields = {
    {"source", "AEdit1"},    {"load", "AEdit5"},         {"fs", "AEdit2"},
    {"bandwidth", "AEdit3"}, {"transmission", "AEdit4"}, {"attenuation", "AEdit6"},
    {"rm", "AEdit7"}};

ToolResult calculateXtal3db(const ToolInputs& in, char separator) {
    ScriptedMessages sink;
    tools::Xtal3dbForm form(sink, separator);
    // Opened as the window opens (mode A with the defaults), then the
    // measurement typed in and calculated in its mode.
    form.formActivate();
    sink.clear();
    const bool lossGiven = in.contains("rm"), attenuationGiven = in.contains("attenuation");
    if (lossGiven) form.checkBox1Clicked(true);
    typeFields(form.form(), in, kXtal3dbFields);
    if (attenuationGiven && !lossGiven)
        form.radioButtonClicked(2);
    else
        form.button1Click();

    ToolResult r;
    takeMessages(r, sink);
    const auto& f = form.form();
    r.values = {{"lm_mH", f.text("Label5")},
                {"cm_fF", f.text("Label6")},
                {"rm_ohm", f.text("Label7")},
                {"qu", f.text("Label8")},
                {"transmission_pct", f.text("AEdit4")},
                {"attenuation_db", f.text("AEdit6")}};
    const auto mode = form.mode();
    const auto& s = form.state();
    r.json = {{"command", "xtal3db"},
              {"mode", mode == tools::Xtal3dbForm::Mode::Transmission  ? "A"
                       : mode == tools::Xtal3dbForm::Mode::Attenuation ? "B"
                                                                       : "C"},
              {"fields",
               texts(f, {"AEdit1", "AEdit5", "AEdit2", "AEdit3", "AEdit4", "AEdit6", "AEdit7"})},
              {"labels", texts(f, {"Label5", "Label6", "Label7", "Label8"})},
              {"state",
               {{"R", s.R},
                {"fs", s.fs},
                {"B", static_cast<double>(s.B)},
                {"u", s.u},
                {"a", s.a},
                {"Rm", s.Rm},
                {"Lm", s.Lm},
                {"Cm", s.Cm},
                {"Qu", s.Qu}}},
              {"messages", messagesJson(r.messages)}};
    return r;
}

constexpr std::initializer_list<Field> kG3uurFields = {
    {"csw", "AEdit1"}, {"c0", "AEdit2"},     {"c1", "AEdit5"},
    {"c2", "AEdit6"},  {"f-open", "AEdit3"}, {"f-closed", "AEdit4"}};

ToolResult calculateG3uur(const ToolInputs& in, char separator) {
    ScriptedMessages sink;
    tools::G3uurForm form(sink, separator);
    form.formActivate();
    sink.clear();
    typeFields(form.form(), in, kG3uurFields);
    form.button1Click();

    ToolResult r;
    takeMessages(r, sink);
    const auto& f = form.form();
    r.values = {
        {"lm_mH", f.text("Label7")}, {"cm_fF", f.text("Label8")}, {"fs_kHz", f.text("Label15")}};
    const auto& s = form.state();
    r.json = {{"command", "g3uur"},
              {"fields", texts(f, {"AEdit1", "AEdit2", "AEdit5", "AEdit6", "AEdit3", "AEdit4"})},
              {"labels", texts(f, {"Label7", "Label8", "Label15"})},
              {"state",
               {{"fo", s.fo},
                {"fc", s.fc},
                {"Csw", s.Csw},
                {"C0", s.C0},
                {"C1", s.C1},
                {"C2", s.C2},
                {"Lm", s.Lm},
                {"Cm", s.Cm},
                {"fs", s.fs}}},
              {"messages", messagesJson(r.messages)}};
    return r;
}

} // namespace

int runXtal3db(int argc, const char* const* argv) {
    ToolCommand c;
    c.name = "xtal3db";
    c.title = "Crystal parameters by the 3 dB method";
    c.description =
        "korvan-cli xtal3db: a crystal's motional inductance Lm, capacitance Cm, loss "
        "resistance Rm and unloaded Q from a passive measurement: the crystal in series between "
        "source and load, its series frequency, the 3 dB bandwidth of the transmission peak and "
        "the transmission at the peak. The transmission is entered in per cent (default), or "
        "as an attenuation (--attenuation), or worked out from a given loss resistance (--rm). "
        "Inputs start from the window's defaults (50 + 50 Ohm, 5000 kHz, 250 Hz, 85 %).";
    c.inputs = {{"source", "Ohm", "Source resistance Z Source"},
                {"load", "Ohm", "Load resistance Z Load"},
                {"fs", "kHz", "Series frequency fs"},
                {"bandwidth", "Hz", "Measured 3 dB bandwidth"},
                {"transmission", "%", "Uout / Uin at the peak, against a through connection"},
                {"attenuation", "dB", "Attenuation at the peak instead of the transmission"},
                {"rm", "Ohm",
                 "Loss resistance Rm instead of a transmission: the transmission "
                 "and attenuation are worked out"}};
    c.results = {{"lm_mH", "Lm", "mH"},
                 {"cm_fF", "Cm", "fF"},
                 {"rm_ohm", "Rm", "Ohm"},
                 {"qu", "Qu", ""},
                 {"transmission_pct", "Uout / Uin", "%"},
                 {"attenuation_db", "Attenuation", "dB"}};
    c.calculate = calculateXtal3db;
    c.check = [](const ToolInputs& in) -> std::string {
        const int given = static_cast<int>(in.contains("transmission")) +
                          static_cast<int>(in.contains("attenuation")) +
                          static_cast<int>(in.contains("rm"));
        if (given > 1) return "give one of transmission, attenuation and rm, not several";
        return {};
    };
    return runToolCommand(argc, argv, c);
}

int runG3uur(int argc, const char* const* argv) {
    ToolCommand c;
    c.name = "g3uur";
    c.title = "Crystal parameters by the G3UUR method";
    c.description =
        "korvan-cli g3uur: a crystal's motional inductance Lm, capacitance Cm and series "
        "frequency fs from two oscillation frequencies of the G3UUR test oscillator (switch "
        "closed: Csw shorted; switch open: Csw in series with the crystal). A divider capacitor "
        "C1 or C2 of 0 counts as shorted. Inputs start from the window's defaults (Csw 45 pF, "
        "C0 5 pF, C1 = C2 = 470 pF, 8001.15 and 7999.20 kHz).";
    c.inputs = {{"csw", "pF", "Switched capacitor Csw"},
                {"c0", "pF", "Holder capacitance C0"},
                {"c1", "pF", "Feedback divider capacitor C1 (0 = shorted)"},
                {"c2", "pF", "Feedback divider capacitor C2 (0 = shorted)"},
                {"f-open", "kHz", "Oscillation frequency with the switch open"},
                {"f-closed", "kHz", "Oscillation frequency with the switch closed"}};
    c.results = {{"lm_mH", "Lm", "mH"}, {"cm_fF", "Cm", "fF"}, {"fs_kHz", "fs", "kHz"}};
    c.calculate = calculateG3uur;
    return runToolCommand(argc, argv, c);
}

} // namespace korvan::cli
