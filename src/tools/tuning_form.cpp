#include "tools/tuning_form.h"

#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "tools/tool_events.h"

#include <cmath>

namespace korvan::tools {

namespace {

constexpr const char* kNoValue = "-----";

int cmDecimals(double cm) {
    if (cm < 1e-14) return 6;
    if (cm < 1e-12) return 5;
    return 3;
}

int lmDecimals(double lm) {
    if (lm < 0.01) return 6;
    if (lm < 1) return 5;
    return 3;
}

} // namespace

TuningForm::TuningForm(MessageSink& messages, char separator, const FormModel& mainForm,
                       const DesignState& mainState, std::function<void()> calculate)
    : ToolForm(messages, separator), main_(mainForm), mainState_(mainState),
      calculate_(std::move(calculate)) {
    form_.setItemIndex("RadioGroup1", 0);
    form_.setText("Panel2", " mH");
    form_.setText("AEdit4", "0");
    form_.setText("Label6", "Label6");
    form_.setText("Label13", "Label13");
    form_.setText("Label4", "Label4");
}

std::string TuningForm::hzText(long double hz) const {
    return numeric::formatFixed(hz, 8, 0, separator()) + "  ";
}

void TuningForm::formActivate() {
    runToolEvent(messages_, [this] {
        if (calculate_) {
            // The main window's calculation is an event of its own, with its
            // own flags and reports.
            const fp::ForeignCode mainWindow;
            calculate_();
        }
        form_.setText("AEdit1", main_.text("AEdit1"));
        form_.setText("AEdit2", main_.text("AEdit2"));
        form_.setText("AEdit5", main_.text("AEdit3"));
        form_.setText("AEdit6", main_.text("Label33"));
        form_.setText("AEdit7", main_.text("Label34"));
        // With 2 or 3 poles the main window shows no Ck23: mesh 2 sees Ck12 twice.
        if (mainState_.Poles == 2 || mainState_.Poles == 3)
            form_.setText("AEdit7", form_.text("AEdit6"));
        // The current frequency starts 200 Hz below nominal.
        form_.setText("AEdit3", numeric::formatFixed(
                                    numeric::toNumber(form_.text("AEdit2"), separator()) - 0.2L, 12,
                                    3, separator()));
        const ControlState* mainItem = main_.find("RadioGroup1");
        form_.setItemIndex("RadioGroup1", mainItem && mainItem->itemIndex == 1 ? 1 : 0);
        applyRadioGroup1();
        getInputs();
        calcXtalParms();
        form_.requestFocus(FocusMove::Control, "AEdit3");
    });
}

void TuningForm::button1Click() {
    runToolEvent(messages_, [this] {
        getInputs();
        calcXtalParms();
    });
}

void TuningForm::radioGroup1Click(int item) {
    runToolEvent(messages_, [this, item] {
        form_.setItemIndex("RadioGroup1", item);
        applyRadioGroup1();
    });
}

void TuningForm::applyRadioGroup1() {
    form_.setText("Panel2", form_.at("RadioGroup1").itemIndex == 1 ? " fF" : " mH");
    form_.requestFocus(FocusMove::Next);
}

void TuningForm::aEdit1Exit() {
    runToolEvent(messages_, [this] { numeric::toNumber(form_.text("AEdit1"), separator()); });
}

void TuningForm::getInputs() {
    const bool read = readFields(form_, separator(),
                                 {{"AEdit6", 1e-12L, s_.Ck12},
                                  {"AEdit7", 1e-12L, s_.Ck23},
                                  {"AEdit2", 1000, s_.fNom},
                                  {"AEdit3", 1000, s_.fAct},
                                  {"AEdit4", 1, s_.N},
                                  {"AEdit5", 1e-12L, s_.C0}});
    // A crystal without holder capacitance would leave no parallel resonance.
    if (s_.C0 == 0) s_.C0 = 1e-15;
    if (s_.fAct == 0) {
        s_.fAct = s_.fNom;
        form_.setText("AEdit3", numeric::formatFixed(s_.fNom * 0.001L, 8, 3, separator()));
    }
    if (!read) messages_.show(okBox("Error", kInvalidInput, MsgIcon::Exclamation));
}

void TuningForm::calcXtalParms() {
    const long double f = s_.fNom;
    const long double entered = numeric::toNumber(form_.text("AEdit1"), separator());
    if (form_.at("RadioGroup1").itemIndex != 1) {
        s_.Lm = fp::toDouble(entered * 0.001L);
        form_.setText("Label1", "Cm =                          fF");
        s_.Cm = fp::toDouble(1 / (4 * kPi * kPi * f * f * s_.Lm));
        form_.setText("Label2",
                      numeric::formatFixed(s_.Cm * 1e15L, 12, cmDecimals(s_.Cm), separator()));
    } else {
        s_.Cm = fp::toDouble(entered * 1e-15L);
        form_.setText("Label1", "Lm =                          mH");
        s_.Lm = fp::toDouble(1 / (4 * kPi * kPi * f * f * s_.Cm));
        form_.setText("Label2",
                      numeric::formatFixed(s_.Lm * 1000.0L, 12, lmDecimals(s_.Lm), separator()));
    }

    s_.A = fp::toDouble(static_cast<long double>(s_.fAct) - s_.fNom);
    form_.setText("Label6", hzText(s_.A));
    if (s_.A > s_.N) {
        messages_.show(okBox("Error",
                             "The actual xtal frequency is already higher\rthan the required "
                             "offset\rThe offset is set to the minimum value",
                             MsgIcon::Exclamation));
        s_.N = s_.A;
        // Rounded up to the whole Hz, so that the next calculation finds the
        // offset reached instead of repeating this message.
        form_.setText("AEdit4", numeric::formatFixed(std::ceil(s_.N), 8, 0, separator()));
        form_.requestFocus(FocusMove::Control, "AEdit4");
        form_.setText("Label4", kNoValue);
        form_.setText("Label13", hzText(static_cast<long double>(s_.N) - s_.A));
        return;
    }
    calcTuningC();
}

void TuningForm::calcTuningC() {
    if (std::fabs(s_.N - s_.A) < 1) {
        messages_.show(okBox("Info", "No tuning capacitor required", MsgIcon::Exclamation));
        form_.setText("Label4", kNoValue);
        form_.setText("Label13", hzText(static_cast<long double>(s_.N) - s_.A));
        return;
    }
    const long double fNom = s_.fNom, fAct = s_.fAct, Cm = s_.Cm, C0 = s_.C0;
    const double Cks = fp::toDouble(1 / (1 / static_cast<long double>(s_.Ck12) + 1 / s_.Ck23));
    const double fm = fp::toDouble(fNom * std::sqrt(Cm / (C0 + Cks) + 1));
    const double x = fp::toDouble(fm - numeric::toNumber(form_.text("AEdit4"), separator()));

    // The mesh's own capacitance Ca is positive only while fm - N lies between
    // the nominal series and parallel resonances; beyond them the capacitor
    // shown would be meaningless, so the offset is refused.
    const long double ratio = (x / fNom) * (x / fNom) - 1;
    const double Ca = ratio > 0 ? fp::toDouble(Cm / ratio - C0) : 0.0;
    if (Ca <= 0) {
        const long double highest = fm - fNom;
        const long double lowest = fm - fNom * std::sqrt(1 + Cm / C0);
        messages_.show(okBox(
            "Error",
            "The nominal offset is beyond the reach of the reference mesh:\rwith these crystal "
            "and coupling values it must lie\rabove " +
                numeric::formatFixed(lowest, 8, 1, separator()) + " Hz and below " +
                numeric::formatFixed(highest, 8, 1, separator()) +
                " Hz.\rPlease change the offset value",
            MsgIcon::Exclamation));
        form_.setText("Label4", kNoValue);
        form_.setText("Label13", hzText(static_cast<long double>(s_.N) - s_.A));
        return;
    }
    const double C2 = fp::toDouble(Cm / ((fm / fAct) * (fm / fAct) - 1) - C0);
    const double Ct = fp::toDouble(1 / (1 / static_cast<long double>(C2) - 1 / Ca));
    if (Ct < 1e-11) messages_.show(okBox("Error", kTooSmallWarning, MsgIcon::Exclamation));
    const long double pF = Ct * 1e12L;
    form_.setText("Label4", numeric::formatFixed(pF, 6, pF > 99 ? 0 : 1, separator()));
    form_.setText("Label13", hzText(static_cast<long double>(s_.N) - s_.A));
}

} // namespace korvan::tools
