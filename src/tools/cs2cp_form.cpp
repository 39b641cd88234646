#include "tools/cs2cp_form.h"

#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "tools/tool_events.h"

namespace korvan::tools {

Cs2CpForm::Cs2CpForm(MessageSink& messages, char separator, const FormModel& mainForm)
    : ToolForm(messages, separator), main_(mainForm) {
    form_.setText("Label1", "");
    form_.setText("Label2", "");
}

void Cs2CpForm::formActivate() {
    runToolEvent(messages_, [this] {
        form_.setText("AEdit3", main_.text("AEdit2"));
        form_.setText("AEdit2", main_.text("Label20"));
        form_.setText("AEdit1", main_.text("Label40"));
        calcResults();
    });
}

void Cs2CpForm::button1Click() {
    runToolEvent(messages_, [this] { calcResults(); });
}

void Cs2CpForm::calcResults() {
    if (!readFields(form_, separator(),
                    {{"AEdit3", 1000, s_.f}, {"AEdit2", 1, s_.Rs}, {"AEdit1", 1e-12L, s_.Cs}})) {
        messages_.show(okBox("Error", "Invalid Input(s)", MsgIcon::Stop));
        return;
    }
    const long double f = s_.f, Rs = s_.Rs, Cs = s_.Cs;
    if (f * Cs * Rs == 0) {
        messages_.show(okBox("Error", "Inputs must be >Zero", MsgIcon::Stop));
        return;
    }
    const long double wCs = 2 * kPi * f * Cs;
    const double Xs2 = fp::toDouble(1 / (wCs * wCs)); // the capacitor's reactance, squared
    const double Rp = fp::toDouble(static_cast<long double>(Xs2) / Rs + Rs);
    const double Cp = fp::toDouble(Cs / (Rs * Rs / Xs2 + 1) * 1e12L);
    const auto text = [this](double value) {
        return numeric::formatFixed(value, 6, value < 100 ? 1 : 0, separator());
    };
    const std::string cpText = text(Cp), rpText = text(Rp);
    s_.Rp = Rp;
    s_.Cp = Cp;
    form_.setText("Label1", cpText);
    form_.setText("Label2", rpText);
}

} // namespace korvan::tools
