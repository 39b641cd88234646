#include "app/main_form.h"

#include "analysis/design_outcome.h"

#include "model/text_file.h"
#include "netlist/export.h"
#include "numeric/errors.h"
#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "response/figures.h"
#include "response/sweep.h"
#include "synthesis/capacitors.h"
#include "synthesis/coupling.h"
#include "synthesis/crystal.h"

namespace korvan {

namespace {

constexpr std::size_t kMaxSettingsLine = 4096;

constexpr const char* kNoConfigText =
    "       No configuration file found.\rParameter fields are set to default values\r";
constexpr const char* kSaveQuestion = "      Do you wish to save the current settings?\r(Any "
                                      "existing configuration file will be overwritten)\r";

const char* radioButtonName(FilterType type) {
    switch (type) {
    case FilterType::Cohn:
        return "RadioButton2";
    case FilterType::Qer:
        return "RadioButton3";
    case FilterType::ChebyshevButterworth:
        break;
    }
    return "RadioButton1";
}

} // namespace

MainForm::MainForm(MessageSink& messages, Clipboard& clipboard, std::filesystem::path basePath,
                   char decimalSeparator)
    : messages_(messages), clipboard_(clipboard), basePath_(std::move(basePath)),
      separator_(decimalSeparator) {
    setDesignDefaults();
    // The QER constants are part of the form from its creation on, so that
    // every front gets them, not only the one that runs the start-up.
    synthesis::fillQerTables(state_);
}

// The design-time state of every control that the program reads or writes.
void MainForm::setDesignDefaults() {
    auto& f = form_;
    f.setItemIndex("RadioGroup1", 0);
    f.setText("Panel2", "mH");
    const char* fields[] = {"62", "4998", "4", "3", "1", "8", "10", "20"};
    for (int i = 1; i <= 8; ++i) f.setText(FormModel::edit(i), fields[i - 1]);
    f.setColor("AEdit6", colors::red);
    f.setHint("AEdit6", "min 2, max 14");
    f.setHint("AEdit7", "min. B3db, max. 400 kHz");
    f.setText("SpeedButton1", "Calculate");
    f.setHint("SpeedButton1", "Hit button after any change");
    f.setText("SpeedButton3", "10db <-> 1db");
    f.setHint("SpeedButton3", "Switch between L10db/div and 1db/div ");
    f.setColor("SpeedButton3", colors::teal);
    f.setChecked("RadioButton1", true);
    f.setChecked("RadioButton2", false);
    f.setChecked("RadioButton3", false);
    f.setText("Label90", "123456");
    f.setText("Label87", "Bmax");
    f.setText("Label15", "Type: Chebyshev");
    f.setText("Label16", "PB Ripple: 1.0db");
    f.setText("Label79", "fm = 6002,350 kHz");
    f.setText("Label80", "- f");
    f.setText("Label81", "+ f");
    f.setText("Label83", "Frequency: 12345.888 kHz");
    f.setText("Panel5", " S21 = -0 db");
    f.setText("Panel9", " S11 = -0 db");
    f.setText("Panel10", " VSWR = 1");
    f.setText("Label85", "Ultimate Attenuation =");
    f.setColor("Label84", state_.colours.ultAttn);
    f.setColor("Label85", state_.colours.ultAttn);
    f.setColor("Label86", state_.colours.ultAttn);
    f.setChecked("CheckBox1", false);
    f.setChecked("CheckBox2", false);
    f.setVisible("Panel4", true);
    f.setEnabled("XtalTuning1", true);
    f.setVisible("Cs2Cp1", true);
    caption_ = kWindowCaption;
}

StageContext MainForm::context() {
    return StageContext{state_, form_, messages_, separator_};
}

FilterType MainForm::filterType() const {
    if (state_.IsCohn) return FilterType::Cohn;
    if (state_.IsQER) return FilterType::Qer;
    return FilterType::ChebyshevButterworth;
}

void MainForm::runHandler(const std::function<void()>& handler) {
    if (handlerDepth_ > 0) {
        handler();
        return;
    }
    ++handlerDepth_;
    try {
        handler();
    } catch (const std::exception& e) {
        faultReported_ = true;
        messages_.show(errorReport(e.what()));
    }
    // The views follow once the event is over, whatever became of it; what
    // goes wrong in one of them is reported like a fault of the event.
    try {
        outcomes_.publish(outcome_);
    } catch (const std::exception& e) {
        messages_.show(errorReport(e.what()));
    }
    --handlerDepth_;
    fp::clearFlags();
}

// ---------------------------------------------------------------- events

void MainForm::startUp(const std::function<void()>& showWindow) {
    netlist::createNetlistFolders(basePath_);
    form_.setVisible("Panel4", false);
    runHandler([this] { calculateAll(); });
    if (showWindow) showWindow();
    runHandler([this] {
        getSettings();
        speedButton1Click();
    });
}

void MainForm::calculateClicked() {
    runHandler([this] { speedButton1Click(); });
}

void MainForm::editReturnPressed() {
    runHandler([this] { speedButton1Click(); });
    form_.requestFocus(FocusMove::Next);
}

void MainForm::lmCmClicked(int item) {
    runHandler([this, item] {
        form_.setItemIndex("RadioGroup1", item);
        form_.setText("Panel2", item == 0 ? " mH" : " fF");
        form_.requestFocus(FocusMove::Next);
    });
}

void MainForm::filterTypeClicked(FilterType type) {
    runHandler([this, type] {
        for (auto t : {FilterType::ChebyshevButterworth, FilterType::Cohn, FilterType::Qer})
            form_.setChecked(radioButtonName(t), t == type);
        radioGroup2Click();
    });
}

void MainForm::traceCheckBoxClicked(int checkBox, bool on) {
    runHandler([this, checkBox, on] {
        form_.setChecked(checkBox == 1 ? "CheckBox1" : "CheckBox2", on);
        auto ctx = context();
        fp::clearFlags();
        response::generateResponseArrays(ctx);
        response::ultimateAttenuation(ctx);
    });
}

void MainForm::scaleButtonClicked() {
    runHandler([this] {
        state_.Scale10dB = !state_.Scale10dB;
        form_.setVisible("Panel4", !state_.Scale10dB);
        speedButton1Click();
    });
}

void MainForm::repaint() {
    try {
        auto ctx = context();
        fp::clearFlags();
        response::generateResponseArrays(ctx);
        response::ultimateAttenuation(ctx);
    } catch (const std::exception& e) {
        // A fault in the sweep would recur at every repaint: report it once
        // per calculation and keep drawing what the arrays hold.
        if (!faultReported_) {
            faultReported_ = true;
            messages_.show(errorReport(e.what()));
        }
    }
    fp::clearFlags();
}

bool MainForm::closeRequested() {
    bool close = false;
    runHandler([this, &close] {
        const Message question{"Exit Program", kSaveQuestion, MsgButtons::YesNoCancel,
                               MsgIcon::Question, MsgAnswer::Cancel};
        switch (messages_.show(question)) {
        case MsgAnswer::Yes:
            saveSettings();
            close = true;
            break;
        case MsgAnswer::No:
            close = true;
            break;
        default:
            close = false;
            break;
        }
    });
    return close;
}

// ------------------------------------------------------------ operations

void MainForm::speedButton1Click() {
    state_.CursorX = -1;
    calculateAll();
    if (outcome_) exportNetlists();
}

void MainForm::exportNetlists() {
    if (!exportEnabled_) return;
    exported_.clear();
    auto ctx = context();
    netlist::exportNetlists(ctx, clipboard_, basePath_, exported_);
}

void MainForm::calculateAll() {
    outcome_.reset();
    faultReported_ = false;
    fp::clearFlags();
    clearAllFields(form_);
    clearArrays(state_);
    setClrs();
    getInputs();
    if (state_.StopCalc) return;
    auto ctx = context();
    synthesis::calcXtalParms(ctx);
    synthesis::couplingCoefficients(ctx);
    synthesis::calcCapacitances(ctx);
    response::generateResponseArrays(ctx);
    response::findBandwidths(ctx);
    response::ultimateAttenuation(ctx);
    fp::check();
    // The loss exactly as the sweep read it (the field holds a number now).
    const double rm = static_cast<double>(response::crystalLoss(ctx));
    outcome_ = std::make_shared<const analysis::DesignOutcome>(state_, rm, form_, separator_);
}

void MainForm::setClrs() {
    caption_ = std::string(kWindowCaption) + kAuthorCredit;
    form_.setText("Label82", kAuthorCredit);
}

void MainForm::getInputs() {
    auto& s = state_;
    auto& f = form_;
    const char sep = separator_;
    s.StopCalc = false;

    // 2. Guarded read in a fixed order; values read before a failure stay.
    long double m = 0;
    const auto fail = [&] {
        messages_.show({"Error", "Invalid or missing input value(s)", MsgButtons::Ok,
                        MsgIcon::Exclamation, MsgAnswer::Ok});
        s.StopCalc = true;
    };
    const auto read = [&](int field) {
        return numeric::parseNumber(f.text(FormModel::edit(field)), sep);
    };
    auto v = read(1);
    if (!v) return fail();
    m = *v;
    if (!(v = read(2))) return fail();
    s.fs = fp::toDouble(*v * 1000);
    if (!(v = read(3))) return fail();
    s.Cp = fp::toDouble(*v * 1e-12L);
    if (s.Cp == 0) s.Cp = 1e-30;
    if (!(v = read(4))) return fail();
    s.B3db = fp::toSingle(*v * 1000);
    if (!(v = read(5))) return fail();
    s.PBripple = fp::toDouble(*v);
    const auto poles = numeric::parseInteger(f.text("AEdit6"));
    if (!poles) return fail();
    s.Poles = *poles;
    if (!(v = read(7))) return fail();
    s.Span = fp::toSingle(*v);

    // 3. Zero check.
    if (fp::checked(static_cast<long double>(s.fs) * s.B3db * m) == 0) {
        messages_.show({"Error", "Input value(s) must be > 0 ", MsgButtons::Ok,
                        MsgIcon::Exclamation, MsgAnswer::Ok});
        f.requestFocus(FocusMove::Previous);
        s.StopCalc = true;
        return;
    }

    // 4. Plausibility of the motional value.
    const int item = f.at("RadioGroup1").itemIndex;
    const long double p = fp::checked(m * s.fs);
    if ((item == 0 && p > 5e9L) || (item == 1 && p < 1e7L)) {
        const Message question{
            "Confirmation needed",
            "The value for the xtal parameter Lm or Cm does    \rNOT appear to be realistic for "
            "the given frequency.  \r\r   >>>   Do you really want to proceed?   <<<\r(This may "
            "lead to a floating-point error message)",
            MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No};
        if (messages_.show(question) != MsgAnswer::Yes) {
            s.StopCalc = true;
            f.requestFocus(FocusMove::Control, "AEdit1");
            return;
        }
        s.StopCalc = false;
    }

    // 5. Ripple limit.
    if (s.PBripple > 3) {
        s.PBripple = 3;
        f.setText("AEdit5", numeric::formatFixed(3, 15, 0, sep));
    }

    // 6. Hints.
    f.setHint("AEdit3", "Holder Capacitance");
    f.setHint("AEdit5", "  0 = Butterworth\r>0 = Chebychev");

    // 7. Pole count. QER is tested first: its tables start at 4 poles, and a
    // count raised to 2 before the QER test would pass below them.
    if (s.Poles < 4 && s.IsQER)
        s.Poles = 4;
    else if (s.Poles < 2)
        s.Poles = 2;
    if (s.Poles > kMaxPoles) s.Poles = kMaxPoles;
    f.setText("AEdit6", std::to_string(s.Poles));
    f.setText("Label78", f.text("AEdit6"));

    // 8. Span between the bandwidth and 400 kHz.
    s.Span = fp::toSingle(numeric::toNumber(f.text("AEdit7"), sep));
    if (s.B3db * 0.001L > s.Span) {
        s.Span = fp::toSingle(s.B3db * 0.001L);
        f.setText("AEdit7", numeric::formatShortestSingle(s.Span, sep));
    }
    if (s.Span > 400) {
        s.Span = 400;
        f.setText("AEdit7", "400");
    }

    // 9., 10. Type and ripple display.
    f.setText("Label15", s.PBripple != 0 ? "Type:   Chebyshev" : "Type:   Butterworth");
    f.setText("Label16", "PB-Ripple: " + f.text("AEdit5") + "db");
}

void MainForm::radioGroup2Click() {
    auto& s = state_;
    const bool cheb = form_.at("RadioButton1").checked;
    const bool cohn = form_.at("RadioButton2").checked;
    const bool qer = form_.at("RadioButton3").checked;
    // The buttons are evaluated in order; the last checked one wins.
    if (cheb) {
        s.IsCohn = false;
        s.IsQER = false;
        form_.setVisible("AEdit5", true);
        form_.setEnabled("Label16", true);
        form_.setEnabled("XtalTuning1", true);
        form_.setVisible("Cs2Cp1", true);
    }
    if (cohn) {
        s.IsCohn = true;
        s.IsQER = false;
        form_.setVisible("AEdit5", false);
        form_.setEnabled("Label16", false);
        form_.setEnabled("XtalTuning1", false);
        form_.setVisible("Cs2Cp1", true);
    }
    if (qer) {
        s.IsCohn = false;
        s.IsQER = true;
        form_.setVisible("AEdit5", false);
        form_.setEnabled("Label16", false);
        form_.setEnabled("XtalTuning1", false);
        form_.setVisible("Cs2Cp1", false);
    }
    speedButton1Click();
}

void MainForm::showInfo(const std::string& text) {
    form_.requestFocus(FocusMove::Next);
    messages_.show({"Info", text, MsgButtons::Ok, MsgIcon::Information, MsgAnswer::Ok});
}

bool MainForm::getSettings() {
    return loadSettingsFrom(basePath_ / kSettingsFileName);
}

bool MainForm::loadSettingsFrom(const std::filesystem::path& file) {
    // Ten lines; reading stops at the first one that cannot be used. No field
    // needs more than a few dozen characters: a longer line is refused
    // before it costs time and memory, as an unreadable file would be.
    bool overlong = false;
    const auto lines = readTextLines(file, 10, kMaxSettingsLine, &overlong);
    if (!lines) {
        showInfo(kNoConfigText);
        return false;
    }
    const std::size_t usable = overlong ? lines->size() : kNoLineLimit;
    const auto line = [&](std::size_t i) -> std::string {
        return i < lines->size() ? (*lines)[i] : std::string();
    };
    if (usable == 0) {
        showInfo(kNoConfigText);
        return false;
    }
    const std::string type = line(0);
    FilterType wanted{};
    bool known = true;
    if (type == "1")
        wanted = FilterType::ChebyshevButterworth;
    else if (type == "2")
        wanted = FilterType::Cohn;
    else if (type == "3")
        wanted = FilterType::Qer;
    else
        known = false;
    if (known && !form_.at(radioButtonName(wanted)).checked) {
        for (auto t : {FilterType::ChebyshevButterworth, FilterType::Cohn, FilterType::Qer})
            form_.setChecked(radioButtonName(t), t == wanted);
        radioGroup2Click();
    }

    const auto item = usable > 1 ? numeric::parseInteger(line(1)) : std::nullopt;
    if (!item) {
        showInfo(kNoConfigText);
        return false;
    }
    const int index = *item > 1 ? 1 : (*item < 0 ? -1 : *item);
    if (index != form_.at("RadioGroup1").itemIndex) {
        form_.setItemIndex("RadioGroup1", index);
        form_.setText("Panel2", index == 0 ? " mH" : " fF");
        form_.requestFocus(FocusMove::Next);
    }
    for (int i = 1; i <= 8; ++i) {
        const auto index = static_cast<std::size_t>(i + 1);
        if (index >= usable) {
            showInfo(kNoConfigText);
            return false;
        }
        form_.setText(FormModel::edit(i), line(index));
    }
    return true;
}

void MainForm::saveSettings() { saveSettingsTo(basePath_ / kSettingsFileName); }

void MainForm::saveSettingsTo(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::string type = "1";
    if (form_.at("RadioButton2").checked) type = "2";
    if (form_.at("RadioButton3").checked) type = "3";
    lines.push_back(type);
    lines.push_back(form_.at("RadioGroup1").itemIndex == 0 ? "0" : "1");
    for (int i = 1; i <= 8; ++i) lines.push_back(form_.text(FormModel::edit(i)));
    writeFileAtomically(file, joinCrLf(lines));
}

} // namespace korvan
