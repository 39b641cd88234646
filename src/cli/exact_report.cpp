#include "cli/exact_report.h"

#include "analysis/exact_figures.h"
#include "analysis/figure_notes.h"
#include "numeric/number_text.h"

#include <iomanip>
#include <string>

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;

const analysis::ExactFigures* figuresOf(const analysis::DesignOutcome* outcome) {
    if (!outcome || !outcome->exact()) return nullptr;
    return &*outcome->exact();
}

json optionalNumber(const std::optional<double>& v) {
    return v ? json(*v) : json(nullptr);
}

} // namespace

json exactJson(const analysis::DesignOutcome* outcome) {
    const auto* x = figuresOf(outcome);
    if (!x) return nullptr;
    return exactFiguresJson(*x, outcome->lossAllowanceDb(), outcome->state().B3db);
}

json exactFiguresJson(const analysis::ExactFigures& figures, double allowanceDb,
                      std::optional<double> askedB3dbHz) {
    const auto* x = &figures;
    json bandwidths = json::object(), edges = json::object();
    for (std::size_t l = 0; l < analysis::kExactLevelsDb.size(); ++l) {
        const std::string level = std::to_string(analysis::kExactLevelsDb[l]);
        const auto& e = x->levels[l];
        bandwidths[level] = optionalNumber(e.bandwidthHz());
        edges[level] = json::array({optionalNumber(e.lowHz), optionalNumber(e.highHz)});
    }
    json dips = json::array();
    for (const analysis::PassbandDip& d : x->dips)
        dips.push_back({{"f_Hz", d.hz},
                        {"depth_dB", d.depthDb},
                        {"edges_Hz", json::array({d.edges.lowHz, d.edges.highHz})}});
    const auto check = askedB3dbHz ? analysis::bandwidthCheck(*x, *askedB3dbHz) : std::nullopt;
    return json{{"IL_dB", x->ilDb},
                {"allowance_dB", allowanceDb},
                {"ripple_dB", optionalNumber(x->rippleDb)},
                {"bandwidths_Hz", bandwidths},
                {"edges_Hz", edges},
                {"dips", dips},
                {"B3dB_asked_Hz", optionalNumber(askedB3dbHz)},
                {"B3dB_deviation_pct", check ? json(check->deviationPct()) : json(nullptr)},
                {"group_delay_peak_s", optionalNumber(x->groupDelayPeakS)},
                {"notes", analysis::figureNotes(*x, askedB3dbHz.value_or(0), '.')}};
}

void writeExactSection(std::ostream& out, const analysis::DesignOutcome* outcome, char separator) {
    const auto* x = figuresOf(outcome);
    if (!x) return;
    const auto number = [separator](double v, int decimals) {
        return numeric::formatFixed(v, 18, decimals, separator);
    };
    out << "\nExact figures (continuous response of the plain ladder, within 200 kHz of fm)\n";
    out << "  " << std::left << std::setw(26) << "Insertion loss" << number(x->ilDb, 3) << " db at "
        << number(x->ilHz * 0.001, 5) << " kHz (the labels add "
        << number(outcome->lossAllowanceDb(), 2) << " db)\n";
    out << "  " << std::setw(26) << "Pass-band ripple";
    if (x->rippleDb)
        out << number(*x->rippleDb, 3) << " db\n";
    else
        out << "----\n";
    for (std::size_t l = 0; l < analysis::kExactLevelsDb.size(); ++l) {
        const auto& e = x->levels[l];
        std::string caption = "BW (" + std::to_string(analysis::kExactLevelsDb[l]) + " db) [Hz]";
        out << "  " << std::setw(26) << caption;
        if (const auto bw = e.bandwidthHz())
            out << std::setw(12) << number(*bw, 2) << "  " << number(*e.lowHz, 2) << " ... "
                << number(*e.highHz, 2) << '\n';
        else
            out << "not reached\n";
    }
    out << "  " << std::setw(26) << "Group delay peak";
    if (x->groupDelayPeakS)
        out << number(*x->groupDelayPeakS * 1e3, 4) << " ms at "
            << number(*x->groupDelayPeakHz * 0.001, 5) << " kHz\n";
    else
        out << "----\n";
    for (const std::string& note : analysis::figureNotes(*x, outcome->state().B3db, separator))
        out << "  Note: " << note << '\n';
}

} // namespace korvan::cli
