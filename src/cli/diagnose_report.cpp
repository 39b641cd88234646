#include "cli/diagnose_report.h"

#include "measurement/diagnosis_text.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <optional>

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;
using namespace measurement;

// A number, or null where the value is not a finite one.
json num(double v) {
    return std::isfinite(v) ? json(v) : json(nullptr);
}
json num(const std::optional<double>& v) {
    return v ? num(*v) : json(nullptr);
}

json figuresJson(const ComparedFigures& f) {
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
        return fixedText("pad %.1f Ohm", p.padOhm);
    case PortFixture::Kind::Transformer:
        return fixedText("transformer 1:%.4g", p.turnsRatio);
    case PortFixture::Kind::LowPassMatch:
        return fixedText("L-C low-pass %.4g uH", p.inductanceH * 1e6) +
               fixedText(", %.4g pF", p.capacitanceF * 1e12);
    case PortFixture::Kind::HighPassMatch:
        break;
    }
    return fixedText("L-C high-pass %.4g pF", p.capacitanceF * 1e12) +
           fixedText(", %.4g uH", p.inductanceH * 1e6);
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
std::string figureText(const std::optional<double>& v, const char* pattern) {
    return v ? fixedText(pattern, *v) : std::string("----");
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
    report["exact_measured"] = figuresJson(measurementFigures(r.measurement, r.ladder.centreHz));
    report["exact_design"] = figuresJson(designFigures(r.ladder.ladder, r.ladder.centreHz));
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
        << fixedText("%.1f", f.empty() ? 0.0 : f.front()) << " to "
        << fixedText("%.1f Hz)", f.empty() ? 0.0 : f.back()) << '\n';
    out << "Ladder        " << r.ladderFile << " (" << r.ladder.kind << ", "
        << r.ladder.ladder.poles() << " poles, centre " << fixedText("%.1f Hz)", r.ladder.centreHz)
        << '\n';
    out << "Fixture       port 1 " << fixtureText(r.fixture.port1) << ", port 2 "
        << fixtureText(r.fixture.port2) << "; the filter sees "
        << fixedText("%.1f", r.measurement.sourceOhm) << " / "
        << fixedText("%.1f Ohm", r.measurement.loadOhm) << '\n';
    out << "Fit           " << (d.converged ? "" : "NOT CONVERGED: ") << d.status << "; "
        << d.pointsFitted << " points, " << (d.reflectionFitted ? "S21 and S11" : "S21 alone")
        << "; residual " << fixedText("%.3f dB", d.residualDb) << '\n';
    if (!d.converged) out << "              the values below are the fit's best state\n";

    out << '\n';
    for (const auto& line : fittedValueLines(d)) out << line << '\n';
    out << "\nSuggestions, largest effect first:\n";
    for (const auto& line : suggestionLines(d)) out << line << '\n';

    const ComparedFigures measured = measurementFigures(r.measurement, r.ladder.centreHz);
    const ComparedFigures design = designFigures(r.ladder.ladder, r.ladder.centreHz);
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
