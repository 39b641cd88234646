#include "cli/diagnose_report.h"

#include "analysis/exact_figures.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <optional>

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;
using measurement::FittedValue;
using measurement::LadderDiagnosis;
using measurement::PortFixture;

// A number, or null where the value is not a finite one.
json num(double v) {
    return std::isfinite(v) ? json(v) : json(nullptr);
}
json num(const std::optional<double>& v) {
    return v ? num(*v) : json(nullptr);
}

std::string format(const char* pattern, double v) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, v);
    // A value that rounds to zero reads 0, not -0.
    if (v < 0 && format(pattern, -v) == format(pattern, 0.0)) return format(pattern, 0.0);
    return text;
}

// IL, ripple, 3/6/60 dB bandwidths and centre, side by side for the
// measurement (its samples) and the design (its continuous response).
struct Figures {
    std::optional<double> il, ripple, bw3, bw6, bw60, centre;
};

Figures measuredFigures(const DiagnoseReport& r) {
    const auto f = measurement::measuredFigures(r.measurement, r.ladder.centreHz);
    if (!f) return {};
    using namespace analysis;
    return {f->value[kIL],  f->value[kRipple], f->value[kBw3],
            f->value[kBw6], f->value[kBw60],   f->centreHz};
}

Figures designFigures(const DiagnoseReport& r) {
    const auto x = analysis::exactFigures(r.ladder.ladder, r.ladder.centreHz);
    if (!x) return {};
    const auto& l = x->levels;
    Figures out{
        x->ilDb,     x->rippleDb, l[0].bandwidthHz(), l[1].bandwidthHz(), l[4].bandwidthHz(),
        std::nullopt};
    if (l[0].lowHz && l[0].highHz) out.centre = 0.5 * (*l[0].lowHz + *l[0].highHz);
    return out;
}

json figuresJson(const Figures& f) {
    return json{{"IL_dB", num(f.il)},
                {"ripple_dB", num(f.ripple)},
                {"bandwidths_Hz", {{"3", num(f.bw3)}, {"6", num(f.bw6)}, {"60", num(f.bw60)}}},
                {"centre_Hz", num(f.centre)}};
}

std::string fixtureText(const PortFixture& p) {
    switch (p.kind) {
    case PortFixture::Kind::Direct:
        return "none";
    case PortFixture::Kind::SeriesPad:
        return format("pad %.1f Ohm", p.padOhm);
    case PortFixture::Kind::Transformer:
        return format("transformer 1:%.4g", p.turnsRatio);
    case PortFixture::Kind::LowPassMatch:
        return format("L-C low-pass %.4g uH", p.inductanceH * 1e6) +
               format(", %.4g pF", p.capacitanceF * 1e12);
    case PortFixture::Kind::HighPassMatch:
        break;
    }
    return format("L-C high-pass %.4g pF", p.capacitanceF * 1e12) +
           format(", %.4g uH", p.inductanceH * 1e6);
}

json fixtureJson(const PortFixture& p) {
    switch (p.kind) {
    case PortFixture::Kind::Direct:
        return {{"kind", "direct"}};
    case PortFixture::Kind::SeriesPad:
        return {{"kind", "pad"}, {"Ohm", p.padOhm}};
    case PortFixture::Kind::Transformer:
        return {{"kind", "transformer"}, {"turns_ratio", p.turnsRatio}};
    case PortFixture::Kind::LowPassMatch:
        return {{"kind", "lc_lowpass"}, {"L_H", p.inductanceH}, {"C_F", p.capacitanceF}};
    case PortFixture::Kind::HighPassMatch:
        break;
    }
    return {{"kind", "lc_highpass"}, {"C_F", p.capacitanceF}, {"L_H", p.inductanceH}};
}

// The fitted values (or their uncertainties) under the keys of the JSON;
// the names of the values the data leave open go to `undetermined`.
json valuesJson(const LadderDiagnosis& d, bool uncertainty, json* undetermined) {
    const auto pick = [&](const FittedValue& v, double scale, const std::string& key) {
        if (undetermined && !v.determined) undetermined->push_back(key);
        return num((uncertainty ? v.uncertainty : v.value) * scale);
    };
    json ck = json::array(), cs = json::array(), mesh = json::array();
    for (std::size_t i = 0; i < d.couplingF.size(); ++i)
        ck.push_back(pick(d.couplingF[i], 1, "Ck_F[" + std::to_string(i) + "]"));
    for (std::size_t i = 0; i < d.tuningF.size(); ++i)
        cs.push_back(d.tuningF[i] ? pick(*d.tuningF[i], 1, "Cs_F[" + std::to_string(i) + "]")
                                  : json(nullptr));
    for (std::size_t i = 0; i < d.meshErrorHz.size(); ++i)
        mesh.push_back(pick(d.meshErrorHz[i], 1, "mesh_error_Hz[" + std::to_string(i) + "]"));
    json out;
    out["source_Ohm"] = pick(d.sourceOhm, 1, "source_Ohm");
    out["load_Ohm"] = pick(d.loadOhm, 1, "load_Ohm");
    out["source_pF"] = pick(d.sourceStrayF, 1e12, "source_pF");
    out["load_pF"] = pick(d.loadStrayF, 1e12, "load_pF");
    out["Ck_F"] = ck;
    out["Cs_F"] = cs;
    out["mesh_error_Hz"] = mesh;
    out["shift_Hz"] = pick(d.shiftHz, 1, "shift_Hz");
    return out;
}

// "-6.8 +- 0.5 Hz", or "... (not determined)".
std::string withUncertainty(const FittedValue& v, double scale, const char* pattern,
                            const char* unit) {
    std::string text = format(pattern, v.value * scale) + " +- " +
                       format(pattern, v.uncertainty * scale) + " " + unit;
    return v.determined ? text : text + "  (not determined by the data)";
}

std::string figureText(const std::optional<double>& v, const char* pattern) {
    return v ? format(pattern, *v) : std::string("----");
}

} // namespace

void writeDiagnoseJson(std::ostream& out, const DiagnoseReport& r) {
    const LadderDiagnosis& d = r.diagnosis;
    json undetermined = json::array();
    json report;
    report["fitted"] = valuesJson(d, false, &undetermined);
    report["uncertainty"] = valuesJson(d, true, nullptr);
    report["suggestions"] = measurement::suggestionTexts(d);
    report["residual_dB"] = num(d.residualDb);
    report["exact_measured"] = figuresJson(measuredFigures(r));
    report["exact_design"] = figuresJson(designFigures(r));
    report["converged"] = d.converged;
    report["status"] = d.status;
    report["evaluations"] = d.evaluations;
    report["undetermined"] = undetermined;
    json corrected = json::array(), designCk = json::array(), designCs = json::array(),
         meshHz = json::array();
    for (const auto& c : d.correctedTuningF) corrected.push_back(num(c));
    for (double c : d.design.couplingF) designCk.push_back(num(c));
    for (const auto& arm : d.design.arms) designCs.push_back(arm.csF > 0 ? num(arm.csF) : nullptr);
    for (double f : d.designMeshHz) meshHz.push_back(num(f));
    report["corrected_Cs_F"] = corrected;
    report["design"] = {{"source_Ohm", num(d.design.sourceOhm)},
                        {"load_Ohm", num(d.design.loadOhm)},
                        {"Ck_F", designCk},
                        {"Cs_F", designCs},
                        {"mesh_Hz", meshHz},
                        {"centre_Hz", num(d.designCentreHz)}};
    report["fixture"] = {{"port1", fixtureJson(r.fixture.port1)},
                         {"port2", fixtureJson(r.fixture.port2)},
                         {"source_Ohm", num(r.measurement.sourceOhm)},
                         {"load_Ohm", num(r.measurement.loadOhm)}};
    report["measurement"] = {{"file", r.measuredFile},
                             {"points", r.measurement.frequencyHz.size()},
                             {"points_fitted", d.pointsFitted},
                             {"S11_fitted", d.reflectionFitted},
                             {"full_two_port", !r.measurement.chain.empty()}};
    report["ladder"] = {
        {"file", r.ladderFile}, {"kind", r.ladder.kind}, {"poles", r.ladder.ladder.poles()}};
    report["notes"] = d.notes;
    out << report.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
}

void writeDiagnoseText(std::ostream& out, const DiagnoseReport& r) {
    const LadderDiagnosis& d = r.diagnosis;
    const auto& f = r.measurement.frequencyHz;
    out << "Built filter  " << r.measuredFile << " (" << f.size() << " points, "
        << format("%.1f", f.empty() ? 0.0 : f.front()) << " to "
        << format("%.1f Hz)", f.empty() ? 0.0 : f.back()) << '\n';
    out << "Ladder        " << r.ladderFile << " (" << r.ladder.kind << ", "
        << r.ladder.ladder.poles() << " poles, centre " << format("%.1f Hz)", r.ladder.centreHz)
        << '\n';
    out << "Fixture       port 1 " << fixtureText(r.fixture.port1) << ", port 2 "
        << fixtureText(r.fixture.port2) << "; the filter sees "
        << format("%.1f", r.measurement.sourceOhm) << " / "
        << format("%.1f Ohm", r.measurement.loadOhm) << '\n';
    out << "Fit           " << (d.converged ? "" : "NOT CONVERGED: ") << d.status << "; "
        << d.pointsFitted << " points, " << (d.reflectionFitted ? "S21 and S11" : "S21 alone")
        << "; residual " << format("%.3f dB", d.residualDb) << '\n';
    if (!d.converged) out << "              the values below are the fit's best state\n";

    out << "\n                      designed        fitted\n";
    const auto row = [&](const std::string& name, const std::string& designed,
                         const std::string& fitted) {
        char text[200];
        std::snprintf(text, sizeof text, "  %-18s %12s    %s\n", name.c_str(), designed.c_str(),
                      fitted.c_str());
        out << text;
    };
    row("Source", format("%.1f Ohm", d.design.sourceOhm),
        withUncertainty(d.sourceOhm, 1, "%.1f", "Ohm"));
    row("Load", format("%.1f Ohm", d.design.loadOhm), withUncertainty(d.loadOhm, 1, "%.1f", "Ohm"));
    row("Source stray", "0 pF", withUncertainty(d.sourceStrayF, 1e12, "%.2f", "pF"));
    row("Load stray", "0 pF", withUncertainty(d.loadStrayF, 1e12, "%.2f", "pF"));
    for (std::size_t i = 0; i < d.couplingF.size(); ++i)
        row(analysis::couplingName(static_cast<int>(i) + 1),
            format("%.2f pF", d.design.couplingF[i] * 1e12),
            withUncertainty(d.couplingF[i], 1e12, "%.2f", "pF"));

    out << "\n  Mesh  resonance designed  error as built            Cs designed  Cs as built  "
           "Cs to put it right\n";
    for (std::size_t i = 0; i < d.meshErrorHz.size(); ++i) {
        const double cs = d.design.arms[i].csF;
        const auto pf = [](std::optional<double> v) {
            return v ? format("%.1f pF", *v * 1e12) : std::string("-");
        };
        char text[300];
        std::snprintf(
            text, sizeof text, "  %-4zu  %15.1f Hz  %-26s %11s  %11s  %s\n", i + 1,
            d.designMeshHz[i], withUncertainty(d.meshErrorHz[i], 1, "%.1f", "Hz").c_str(),
            pf(cs > 0 ? std::optional<double>(cs) : std::nullopt).c_str(),
            pf(d.tuningF[i] ? std::optional<double>(d.tuningF[i]->value) : std::nullopt).c_str(),
            pf(d.correctedTuningF[i]).c_str());
        out << text;
    }
    out << "  Common shift of the meshes  " << withUncertainty(d.shiftHz, 1, "%.1f", "Hz") << '\n';

    const auto texts = measurement::suggestionTexts(d);
    out << "\nSuggestions, largest effect first:\n";
    if (texts.empty()) out << "  none: the filter is built as designed, as far as the data tell\n";
    for (std::size_t i = 0; i < texts.size(); ++i) out << "  " << i + 1 << ". " << texts[i] << '\n';

    const Figures measured = measuredFigures(r), design = designFigures(r);
    out << "\nFigures                measured   design (exact)\n";
    const auto figure = [&](const char* name, const std::optional<double>& a,
                            const std::optional<double>& b, const char* pattern) {
        char text[200];
        std::snprintf(text, sizeof text, "  %-18s %12s %16s\n", name,
                      figureText(a, pattern).c_str(), figureText(b, pattern).c_str());
        out << text;
    };
    figure("IL [dB]", measured.il, design.il, "%.3f");
    figure("Ripple [dB]", measured.ripple, design.ripple, "%.3f");
    figure("BW 3 dB [Hz]", measured.bw3, design.bw3, "%.1f");
    figure("BW 6 dB [Hz]", measured.bw6, design.bw6, "%.1f");
    figure("BW 60 dB [Hz]", measured.bw60, design.bw60, "%.1f");
    figure("Centre [Hz]", measured.centre, design.centre, "%.1f");
    if (!d.notes.empty()) {
        out << "\nNotes:\n";
        for (const auto& n : d.notes) out << "  " << n << '\n';
    }
}

} // namespace korvan::cli
