#include "analysis/tolerance_figures.h"

#include "analysis/passband_figures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace korvan::analysis {

std::string_view figureKey(Figure figure) {
    constexpr std::array<std::string_view, kFigureCount> keys{
        "IL_dB", "ripple_dB", "bw3_Hz", "bw6_Hz", "bw20_Hz", "bw60_Hz", "centre_shift_Hz"};
    return keys[static_cast<std::size_t>(figure)];
}

namespace {

// Four frequencies side by side: GCC and Clang vector types, which run on
// whatever SIMD width the target offers (two SSE2 registers on plain x86-64).
using Lanes = double __attribute__((vector_size(4 * sizeof(double))));
constexpr std::size_t kLanes = 4;

// The chain matrix [a b; c d] from the source towards the load, for four
// frequencies at a time, each series arm and shunt capacitor in turn; the
// power ratio 1/|S21|^2 per frequency.
__attribute__((always_inline)) inline void
chainPowerBody(const std::vector<detail::ArmTerms>& arms,
               const std::vector<detail::CrystalTerms>& crystals, const double* omega,
               const double* invOmega, std::size_t n, double z1, double z2, double* power) {
    const double z12 = z1 * z2, four = 4 * z12;
    for (std::size_t k0 = 0; k0 < n; k0 += kLanes) {
        // Copied in, not returned from a helper: a vector return value would
        // depend on the target's calling convention.
        Lanes w, iw;
        std::memcpy(&w, &omega[k0], sizeof w);
        std::memcpy(&iw, &invOmega[k0], sizeof iw);
        const Lanes zero{}, one = zero + 1;
        Lanes ar = one, ai = zero, br = zero, bi = zero, cr = zero, ci = zero, dr = one, di = zero;
        for (const detail::ArmTerms& arm : arms) {
            Lanes zr, zi;
            if (arm.count == 1) {
                // One crystal: Z = (R + jX) / (1 - B X + j B R), B = omega Cp,
                // the motional arm and the holder in parallel with one division.
                const detail::CrystalTerms& x = crystals[arm.first];
                const Lanes xm = w * x.l - iw * x.invC;
                const Lanes b = w * x.cp;
                const Lanes u = one - b * xm, v = b * x.r;
                const Lanes inv = one / (u * u + v * v);
                zr = (x.r * u + xm * v) * inv;
                zi = (xm * u - x.r * v) * inv;
            } else {
                Lanes yr = zero, yi = zero;
                for (std::size_t j = arm.first; j < arm.first + arm.count; ++j) {
                    const detail::CrystalTerms& x = crystals[j];
                    const Lanes xm = w * x.l - iw * x.invC;
                    const Lanes inv = one / (x.r * x.r + xm * xm);
                    yr += x.r * inv;
                    yi += w * x.cp - xm * inv;
                }
                const Lanes inv = one / (yr * yr + yi * yi);
                zr = yr * inv;
                zi = -yi * inv;
            }
            zi -= iw * arm.invCs;
            // Series impedance: b += a z, d += c z.
            br += ar * zr - ai * zi;
            bi += ar * zi + ai * zr;
            dr += cr * zr - ci * zi;
            di += cr * zi + ci * zr;
            if (arm.ck != 0) {
                // Shunt admittance j omega Ck: a += b y, c += d y.
                const Lanes y = w * arm.ck;
                ar -= bi * y;
                ai += br * y;
                cr -= di * y;
                ci += dr * y;
            }
        }
        // |S21|^2 = 4 z1 z2 / |a z2 + b + c z1 z2 + d z1|^2.
        const Lanes re = ar * z2 + br + cr * z12 + dr * z1;
        const Lanes im = ai * z2 + bi + ci * z12 + di * z1;
        const Lanes p = (re * re + im * im) / four;
        std::memcpy(&power[k0], &p, sizeof p);
    }
}

#if defined(__x86_64__) || defined(__i386__)
// The same body built for AVX2 and for the baseline, chosen once at run
// time (not by an ifunc, which sanitizer runtimes cannot take). Both do the
// same correctly rounded operations, nothing contracted, so they give the
// same bits.
__attribute__((target("avx2"))) void
chainPowerAvx2(const std::vector<detail::ArmTerms>& arms,
               const std::vector<detail::CrystalTerms>& crystals, const double* omega,
               const double* invOmega, std::size_t n, double z1, double z2, double* power) {
    chainPowerBody(arms, crystals, omega, invOmega, n, z1, z2, power);
}

#endif

void chainPowerBaseline(const std::vector<detail::ArmTerms>& arms,
                        const std::vector<detail::CrystalTerms>& crystals, const double* omega,
                        const double* invOmega, std::size_t n, double z1, double z2,
                        double* power) {
    chainPowerBody(arms, crystals, omega, invOmega, n, z1, z2, power);
}

void chainPower(const std::vector<detail::ArmTerms>& arms,
                const std::vector<detail::CrystalTerms>& crystals, const double* omega,
                const double* invOmega, std::size_t n, double z1, double z2, double* power) {
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return chainPowerAvx2(arms, crystals, omega, invOmega, n, z1, z2, power);
#endif
    chainPowerBaseline(arms, crystals, omega, invOmega, n, z1, z2, power);
}

} // namespace

LossSweep::LossSweep(std::vector<double> frequencies, double allowanceDb)
    : f_(std::move(frequencies)), allowanceDb_(allowanceDb) {
    const std::size_t n = f_.size();
    const std::size_t padded = (n + kLanes - 1) / kLanes * kLanes;
    omega_.assign(padded, 0.0);
    invOmega_.assign(padded, 0.0);
    power_.assign(padded, 0.0);
    for (std::size_t k = 0; k < padded; ++k) {
        // The padding repeats the last frequency; its results are not used.
        omega_[k] = 2 * std::numbers::pi * (n > 0 ? f_[std::min(k, n - 1)] : 1.0);
        invOmega_[k] = 1 / omega_[k];
    }
}

bool LossSweep::run(const LadderModel& model, std::span<double> lossDb) {
    arms_.clear();
    crystals_.clear();
    const std::size_t armCount = model.arms.size();
    for (std::size_t i = 0; i < armCount; ++i) {
        const SeriesArm& arm = model.arms[i];
        detail::ArmTerms t;
        t.first = crystals_.size();
        t.count = arm.crystals.size();
        t.invCs = arm.csF != 0 ? 1 / arm.csF : 0;
        t.ck = i + 1 < armCount && i < model.couplingF.size() ? model.couplingF[i] : 0;
        for (const Crystal& x : arm.crystals)
            crystals_.push_back({x.rmOhm, x.lmH, 1 / x.cmF, x.cpF});
        arms_.push_back(t);
    }
    chainPower(arms_, crystals_, omega_.data(), invOmega_.data(), omega_.size(), model.sourceOhm,
               model.loadOhm, power_.data());

    bool finite = true;
    for (std::size_t k = 0; k < f_.size(); ++k) {
        const double loss = 10 * std::log10(power_[k]) + allowanceDb_;
        lossDb[k] = loss;
        finite = finite && std::isfinite(loss);
    }
    return finite;
}

std::optional<ResponseFigures> responseFigures(std::span<const double> loss,
                                               std::span<const double> f, double nominalCentreHz) {
    const LossCurve curve{f, loss};
    const auto band = readPassband(curve);
    if (!band || !band->band3) return std::nullopt;

    ResponseFigures r;
    r.value[kIL] = band->ilDb;
    r.value[kRipple] = band->rippleDb;
    r.centreHz = band->band3->centreHz();
    r.value[kCentreShift] = r.centreHz - nominalCentreHz;
    r.value[kBw3] = band->band3->widthHz();
    const std::pair<Figure, double> levels[] = {{kBw6, 6}, {kBw20, 20}, {kBw60, 60}};
    for (const auto& [figure, db] : levels)
        if (const auto e = outerCrossings(curve, band->ilDb + db)) r.value[figure] = e->widthHz();
    return r;
}

} // namespace korvan::analysis
