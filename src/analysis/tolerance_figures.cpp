#include "analysis/tolerance_figures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvan::analysis {

std::string_view figureKey(Figure figure) {
    constexpr std::array<std::string_view, kFigureCount> keys{
        "IL_dB", "ripple_dB", "bw3_Hz", "bw6_Hz", "bw20_Hz", "bw60_Hz", "centre_shift_Hz"};
    return keys[static_cast<std::size_t>(figure)];
}

LossSweep::LossSweep(std::vector<double> frequencies, double allowanceDb)
    : f_(std::move(frequencies)), allowanceDb_(allowanceDb) {
    const std::size_t n = f_.size();
    for (auto* v :
         {&omega_, &invOmega_, &ar_, &ai_, &br_, &bi_, &cr_, &ci_, &dr_, &di_, &yr_, &yi_})
        v->assign(n, 0.0);
    for (std::size_t k = 0; k < n; ++k) {
        omega_[k] = 2 * std::numbers::pi * f_[k];
        invOmega_[k] = 1 / omega_[k];
    }
}

// The chain matrix [a b; c d] from the source towards the load, one arm at a
// time for all frequencies together: each loop is over independent
// frequencies, which the compiler can run side by side.
bool LossSweep::run(const LadderModel& model, std::span<double> lossDb) {
    const std::size_t n = f_.size();
    double* ar = ar_.data();
    double* ai = ai_.data();
    double* br = br_.data();
    double* bi = bi_.data();
    double* cr = cr_.data();
    double* ci = ci_.data();
    double* dr = dr_.data();
    double* di = di_.data();
    double* yr = yr_.data();
    double* yi = yi_.data();
    const double* w = omega_.data();
    const double* iw = invOmega_.data();
    std::fill(ar, ar + n, 1.0);
    std::fill(ai, ai + n, 0.0);
    std::fill(br, br + n, 0.0);
    std::fill(bi, bi + n, 0.0);
    std::fill(cr, cr + n, 0.0);
    std::fill(ci, ci + n, 0.0);
    std::fill(dr, dr + n, 1.0);
    std::fill(di, di + n, 0.0);

    const std::size_t arms = model.arms.size();
    for (std::size_t i = 0; i < arms; ++i) {
        const SeriesArm& arm = model.arms[i];
        std::fill(yr, yr + n, 0.0);
        std::fill(yi, yi + n, 0.0);
        for (const Crystal& x : arm.crystals) {
            // Motional arm Rm + jX, X = omega Lm - 1/(omega Cm), in parallel with Cp.
            const double r = x.rmOhm, l = x.lmH, invC = 1 / x.cmF, cp = x.cpF;
            for (std::size_t k = 0; k < n; ++k) {
                const double xm = w[k] * l - iw[k] * invC;
                const double inv = 1 / (r * r + xm * xm);
                yr[k] += r * inv;
                yi[k] += w[k] * cp - xm * inv;
            }
        }
        const double invCs = arm.csF != 0 ? 1 / arm.csF : 0;
        for (std::size_t k = 0; k < n; ++k) {
            const double inv = 1 / (yr[k] * yr[k] + yi[k] * yi[k]);
            const double zr = yr[k] * inv;
            const double zi = -yi[k] * inv - iw[k] * invCs;
            // Series impedance: b += a z, d += c z.
            br[k] += ar[k] * zr - ai[k] * zi;
            bi[k] += ar[k] * zi + ai[k] * zr;
            dr[k] += cr[k] * zr - ci[k] * zi;
            di[k] += cr[k] * zi + ci[k] * zr;
        }
        if (i + 1 < arms && i < model.couplingF.size()) {
            const double ck = model.couplingF[i];
            // Shunt admittance j omega Ck: a += b y, c += d y.
            for (std::size_t k = 0; k < n; ++k) {
                const double y = w[k] * ck;
                ar[k] -= bi[k] * y;
                ai[k] += br[k] * y;
                cr[k] -= di[k] * y;
                ci[k] += dr[k] * y;
            }
        }
    }

    // |S21| = 2 sqrt(z1 z2) / |a z2 + b + c z1 z2 + d z1|.
    const double z1 = model.sourceOhm, z2 = model.loadOhm, z12 = z1 * z2, four = 4 * z12;
    bool finite = true;
    for (std::size_t k = 0; k < n; ++k) {
        const double re = ar[k] * z2 + br[k] + cr[k] * z12 + dr[k] * z1;
        const double im = ai[k] * z2 + bi[k] + ci[k] * z12 + di[k] * z1;
        const double loss = 10 * std::log10((re * re + im * im) / four) + allowanceDb_;
        lossDb[k] = loss;
        finite = finite && std::isfinite(loss);
    }
    return finite;
}

namespace {

// Lowest and highest frequency where the loss crosses `level`, interpolated
// between the samples around each crossing; nullopt when either skirt does
// not rise above the level inside the span.
std::optional<std::pair<double, double>> crossings(std::span<const double> loss,
                                                   std::span<const double> f, double level) {
    const std::size_t n = loss.size();
    std::size_t lo = 0;
    while (lo < n && loss[lo] > level) ++lo;
    if (lo == 0 || lo == n) return std::nullopt;
    std::size_t hi = n - 1;
    while (loss[hi] > level) --hi;
    if (hi == n - 1) return std::nullopt;
    const auto at = [&](std::size_t above, std::size_t below) {
        return f[above] +
               (f[below] - f[above]) * (loss[above] - level) / (loss[above] - loss[below]);
    };
    return std::pair{at(lo - 1, lo), at(hi + 1, hi)};
}

} // namespace

std::optional<ResponseFigures> responseFigures(std::span<const double> loss,
                                               std::span<const double> f, double nominalCentreHz) {
    if (loss.size() < 3 || loss.size() != f.size()) return std::nullopt;
    for (double v : loss)
        if (!std::isfinite(v)) return std::nullopt;
    const double il = *std::min_element(loss.begin(), loss.end());
    const auto band3 = crossings(loss, f, il + 3);
    if (!band3) return std::nullopt;

    ResponseFigures r;
    r.value[kIL] = il;
    r.centreHz = (band3->first + band3->second) / 2;
    r.value[kCentreShift] = r.centreHz - nominalCentreHz;
    r.value[kBw3] = band3->second - band3->first;
    const std::pair<Figure, double> levels[] = {{kBw6, 6}, {kBw20, 20}, {kBw60, 60}};
    for (const auto& [figure, db] : levels)
        if (const auto c = crossings(loss, f, il + db)) r.value[figure] = c->second - c->first;

    // The samples inside the 3 dB band: first and last at or below IL + 3 dB.
    std::size_t lo = 0, hi = loss.size() - 1;
    while (loss[lo] > il + 3) ++lo;
    while (loss[hi] > il + 3) --hi;
    // A local minimum is lower than the sample after it and not higher than
    // the one before (a flat bottom counts once, at its right end).
    std::optional<std::size_t> first, last;
    for (std::size_t k = std::max<std::size_t>(lo, 1); k <= hi && k + 1 < loss.size(); ++k)
        if (loss[k] <= loss[k - 1] && loss[k] < loss[k + 1]) {
            if (!first) first = k;
            last = k;
        }
    double peak = il;
    if (first)
        peak = *std::max_element(loss.begin() + static_cast<std::ptrdiff_t>(*first),
                                 loss.begin() + static_cast<std::ptrdiff_t>(*last) + 1);
    r.value[kRipple] = peak - il;
    return r;
}

} // namespace korvan::analysis
