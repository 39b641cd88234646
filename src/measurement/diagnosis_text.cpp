#include "measurement/diagnosis_text.h"

#include "analysis/exact_figures.h"

#include <cmath>
#include <cstdio>

namespace korvan::measurement {

std::string fixedText(const char* pattern, double v) {
    if (!std::isfinite(v)) return "-";
    char text[64];
    // A value that rounds to zero reads 0, not -0.
    if (v < 0 && fixedText(pattern, -v) == fixedText(pattern, 0.0)) v = 0;
    std::snprintf(text, sizeof text, pattern, v);
    return text;
}

std::string withUncertainty(const FittedValue& v, double scale, const char* pattern,
                            const char* unit) {
    std::string text = fixedText(pattern, v.value * scale) + " +- " +
                       fixedText(pattern, v.uncertainty * scale) + " " + unit;
    return v.determined ? text : text + "  (not determined by the data)";
}

std::vector<std::string> fittedValueLines(const LadderDiagnosis& d) {
    std::vector<std::string> lines{"                      designed        fitted"};
    const auto row = [&](const std::string& name, const std::string& designed,
                         const std::string& fitted) {
        char text[200];
        std::snprintf(text, sizeof text, "  %-18s %12s    %s", name.c_str(), designed.c_str(),
                      fitted.c_str());
        lines.emplace_back(text);
    };
    row("Source", fixedText("%.1f Ohm", d.design.sourceOhm),
        withUncertainty(d.sourceOhm, 1, "%.1f", "Ohm"));
    row("Load", fixedText("%.1f Ohm", d.design.loadOhm),
        withUncertainty(d.loadOhm, 1, "%.1f", "Ohm"));
    row("Source stray", "0 pF", withUncertainty(d.sourceStrayF, 1e12, "%.2f", "pF"));
    row("Load stray", "0 pF", withUncertainty(d.loadStrayF, 1e12, "%.2f", "pF"));
    for (std::size_t i = 0; i < d.couplingF.size() && i < d.design.couplingF.size(); ++i)
        row(analysis::couplingName(static_cast<int>(i) + 1),
            fixedText("%.2f pF", d.design.couplingF[i] * 1e12),
            withUncertainty(d.couplingF[i], 1e12, "%.2f", "pF"));

    lines.emplace_back("");
    lines.emplace_back("  Mesh  resonance designed  error as built            Cs designed  "
                       "Cs as built  Cs to put it right");
    const auto pf = [](std::optional<double> v) {
        return v ? fixedText("%.1f pF", *v * 1e12) : std::string("-");
    };
    for (std::size_t i = 0; i < d.meshErrorHz.size(); ++i) {
        const double cs = i < d.design.arms.size() ? d.design.arms[i].csF : 0;
        const auto built = i < d.tuningF.size() && d.tuningF[i]
                               ? std::optional<double>(d.tuningF[i]->value)
                               : std::nullopt;
        const auto right =
            i < d.correctedTuningF.size() ? d.correctedTuningF[i] : std::optional<double>();
        char text[300];
        std::snprintf(
            text, sizeof text, "  %-4zu  %15s Hz  %-26s %11s  %11s  %s", i + 1,
            fixedText("%.1f", i < d.designMeshHz.size() ? d.designMeshHz[i] : NAN).c_str(),
            withUncertainty(d.meshErrorHz[i], 1, "%.1f", "Hz").c_str(),
            pf(cs > 0 ? std::optional<double>(cs) : std::nullopt).c_str(), pf(built).c_str(),
            pf(right).c_str());
        lines.emplace_back(text);
    }
    lines.push_back("  Common shift of the meshes  " + withUncertainty(d.shiftHz, 1, "%.1f", "Hz"));
    return lines;
}

std::vector<std::string> suggestionLines(const LadderDiagnosis& d) {
    const auto texts = suggestionTexts(d);
    if (texts.empty()) return {"  none: the filter is built as designed, as far as the data tell"};
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < texts.size(); ++i)
        lines.push_back("  " + std::to_string(i + 1) + ". " + texts[i]);
    return lines;
}

ComparedFigures designFigures(const analysis::LadderModel& ladder, double centreHz) {
    const auto x = analysis::exactFigures(ladder, centreHz);
    if (!x) return {};
    const auto& l = x->levels;
    ComparedFigures out{
        x->ilDb,     x->rippleDb, l[0].bandwidthHz(), l[1].bandwidthHz(), l[4].bandwidthHz(),
        std::nullopt};
    if (l[0].lowHz && l[0].highHz) out.centre = 0.5 * (*l[0].lowHz + *l[0].highHz);
    return out;
}

ComparedFigures measurementFigures(const FilterMeasurement& m, double centreHz) {
    const auto f = measuredFigures(m, centreHz);
    if (!f) return {};
    using namespace analysis;
    return {f->value[kIL],  f->value[kRipple], f->value[kBw3],
            f->value[kBw6], f->value[kBw60],   f->centreHz};
}

} // namespace korvan::measurement
