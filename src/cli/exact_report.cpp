#include "cli/exact_report.h"

#include "analysis/exact_figures.h"
#include "app/design_response.h"
#include "numeric/number_text.h"

#include <iomanip>
#include <string>

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;

// What the described loss labels add for a crystal of finite Q.
double displayAllowanceDb(const DesignState& s) {
    return s.Qu < 300000 ? 0.05 : 0.0;
}

std::optional<analysis::ExactFigures> figuresOf(const MainForm& form) {
    const auto ladder = designLadder(form);
    if (!ladder) return std::nullopt;
    return analysis::exactFigures(ladder->model, form.state().fm);
}

json optionalNumber(const std::optional<double>& v) {
    return v ? json(*v) : json(nullptr);
}

} // namespace

json exactJson(const MainForm& form) {
    const auto x = figuresOf(form);
    if (!x) return nullptr;
    return exactFiguresJson(*x, displayAllowanceDb(form.state()));
}

json exactFiguresJson(const analysis::ExactFigures& figures, double allowanceDb) {
    const auto* x = &figures;
    json bandwidths = json::object(), edges = json::object();
    for (std::size_t l = 0; l < analysis::kExactLevelsDb.size(); ++l) {
        const std::string level = std::to_string(analysis::kExactLevelsDb[l]);
        const auto& e = x->levels[l];
        bandwidths[level] = optionalNumber(e.bandwidthHz());
        edges[level] = json::array({optionalNumber(e.lowHz), optionalNumber(e.highHz)});
    }
    return json{
        {"IL_dB", x->ilDb},         {"allowance_dB", allowanceDb},
        {"ripple_dB", x->rippleDb}, {"bandwidths_Hz", bandwidths},
        {"edges_Hz", edges},        {"group_delay_peak_s", optionalNumber(x->groupDelayPeakS)}};
}

void writeExactSection(std::ostream& out, const MainForm& form) {
    const auto x = figuresOf(form);
    if (!x) return;
    const char sep = form.separator();
    const auto number = [sep](double v, int decimals) {
        return numeric::formatFixed(v, 18, decimals, sep);
    };
    out << "\nExact figures (continuous response of the plain ladder, within 200 kHz of fm)\n";
    out << "  " << std::left << std::setw(26) << "Insertion loss" << number(x->ilDb, 3) << " db at "
        << number(x->ilHz * 0.001, 5) << " kHz (the labels add "
        << number(displayAllowanceDb(form.state()), 2) << " db)\n";
    out << "  " << std::setw(26) << "Pass-band ripple" << number(x->rippleDb, 3) << " db\n";
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
}

} // namespace korvan::cli
