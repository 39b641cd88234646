#include "designer/build_sheet.h"

#include "designer/fixed_text.h"

#include "analysis/ladder_analysis.h"
#include "analysis/response_export.h"
#include "designer/crystal_reactance.h"

#include <algorithm>
#include <cmath>

namespace korvan::designer {

namespace {

using analysis::exactNumber;

// The Cs that puts the mesh of position i at f (0 when it cannot).
double tuningFor(const LadderDesign& d, int i, double fHz) {
    const double loop =
        loopCapacitanceF(d.positions[static_cast<std::size_t>(i)].crystal.model, fHz);
    if (!(loop > 0)) return 0;
    const double elastance = 1 / loop - d.elements.couplingElastance(i);
    return elastance > 0 ? 1 / elastance : 0;
}

// The largest series value at or below `limit` (0 when none above 0.5 pF).
double seriesBelow(double limit, analysis::ESeries series) {
    double v = analysis::nearestValue(limit, series);
    for (int i = 0; i < 4 && v > limit; ++i) v = analysis::nearestValue(v * 0.97, series);
    return v <= limit && v >= 0.5e-12 ? v : 0;
}

std::optional<Trimmer> chooseTrimmer(double low, double high, analysis::ESeries series) {
    for (const auto& [tmin, tmax] : trimmerRanges()) {
        if (tmin <= low && tmax >= high) return Trimmer{0, tmin, tmax};
        const double fixed = seriesBelow((low - tmin) / (1 + kFixedTolerance), series);
        if (fixed > 0 && fixed * (1 - kFixedTolerance) + tmax >= high)
            return Trimmer{fixed, tmin, tmax};
    }
    return std::nullopt;
}

CapacitorLine line(std::string label, double f, const analysis::StandardChoice& choice) {
    CapacitorLine l;
    l.label = std::move(label);
    l.designedF = f;
    if (f > 0) {
        l.nearestF = analysis::nearestValue(f, choice.series);
        l.pair = analysis::nearestPair(f, choice.series);
    }
    return l;
}

std::string pf(double f) {
    if (!(f > 0)) return "";
    return fixedText(f * 1e12, 2);
}

std::string csvText(const std::string& s) {
    if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::string optionalHz(const std::optional<double>& v) {
    return v ? exactNumber(*v) : "";
}

} // namespace

const std::vector<std::pair<double, double>>& trimmerRanges() {
    static const std::vector<std::pair<double, double>> ranges = {
        {2e-12, 6e-12},    {3e-12, 10e-12},   {4.5e-12, 20e-12},
        {6.5e-12, 30e-12}, {8.5e-12, 50e-12}, {9e-12, 180e-12}};
    return ranges;
}

BuildSheet buildSheet(const LadderDesign& d, const BuildOptions& options) {
    BuildSheet s;
    s.options = options;
    const int n = static_cast<int>(d.positions.size());
    const double detune = kTrimDetune * d.wantedBandwidthHz;
    for (int i = 0; i < n; ++i) {
        const auto& p = d.positions[static_cast<std::size_t>(i)];
        CapacitorLine l = line("Cs" + std::to_string(i + 1), p.csF, options.standard);
        if (p.csF > 0) {
            // A higher mesh needs a smaller Cs.
            const double high = tuningFor(d, i, p.meshHz - detune);
            const double low = tuningFor(d, i, p.meshHz + detune);
            l.coverLowF = low * (1 - kFixedTolerance);
            l.coverHighF = high > 0 ? high * (1 + kFixedTolerance) : 0;
            if (l.coverLowF > 0 && l.coverHighF > 0)
                l.trimmer = chooseTrimmer(l.coverLowF, l.coverHighF, options.standard.series);
        }
        s.tuning.push_back(std::move(l));
    }
    for (int i = 0; i + 1 < n; ++i)
        s.coupling.push_back(line(analysis::couplingName(i + 1),
                                  d.couplingF[static_cast<std::size_t>(i)], options.standard));
    s.source = matchEnd(options.systemOhm, d.sourceOhm, d.designHz);
    s.load = matchEnd(options.systemOhm, d.loadOhm, d.designHz);

    s.ideal = d.ladder(true);
    s.standard = analysis::standardLadder(s.ideal, options.standard).ladder;
    s.idealFigures = d.asBuilt;
    s.standardFigures = analysis::exactFigures(s.standard, d.designHz);

    const int points = std::max(2, options.points);
    const double half = 1.5 * d.wantedBandwidthHz;
    for (int k = 0; k < points; ++k) {
        const double f = d.designHz - half + 2 * half * k / (points - 1);
        const auto loss = [f](const analysis::LadderModel& m) {
            const double db = -analysis::magnitudeDb(analysis::analyseLadder(m, f).s21);
            return std::isfinite(db) ? db : 400.0;
        };
        s.fHz.push_back(f);
        s.idealLossDb.push_back(loss(s.ideal));
        s.standardLossDb.push_back(loss(s.standard));
    }
    return s;
}

std::string buildSheetCsv(const LadderDesign& d, const BuildSheet& s) {
    std::vector<std::string> out;
    out.push_back("KORVAN ladder build sheet,value");
    out.push_back("design_Hz," + exactNumber(d.designHz));
    out.push_back("bandwidth_Hz," + exactNumber(d.wantedBandwidthHz));
    out.push_back("family," + std::string(shapeName(d.shape)));
    if (d.shape.hasRipple()) out.push_back("ripple_dB," + exactNumber(d.shape.rippleDb));
    out.push_back("compensate," + std::string(compensationName(d.compensation)));
    if (d.predistortion) {
        out.push_back("predistorted_qo," + exactNumber(d.predistortion->meanQo));
        out.push_back("predistortion_IL_dB," + exactNumber(d.predistortion->prototypeLossDb));
    }
    out.push_back("poles," + std::to_string(d.positions.size()));
    out.push_back("reference_position," + std::to_string(d.referencePosition));
    out.push_back("source_Ohm," + exactNumber(d.sourceOhm));
    out.push_back("load_Ohm," + exactNumber(d.loadOhm));
    out.push_back("standard_values," + analysis::standardChoiceName(s.options.standard));
    out.push_back("");
    out.push_back("position,crystal,fs_Hz,mesh_Hz,mesh_offset_Hz,Cs_designed_pF,Cs_nearest_pF,"
                  "Cs_pair_pF,Cs_fixed_pF,trimmer_pF");
    for (std::size_t i = 0; i < d.positions.size(); ++i) {
        const auto& p = d.positions[i];
        const auto& l = s.tuning[i];
        std::string pair = l.pair.larger > 0 ? pf(l.pair.larger) + " + " + pf(l.pair.smaller) : "";
        std::string trimmer, fixed;
        if (l.trimmer) {
            fixed = pf(l.trimmer->fixedF);
            trimmer = pf(l.trimmer->minF) + " - " + pf(l.trimmer->maxF);
        } else if (p.csF > 0) {
            trimmer = "none spans " + pf(l.coverLowF) + " - " + pf(l.coverHighF);
        }
        out.push_back(std::to_string(i + 1) + ',' + csvText(p.crystal.name) + ',' +
                      exactNumber(seriesResonanceHz(p.crystal.model)) + ',' +
                      exactNumber(p.meshHz) + ',' + exactNumber(p.meshOffsetHz) + ',' + pf(p.csF) +
                      ',' + pf(l.nearestF) + ',' + pair + ',' + fixed + ',' + trimmer);
    }
    out.push_back("");
    out.push_back("coupling,Ck_designed_pF,Ck_nearest_pF,Ck_pair_pF");
    for (const auto& l : s.coupling)
        out.push_back(l.label + ',' + pf(l.designedF) + ',' + pf(l.nearestF) + ',' +
                      pf(l.pair.larger) + " + " + pf(l.pair.smaller));
    out.push_back("");
    out.push_back("end,system_Ohm,filter_Ohm,network,Lseries_uH,Cparallel_pF,Cseries_pF,"
                  "Lparallel_uH,series_element_at,turns_ratio");
    for (const auto& [name, m] : {std::pair{"source", &s.source}, {"load", &s.load}}) {
        const auto uh = [](double h) { return fixedText(h * 1e6, 3); };
        out.push_back(std::string(name) + ',' + exactNumber(m->systemOhm) + ',' +
                      exactNumber(m->filterOhm) + ',' + (m->needed ? "L-C" : "none necessary") +
                      ',' + (m->needed ? uh(m->lowpassSeriesH) : "") + ',' + pf(m->lowpassShuntF) +
                      ',' + pf(m->highpassSeriesF) + ',' +
                      (m->needed ? uh(m->highpassShuntH) : "") + ',' +
                      (m->seriesAtSystem ? "system" : "filter") + ',' + exactNumber(m->turnsRatio));
    }
    out.push_back("");
    out.push_back("figure,ideal,standard_values");
    const auto fig = [&](const char* name, auto get) {
        out.push_back(std::string(name) + ',' + get(s.idealFigures) + ',' +
                      (s.standardFigures ? get(*s.standardFigures) : std::string()));
    };
    fig("IL_dB", [](const analysis::ExactFigures& x) { return exactNumber(x.ilDb); });
    fig("ripple_dB", [](const analysis::ExactFigures& x) {
        return x.rippleDb ? exactNumber(*x.rippleDb) : std::string();
    });
    fig("centre_Hz", [](const analysis::ExactFigures& x) { return optionalHz(bandCentreHz(x)); });
    for (std::size_t l = 0; l < analysis::kExactLevelsDb.size(); ++l) {
        const std::string name = "BW" + std::to_string(analysis::kExactLevelsDb[l]) + "_Hz";
        fig(name.c_str(),
            [l](const analysis::ExactFigures& x) { return optionalHz(x.levels[l].bandwidthHz()); });
    }
    std::string text;
    for (const auto& l : out) text += l + "\r\n";
    return text;
}

} // namespace korvan::designer
