#include "tools/xtal3db_form.h"

#include "numeric/fp_check.h"

#include <cmath>
#include <limits>

namespace korvan::tools {

Xtal3dbForm::Xtal3dbForm(MessageSink& messages, char decimalSeparator)
    : ToolForm(messages, decimalSeparator) {
    setDesignDefaults();
}

void Xtal3dbForm::setDesignDefaults() {
    auto& f = form_;
    const std::pair<const char*, const char*> fields[] = {
        {"AEdit1", "50"}, {"AEdit5", "50"}, {"AEdit2", "5000"}, {"AEdit3", "250"},
        {"AEdit4", "85"}, {"AEdit6", "1"},  {"AEdit7", "1"}};
    for (const auto& [name, text] : fields) {
        f.setText(name, text);
        f.setColor(name, kGreen);
        f.setReadOnly(name, false);
    }
    f.setColor("AEdit6", kRed);
    f.setVisible("AEdit7", false);
    for (int i = 5; i <= 8; ++i) f.setText(FormModel::label(i), FormModel::label(i));
    f.setChecked("RadioButton1", false);
    f.setChecked("RadioButton2", false);
    f.setVisible("RadioButton1", true);
    f.setVisible("RadioButton2", true);
    f.setChecked("CheckBox1", false);
}

bool Xtal3dbForm::checked(const char* name) const {
    const ControlState* c = form_.find(name);
    return c && c->checked;
}

Xtal3dbForm::Mode Xtal3dbForm::mode() const {
    if (checked("CheckBox1")) return Mode::LossResistance;
    if (checked("RadioButton2")) return Mode::Attenuation;
    return Mode::Transmission;
}

// ---------------------------------------------------------------- events

void Xtal3dbForm::formActivate() {
    runHandler([this] {
        selectRadioButton1();
        calculate();
        form_.requestFocus(FocusMove::Control, "AEdit2");
        form_.setVisible("AEdit7", false);
    });
}

void Xtal3dbForm::button1Click() {
    runHandler([this] { calculate(); });
}

void Xtal3dbForm::editReturnPressed() {
    form_.requestFocus(FocusMove::Next);
    button1Click();
}

void Xtal3dbForm::radioButtonClicked(int button) {
    runHandler([this, button] {
        form_.setChecked("RadioButton1", button == 1);
        form_.setChecked("RadioButton2", button == 2);
        if (button == 1)
            radioButton1Click();
        else
            radioButton2Click();
    });
}

void Xtal3dbForm::checkBox1Clicked(bool ticked) {
    runHandler([this, ticked] {
        auto& f = form_;
        f.setChecked("CheckBox1", ticked);
        if (ticked) {
            f.setText("AEdit7", f.text("Label7"));
            f.setVisible("AEdit7", true);
            f.setColor("AEdit7", kGreen);
            f.setVisible("RadioButton1", false);
            f.setVisible("RadioButton2", false);
            f.setReadOnly("AEdit4", true);
            f.setColor("AEdit4", kRed);
            f.setColor("AEdit6", kRed);
            f.requestFocus(FocusMove::Control, "AEdit7");
            return;
        }
        f.setVisible("AEdit7", false);
        f.setVisible("RadioButton1", true);
        selectRadioButton1();
        f.setColor("AEdit4", kGreen);
        f.setReadOnly("AEdit4", false);
        f.setVisible("RadioButton2", true);
        f.setChecked("RadioButton2", false);
        f.setColor("AEdit6", kRed);
        f.requestFocus(FocusMove::Control, "AEdit4");
    });
}

// ------------------------------------------------------------ operations

// Selecting the button runs its click action only when it was not selected.
void Xtal3dbForm::selectRadioButton1() {
    if (checked("RadioButton1")) return;
    form_.setChecked("RadioButton1", true);
    form_.setChecked("RadioButton2", false);
    radioButton1Click();
}

void Xtal3dbForm::radioButton1Click() {
    auto& f = form_;
    f.setReadOnly("AEdit4", false);
    f.setReadOnly("AEdit6", true);
    f.setColor("AEdit4", kGreen);
    f.setColor("AEdit6", kRed);
    f.requestFocus(FocusMove::Control, "AEdit4");
    calculate();
}

void Xtal3dbForm::radioButton2Click() {
    auto& f = form_;
    f.setReadOnly("AEdit6", false);
    f.setReadOnly("AEdit4", true);
    f.setColor("AEdit6", kGreen);
    f.setColor("AEdit4", kRed);
    f.requestFocus(FocusMove::Control, "AEdit6");
    calculate();
}

void Xtal3dbForm::calculate() {
    getInputs();
    calcVals();
}

void Xtal3dbForm::getInputs() {
    // Reading stops at the first field that fails; the values read before it
    // are kept, the rest stay as they were.
    const auto fail = [this] { showError(kInvalidInput); };
    const auto source = readField("AEdit1");
    if (!source) return fail();
    const auto load = readField("AEdit5");
    if (!load) return fail();
    const long double R = *source + *load;
    s_.R = static_cast<double>(R);
    auto v = readField("AEdit2");
    if (!v || std::fabs(*v * 1000) > std::numeric_limits<double>::max()) return fail();
    s_.fs = static_cast<double>(*v * 1000);
    if (!(v = readField("AEdit3")) || std::fabs(*v) > std::numeric_limits<float>::max())
        return fail();
    s_.B = static_cast<float>(*v);
    if (!(v = readField("AEdit4"))) return fail();
    s_.u = static_cast<double>(*v * 0.01L);
    if (!(v = readField("AEdit6"))) return fail();
    s_.a = static_cast<double>(*v);
    if (!(v = readField("AEdit7"))) return fail();
    s_.Rm = static_cast<double>(*v);
}

void Xtal3dbForm::calcVals() {
    auto& f = form_;
    auto& s = s_;
    fp::clearFlags();
    if (checked("CheckBox1")) {
        s.Rm = fp::toDouble(readUnguarded("AEdit7"));
        s.u = fp::toDouble(static_cast<long double>(s.R) / (static_cast<long double>(s.R) + s.Rm));
        f.setText("AEdit4", fixed(s.u * 100.0L, 5, 2));
        s.a = fp::toDouble(-20 * std::log10(static_cast<long double>(s.u)));
        f.setText("AEdit6", fixed(s.a, 4, 2));
    }
    if (fp::checked(static_cast<long double>(s.R) * s.fs * s.B * s.u) == 0)
        return showError("No ZERO input allowed");
    if (s.a == 0) return showError("Must be more than 0db");
    if (s.u >= 1) return showError("Must be lower than 100%");

    if (checked("RadioButton1")) {
        s.a = fp::toDouble(-20 * std::log10(static_cast<long double>(s.u)));
        f.setText("AEdit6", fixed(s.a, 4, 2));
    } else if (checked("RadioButton2")) {
        s.u = fp::toDouble(std::pow(10.0L, -static_cast<long double>(s.a) / 20));
        f.setText("AEdit4", fixed(s.u * 100.0L, 6, 2));
    }
    const long double R = s.R;
    s.Rm = fp::toDouble((1 / static_cast<long double>(s.u) - 1) * R);
    s.Lm = fp::toDouble((R + s.Rm) / (2 * kPi * s.B));
    const int Qu = roundToInt32(2 * kPi * s.fs * s.Lm / s.Rm);
    f.setText("Label5", fixed(s.Lm * 1000.0L, 10, 2));
    // The capacitance follows the inductance as shown, rounded.
    const long double LmShown = readUnguarded("Label5");
    s.Cm = fp::toDouble(1000 / (4 * kPi * kPi * s.fs * s.fs * LmShown));
    f.setText("Label6", fixed(s.Cm * 1e15L, 10, 5));
    f.setText("Label7", fixed(s.Rm, 5, 1));
    s.Qu = Qu;
    f.setText("Label8", std::to_string(Qu));
}

} // namespace korvan::tools
