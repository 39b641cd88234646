#include "cli/text_report.h"

#include "analysis/design_outcome.h"
#include "cli/exact_report.h"
#include "cli/parts_report.h"
#include "numeric/number_text.h"
#include "response/sweep.h"

#include <iomanip>
#include <string>

namespace korvan::cli {

namespace {

constexpr const char* kNoValue = "----   ";

class Report {
  public:
    Report(std::ostream& out, const FormModel& form) : out_(out), form_(form) {}

    void heading(const std::string& text) { out_ << '\n' << text << '\n'; }

    // One caption and the text of one control; a red font (the window's
    // warning for a questionable value) is spelled out.
    void row(const std::string& caption, const std::string& control) {
        out_ << "  " << std::left << std::setw(26) << caption << text(control) << '\n';
    }

    // An entry field as it stands (its colours are design, not warnings).
    void field(const std::string& caption, const std::string& control) {
        out_ << "  " << std::left << std::setw(26) << caption << form_.text(control) << '\n';
    }

    void line(const std::string& control) { out_ << "  " << text(control) << '\n'; }

    std::string text(const std::string& control) const {
        std::string t = form_.text(control);
        const auto* c = form_.find(control);
        if (c && c->fontColor && *c->fontColor == colors::red) t += "  (red)";
        return t;
    }

    bool filled(int label) const { return form_.text(FormModel::label(label)) != kNoValue; }

  private:
    std::ostream& out_;
    const FormModel& form_;
};

const char* typeCaption(FilterType type) {
    switch (type) {
    case FilterType::Cohn:
        return "Cohn";
    case FilterType::Qer:
        return "QER(G3UUR)";
    case FilterType::ChebyshevButterworth:
        break;
    }
    return "Chebyshev/Butterw";
}

} // namespace

void writeTextReport(std::ostream& out, const MainForm& form,
                     const std::vector<std::filesystem::path>& exported, bool withSweep) {
    const auto& f = form.form();
    Report r(out, f);
    out << form.windowCaption() << '\n';
    if (!form.lastCalculationComplete())
        out << "\nThe calculation stopped: what follows is not a complete design.\n";

    r.heading("Inputs");
    out << "  " << std::left << std::setw(26) << "Filter Type" << typeCaption(form.filterType())
        << '\n';
    const bool cm = f.find("RadioGroup1") && f.find("RadioGroup1")->itemIndex != 0;
    r.field(cm ? "Cm [fF]" : "Lm [mH]", "AEdit1");
    r.field("Series Freq. fs [kHz]", "AEdit2");
    r.field("Cp [pF]", "AEdit3");
    r.field("Xtal Rm", "AEdit8");
    r.field("B3db [kHz]", "AEdit4");
    if (!form.state().IsCohn && !form.state().IsQER) r.field("PBripple(db)", "AEdit5");
    r.field("# of Poles    (2...14)", "AEdit6");
    r.field("Display Freq   Span [kHz]", "AEdit7");

    r.heading("Xtal Parameters");
    r.row("Lm =", "Label7");
    r.row("Cm =", "Label8");
    r.row("fs=", "Label9");
    r.row("fp=", "Label10");
    r.row("Xtal Qu", "Label90");

    r.heading("Filter Parameters");
    r.line("Label15");
    r.line("Label16");
    r.row("# of Poles:", "Label78");
    r.row("Center Frequency [kHz]:", "Label19");
    r.row("Impedance [Ohm]:", "Label20");
    r.line("Label87");
    const char* bandwidthCaptions[] = {
        "BW (   6db):", "BW ( 20db):", "BW ( 40db):", "BW ( 60db):", "BW ( 80db):", "BW (100db):"};
    for (int i = 0; i < 6; ++i) r.row(bandwidthCaptions[i], FormModel::label(21 + i));

    r.heading("Coupling (Shunt) Capacitances [pF]");
    const char* couplingCaptions[] = {
        "Ck12=", "Ck23=", "Ck34=", "Ck45=", "Ck56=", "Ck67=", "Ck78="};
    bool any = false;
    for (int i = 0; i < 7; ++i) {
        if (!r.filled(33 + i)) continue;
        r.row(couplingCaptions[i], FormModel::label(33 + i));
        any = true;
    }
    if (!any) out << "  " << kNoValue << '\n';

    r.heading("Tuning (Series) Capacitances (pF), equiv. Freq. Offset (Hz)");
    const char* tuningCaptions[] = {"Cs1=", "Cs3=", "Cs4=", "Cs5=", "Cs6=", "Cs7="};
    any = false;
    for (int i = 0; i < 6; ++i) {
        if (!r.filled(40 + i) && !r.filled(46 + i)) continue;
        out << "  " << std::left << std::setw(26) << tuningCaptions[i] << std::setw(16)
            << r.text(FormModel::label(40 + i)) << r.text(FormModel::label(46 + i)) << '\n';
        any = true;
    }
    if (!any) out << "  " << kNoValue << '\n';

    r.heading("Response");
    out << "  " << f.text("Label79") << "   span " << f.text("Label80") << " ... "
        << f.text("Label81") << '\n';
    out << "  " << f.text("Label91") << '\n';
    out << "  " << f.text("Label85") << ' ' << f.text("Label86") << '\n';
    const analysis::DesignOutcome* outcome = form.outcome().get();
    writeExactSection(out, outcome, form.separator());

    if (outcome) {
        r.heading("Parts list, input to output");
        writePartsList(out, outcome->parts(), form.separator());
    }

    if (!exported.empty()) {
        r.heading("Files written");
        for (const auto& path : exported) out << "  " << path.string() << '\n';
    }

    if (withSweep) {
        // The outcome's sweep, or after a stop what the state holds.
        const auto& s = outcome ? outcome->state() : form.state();
        const char sep = form.separator();
        r.heading("Response across the span: f [Hz], S21 [db], S11 [db], VSWR");
        const auto f = outcome ? outcome->sweepHz() : response::sweepFrequencies(s);
        for (std::size_t k = 0; k < f.size(); ++k) {
            out << "  " << numeric::formatFixed(f[k], 16, 1, sep) << '\t'
                << numeric::formatFixed(-s.RespS21[k], 12, 2, sep) << '\t'
                << numeric::formatFixed(-s.RespS11[k], 12, 2, sep) << '\t'
                << numeric::formatFixed(s.RespVSWR[k], 12, 3, sep) << '\n';
        }
    }
}

} // namespace korvan::cli
