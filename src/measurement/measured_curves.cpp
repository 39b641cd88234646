#include "measurement/measured_curves.h"

#include "analysis/ladder_chain.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace korvan::measurement {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// About this many apertures across the sweep: enough to keep the edge
// peaks of the delay, few enough that 0.5 degrees of phase noise does not
// swamp it.
constexpr std::size_t kDelayApertures = 100;

double db(std::complex<double> s) {
    const double a = std::abs(s);
    return a > 0 && std::isfinite(a) ? 20 * std::log10(a) : kNaN;
}

} // namespace

std::vector<double> apertureGroupDelay(const std::vector<double>& f,
                                       const std::vector<std::complex<double>>& s21,
                                       const std::vector<double>& floorShare, std::size_t halfWidth,
                                       double maxFloorShare) {
    const std::size_t n = std::min(f.size(), s21.size());
    std::vector<double> out(n, kNaN);
    halfWidth = std::max<std::size_t>(halfWidth, 1);
    const auto quiet = [&](std::size_t i) {
        return i >= floorShare.size() || floorShare[i] <= maxFloorShare;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t lo = i >= halfWidth ? i - halfWidth : 0;
        const std::size_t hi = std::min(i + halfWidth, n - 1);
        if (hi <= lo || !quiet(lo) || !quiet(hi) || !quiet(i)) continue;
        // Each step's phase turn unwrapped on its own: a step never turns
        // by half a period on a sweep that resolves the filter.
        double turn = 0;
        for (std::size_t k = lo; k < hi; ++k) turn += std::arg(s21[k + 1] * std::conj(s21[k]));
        const double dOmega = 2 * std::numbers::pi * (f[hi] - f[lo]);
        if (dOmega > 0 && std::isfinite(turn)) out[i] = -turn / dOmega;
    }
    return out;
}

MeasuredCurves measuredCurves(const FilterMeasurement& m, double designSourceOhm,
                              double designLoadOhm) {
    MeasuredCurves c;
    c.frequencyHz = m.frequencyHz;
    const std::size_t n = m.frequencyHz.size();
    std::vector<std::complex<double>> s21 = m.s21, s11 = m.s11;
    c.sourceOhm = m.sourceOhm;
    c.loadOhm = m.loadOhm;
    if (!m.chain.empty() && designSourceOhm > 0 && designLoadOhm > 0) {
        const auto s = renormalised(m, designSourceOhm, designLoadOhm);
        for (std::size_t i = 0; i < n && i < s.size(); ++i) {
            s11[i] = s[i][0];
            s21[i] = s[i][1];
        }
        c.sourceOhm = designSourceOhm;
        c.loadOhm = designLoadOhm;
        c.atDesignTerminations = true;
    }
    c.s21Db.resize(n);
    c.s11Db.resize(n, kNaN);
    for (std::size_t i = 0; i < n; ++i) {
        c.s21Db[i] = db(s21[i]);
        if (m.s11Measured) c.s11Db[i] = db(s11[i]);
    }
    const std::size_t half = std::max<std::size_t>(1, n / (2 * kDelayApertures));
    c.delayS = apertureGroupDelay(m.frequencyHz, s21, m.s21FloorShare, half);
    if (n > 1)
        c.delayApertureHz = 2.0 * static_cast<double>(half) *
                            (m.frequencyHz.back() - m.frequencyHz.front()) /
                            static_cast<double>(n - 1);
    return c;
}

std::vector<double> fittedS21Db(const LadderDiagnosis& d, const MeasuredCurves& curves) {
    std::vector<double> f, out(curves.frequencyHz.size(), kNaN);
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < curves.frequencyHz.size(); ++i)
        if (curves.frequencyHz[i] > 0) {
            f.push_back(curves.frequencyHz[i]);
            at.push_back(i);
        }
    if (f.empty()) return out;
    std::vector<std::complex<double>> s21(f.size()), s11(f.size());
    // The fit's own terminations where the curves are the fixture's view;
    // the design's where the full two-port was renormalised to them.
    const double z1 = curves.atDesignTerminations ? curves.sourceOhm : d.sourceOhm.value;
    const double z2 = curves.atDesignTerminations ? curves.loadOhm : d.loadOhm.value;
    analysis::chainTransmission(d.builtChain, analysis::ChainGrid(f), z1, z2, s21, s11);
    for (std::size_t k = 0; k < f.size(); ++k) out[at[k]] = db(s21[k]);
    return out;
}

} // namespace korvan::measurement
