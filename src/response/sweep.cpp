#include "response/sweep.h"

#include "numeric/errors.h"
#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "response/complex_ops.h"
#include "response/figures.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace korvan::response {

namespace {

constexpr Ext kTwoPi = 6.283185307179586476925286766559005768L;
constexpr int kChainSlots = 35;
// Unloaded Q below which every loss sample carries 0.05 dB more.
constexpr double kLowQu = 300000;
constexpr double kLosslessQu = 1e20;
constexpr double kRhoLimit = 0.999999;

const Ext kLn10 = std::log(10.0L);

} // namespace

SweepGrid sweepGrid(const DesignState& state) {
    SweepGrid g;
    g.fStart = static_cast<double>(state.fm - 1000.0L * state.Span * 0.5L);
    g.fStep = static_cast<double>(1000.0L * state.Span / 500);
    return g;
}

long double crystalLoss(const StageContext& ctx) {
    return numeric::toNumber(ctx.form.text("AEdit8"), ctx.separator);
}

void calcCLadder(DesignState& s, Ext rm) {
    // A rejected input can leave any pole count in the state, and a repaint
    // still sweeps it: keep the ladder within the fixed-size arrays.
    const int n = std::clamp(s.Poles, 1, kMaxPoles);
    s.omega = static_cast<double>(kTwoPi * s.fEval);
    const Ext omega = s.omega;

    // Counted from the load end: arm m is crystal n+1-m.
    // Fixed-size and left uninitialised: every slot read below is written
    // first, and clearing them would cost more than the arithmetic of a pole.
    std::array<double, kMaxPoles + 1> bk;
    std::array<double, kMaxPoles + 1> xs;
    for (int m = 1; m <= n - 1; ++m) bk[m] = static_cast<double>(omega * s.Ck[n - m]);
    for (int m = 1; m <= n; ++m) {
        const float cs = s.Cs[n + 1 - m];
        xs[m] = cs != 0 ? static_cast<double>(-1.0L / (omega * cs)) : 0.0;
    }

    xtalZ(s, rm);

    std::array<double, kChainSlots + 1> chainRe;
    std::array<double, kChainSlots + 1> chainIm;
    chainRe[1] = s.Zterm; // the load
    chainIm[1] = 0;
    Ext re, im, r, i;
    for (int m = 1; m <= n - 1; ++m) {
        const bool half = m == 1 && s.IsQER;
        addK(chainRe[2 * m - 1], chainIm[2 * m - 1], half ? s.ZxHalfRe : s.ZxRe,
             half ? s.ZxHalfIm : s.ZxIm, re, im);
        addK(re, im, 0, xs[m], re, im);
        invtK(re, im, r, i);
        chainRe[2 * m] = static_cast<double>(r);
        chainIm[2 * m] = static_cast<double>(i);
        addK(chainRe[2 * m], chainIm[2 * m], 0, bk[m], re, im);
        invtK(re, im, r, i);
        chainRe[2 * m + 1] = static_cast<double>(r);
        chainIm[2 * m + 1] = static_cast<double>(i);
    }

    // The arm next to the source gives the input impedance of the loaded filter.
    Ext zinRe, zinIm;
    addK(chainRe[2 * n - 1], chainIm[2 * n - 1], s.IsQER ? s.ZxHalfRe : s.ZxRe,
         s.IsQER ? s.ZxHalfIm : s.ZxIm, zinRe, zinIm);
    addK(zinRe, zinIm, 0, xs[n], zinRe, zinIm);
    const double loopRe = static_cast<double>(zinRe + s.Zterm);
    invtK(loopRe, zinIm, r, i);
    chainRe[2 * n] = static_cast<double>(r);
    chainIm[2 * n] = static_cast<double>(i);

    const Ext zt = s.Zterm;
    const double rho = static_cast<double>(std::sqrt((zinRe - zt) * (zinRe - zt) + zinIm * zinIm) /
                                           std::sqrt((zinRe + zt) * (zinRe + zt) + zinIm * zinIm));
    s.S11dB = static_cast<double>(20 * std::log(static_cast<Ext>(rho)) / kLn10);
    // The clamp keeps a total mismatch finite (VSWR 1999999).
    const double rhoClamped = rho > kRhoLimit ? kRhoLimit : rho;
    s.VSWR =
        static_cast<float>((1 + static_cast<Ext>(rhoClamped)) / (1 - static_cast<Ext>(rhoClamped)));

    // V(load)/E: load resistance times every arm admittance and node impedance.
    double tRe = chainRe[1], tIm = chainIm[1];
    for (int j = 2; j <= 2 * n; ++j) {
        multK(tRe, tIm, chainRe[j], chainIm[j], r, i);
        tRe = static_cast<double>(r);
        tIm = static_cast<double>(i);
    }
    // The magnitude of transR_P; its angle is not needed and costs an arctangent.
    const Ext magnitude = magnitudeK(tRe, tIm);
    s.S21dB = static_cast<double>(20 * std::log(2 * magnitude) / kLn10);
}

void generateResponseArrays(StageContext& ctx) {
    DesignState& s = ctx.state;
    fp::check(); // a fault left by an earlier stage is not the sweep's to hide
    const SweepGrid grid = sweepGrid(s);

    if (ctx.form.text("AEdit8").empty()) ctx.form.setText("AEdit8", "0");
    const Ext rm = crystalLoss(ctx);

    if (rm > 0) {
        s.Qu = fp::toDouble(kTwoPi * s.fs * s.Lm / rm);
        ctx.form.setText("Label90", numeric::formatFixed(s.Qu, 10, 0, ctx.separator));
    } else {
        s.Qu = kLosslessQu;
        ctx.form.setText("Label90", "infinite");
    }
    const Ext extraLoss = s.Qu < kLowQu ? 0.05L : 0.0L;

    // Computed aside and kept only when the whole sweep is free of faults, so
    // that the plot never draws a half-updated or non-finite curve.
    std::array<float, kSweepSamples> s21;
    std::array<float, kSweepSamples> s11;
    std::array<float, kSweepSamples> vswr;
    s.fEval = grid.fStart;
    for (int k = 0; k < kSweepSamples; ++k) {
        calcCLadder(s, rm);
        s21[k] = static_cast<float>(std::fabs(static_cast<Ext>(s.S21dB)) + extraLoss);
        s11[k] = static_cast<float>(std::fabs(s.S11dB));
        vswr[k] = s.VSWR;
        s.fEval = s.fEval + grid.fStep;
    }
    fp::check();
    for (int k = 0; k < kSweepSamples; ++k)
        if (!std::isfinite(s21[k]) || !std::isfinite(s11[k]) || !std::isfinite(vswr[k]))
            throw FloatingPointError(fp::kInvalidOperation);
    s.RespS21 = s21;
    s.RespS11 = s11;
    s.RespVSWR = vswr;

    insertionLoss(ctx);
}

} // namespace korvan::response
