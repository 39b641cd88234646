#include "analysis/figure_notes.h"

#include "numeric/number_text.h"

#include <cmath>

namespace korvan::analysis {

std::optional<BandwidthCheck> bandwidthCheck(const ExactFigures& x, double askedHz) {
    const auto obtained = x.levels[0].bandwidthHz();
    if (!obtained || !std::isfinite(askedHz) || askedHz <= 0) return std::nullopt;
    return BandwidthCheck{askedHz, *obtained};
}

std::vector<std::string> figureNotes(const ExactFigures& x, double askedHz, char sep) {
    const auto fixed = [sep](double v, int decimals) {
        return numeric::formatFixed(v, 18, decimals, sep);
    };
    std::vector<std::string> notes;
    if (const auto check = bandwidthCheck(x, askedHz); check && check->worthANote()) {
        const double pct = check->deviationPct();
        notes.push_back("The 3 dB bandwidth obtained is " + fixed(check->obtainedHz, 0) + " Hz, " +
                        fixed(std::fabs(pct), 1) + " % " + (pct < 0 ? "below" : "above") + " the " +
                        fixed(check->askedHz, 0) +
                        " Hz asked (B3db). The ladder designer compensates for it: the \"Ladder "
                        "designer\xE2\x80\xA6\" "
                        "window, or korvan-cli ladder --compensate bandwidth.");
    }
    for (const PassbandDip& d : x.dips)
        notes.push_back("Dip in the pass band: IL + " + fixed(d.depthDb, 2) + " dB at " +
                        fixed(d.hz * 0.001, 3) + " kHz, above IL + 3 dB from " +
                        fixed(d.edges.lowHz * 0.001, 3) + " to " +
                        fixed(d.edges.highHz * 0.001, 3) + " kHz: the pass band is split.");
    return notes;
}

} // namespace korvan::analysis
