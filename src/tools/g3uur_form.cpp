#include "tools/g3uur_form.h"

#include "numeric/fp_check.h"

#include <cmath>
#include <limits>

namespace korvan::tools {

namespace {

// A shorted divider capacitor: its reciprocal vanishes beside the others.
constexpr double kShorted = 1000;

} // namespace

G3uurForm::G3uurForm(MessageSink& messages, char decimalSeparator)
    : ToolForm(messages, decimalSeparator) {
    auto& f = form_;
    const std::pair<const char*, const char*> fields[] = {
        {"AEdit2", "5"},   {"AEdit1", "45"},      {"AEdit5", "470"},
        {"AEdit6", "470"}, {"AEdit4", "7999.20"}, {"AEdit3", "8001.15"}};
    for (const auto& [name, text] : fields) f.setText(name, text);
    for (const char* name : {"Label7", "Label8", "Label15"}) f.setText(name, name);
}

void G3uurForm::formActivate() {
    runHandler([this] {
        const std::string sep(1, separator());
        form_.setText("AEdit3", "8001" + sep + "15");
        form_.setText("AEdit4", "7999" + sep + "20");
        click();
    });
}

void G3uurForm::button1Click() {
    runHandler([this] { click(); });
}

void G3uurForm::editReturnPressed() {
    form_.requestFocus(FocusMove::Next);
    button1Click();
}

void G3uurForm::click() {
    getInputs();
    calcVals();
    form_.requestFocus(FocusMove::Control, "AEdit4");
}

void G3uurForm::getInputs() {
    // Reading stops at the first field that fails; the values read before it
    // are kept, the rest stay as they were.
    const std::pair<const char*, double*> caps[] = {
        {"AEdit1", &s_.Csw}, {"AEdit2", &s_.C0}, {"AEdit5", &s_.C1}, {"AEdit6", &s_.C2}};
    for (const auto& [field, target] : caps) {
        const auto v = readField(field);
        if (!v) return showError(kInvalidInput);
        *target = static_cast<double>(*v * 1e-12L);
    }
    const std::pair<const char*, double*> freqs[] = {{"AEdit3", &s_.fo}, {"AEdit4", &s_.fc}};
    for (const auto& [field, target] : freqs) {
        const auto v = readField(field);
        if (!v || std::fabs(*v * 1000) > std::numeric_limits<double>::max())
            return showError(kInvalidInput);
        *target = static_cast<double>(*v * 1000);
    }
}

void G3uurForm::calcVals() {
    auto& s = s_;
    fp::clearFlags();
    if (fp::checked(static_cast<long double>(s.Csw) * s.C0 * s.fo * s.fc) == 0)
        return showError("No ZERO input allowed");
    if (!(s.fo - s.fc > 0)) return showError("Freq(SW-OPEN) must be higher\rthan Freq(SW-Closed)");
    if (s.C1 == 0) s.C1 = kShorted;
    if (s.C2 == 0) s.C2 = kShorted;

    using L = long double;
    const L fo = s.fo, fc = s.fc;
    // Checked one by one, so that the first fault is the one reported.
    const L CA = fp::checked(1 / (1 / L(s.C1) + 1 / L(s.C2)) + s.C0);
    const L CB = fp::checked(1 / (1 / L(s.Csw) + 1 / L(s.C1) + 1 / L(s.C2)) + s.C0);
    const L Cm = (fo * fo - fc * fc) * CA * CB / (fc * fc * CA - fo * fo * CB);
    s.Cm = fp::toDouble(Cm);
    // The switch-closed frequency stands here, as the method's authors give it.
    s.Lm = fp::toDouble(1 / (4 * kPi * kPi * fc * fc * L(s.Cm)));
    s.fs = fp::toDouble(fc / std::sqrt(L(s.Cm) / CA + 1));
    form_.setText("Label7", fixed(s.Lm * 1000.0L, 12, 3));
    form_.setText("Label8", fixed(s.Cm * 1e15L, 12, 3));
    form_.setText("Label15", fixed(s.fs * 0.001L, 12, 3));
}

} // namespace korvan::tools
