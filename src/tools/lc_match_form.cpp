#include "tools/lc_match_form.h"

#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "tools/l_section.h"
#include "tools/tool_events.h"

#include <cmath>

namespace korvan::tools {

LcMatchForm::LcMatchForm(MessageSink& messages, char separator, const FormModel& mainForm)
    : ToolForm(messages, separator), main_(mainForm) {
    form_.setText("AEdit2", "50");
    for (int i = 5; i <= 8; ++i) form_.setText(FormModel::label(i), FormModel::label(i));
}

void LcMatchForm::formActivate() {
    runToolEvent(messages_, [this] {
        form_.setText("AEdit1", main_.text("Label19"));
        form_.setText("AEdit3", main_.text("Label20"));
        form_.requestFocus(FocusMove::Control, "Button1");
        calculate();
    });
}

void LcMatchForm::button1Click() {
    runToolEvent(messages_, [this] { calculate(); });
}

void LcMatchForm::calculate() {
    const auto read = [this](const char* field) {
        return fp::toSingle(numeric::toNumber(form_.text(field), separator()));
    };
    s_.R1 = read("AEdit2");
    s_.R2 = read("AEdit3");
    s_.f = read("AEdit1");

    State r = s_;
    if (!(1.02L * s_.R1 < s_.R2)) {
        if (s_.R1 > s_.R2) {
            messages_.show(okBox("Error", "R1 must be smaller than R2 !", MsgIcon::Exclamation));
            form_.requestFocus(FocusMove::Control, "AEdit3");
        } else {
            messages_.show(okBox("Info", "No matching network necessary", MsgIcon::Information));
        }
        r.Lseries = r.Cparallel = r.Cseries = r.Lparallel = 0;
    } else {
        const long double R1 = s_.R1, R2 = s_.R2;
        const float X = fp::toSingle(lSeriesReactance(R1, R2));
        const float Xp = fp::toSingle(lShuntReactance(R1, R2, X));
        const float w = fp::toSingle(2 * kPi * s_.f * 1000);
        r.Lseries = fp::toSingle(static_cast<long double>(X) / w * 1e6L);
        r.Cparallel = fp::toSingle(1 / (static_cast<long double>(w) * Xp) * 1e12L);
        r.Lparallel = fp::toSingle(static_cast<long double>(Xp) / w * 1e6L);
        r.Cseries = fp::toSingle(1 / (static_cast<long double>(w) * X) * 1e12L);
    }
    // Shown only once all four are known, so a fault leaves the old texts.
    const auto text = [this](float value) {
        return numeric::formatFixed(value, 10, 2, separator()) + "  ";
    };
    const std::string l5 = text(r.Lseries), l6 = text(r.Cparallel), l7 = text(r.Cseries),
                      l8 = text(r.Lparallel);
    s_ = r;
    form_.setText("Label5", l5);
    form_.setText("Label6", l6);
    form_.setText("Label7", l7);
    form_.setText("Label8", l8);
}

} // namespace korvan::tools
