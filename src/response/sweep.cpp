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
// Samples analysed side by side in the sweep.
constexpr int kLanes = 4;
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

std::vector<double> sweepFrequencies(const DesignState& state) {
    const SweepGrid grid = sweepGrid(state);
    std::vector<double> f;
    f.reserve(kSweepSamples);
    double fEval = grid.fStart;
    for (int k = 0; k < kSweepSamples; ++k) {
        f.push_back(fEval);
        fEval = fEval + grid.fStep;
    }
    return f;
}

long double lossAllowanceDb(double qu) {
    return qu < kLowQu ? 0.05L : 0.0L;
}

long double crystalLoss(const StageContext& ctx) {
    return numeric::toNumber(ctx.form.text("AEdit8"), ctx.separator);
}

namespace {

// The working values of one analysis.
struct Analysis {
    double omega;
    double zxRe, zxIm, zxHalfRe, zxHalfIm;
    double s11dB;
    float vswr;
    double s21dB;
};

// The ladder analysed at W frequencies side by side. Every lane performs
// exactly the operations of a single analysis, in the same order and with
// the same roundings; the lanes only let the processor overlap the long
// dependency chains of the reduction (extended division is pipelined, but
// one chain keeps it waiting).
//
// The ladder is reduced from the load towards the source; m counts arms from
// the load end (m = 1 is arm n). Each chain slot, alternately the admittance
// of an arm with everything on its load side and the impedance at the node
// before it, is rounded to double, and the running product of the slots
// (V(load)/E) is formed as each slot appears.
template <int W> void analyse(const DesignState& s, Ext rm, const double* fEval, Analysis* out) {
    // A rejected input can leave any pole count in the state, and a repaint
    // still sweeps it: keep the ladder within the element arrays.
    const int n = std::clamp(s.Poles, 1, kMaxPoles);
    const double zterm = s.Zterm;

    Ext omega[W];
    double zxRe[W], zxIm[W], zhRe[W], zhIm[W];
    double chainRe[W], chainIm[W]; // the latest chain slot
    double tRe[W], tIm[W];         // the running product
    for (int l = 0; l < W; ++l) {
        out[l].omega = static_cast<double>(kTwoPi * fEval[l]);
        omega[l] = out[l].omega;
        Ext zRe, zIm;
        crystalZ(s, omega[l], rm, zRe, zIm);
        zxRe[l] = static_cast<double>(zRe);
        zxIm[l] = static_cast<double>(zIm);
        zhRe[l] = static_cast<double>(0.5L * zRe);
        zhIm[l] = static_cast<double>(0.5L * zIm);
        chainRe[l] = zterm; // the load
        chainIm[l] = 0;
        tRe[l] = zterm;
        tIm[l] = 0;
    }

    // Reactance of the tuning capacitor of arm m (from the load), 0 for none.
    const auto xs = [&](int m, Ext w) {
        const float cs = s.Cs[n + 1 - m];
        return cs != 0 ? static_cast<double>(-1.0L / (w * cs)) : 0.0;
    };
    const auto times = [](double& pRe, double& pIm, double bRe, double bIm) {
        Ext r, i;
        multK(pRe, pIm, bRe, bIm, r, i);
        pRe = static_cast<double>(r);
        pIm = static_cast<double>(i);
    };

    for (int m = 1; m <= n - 1; ++m) {
        const bool half = m == 1 && s.IsQER;
        const float ck = s.Ck[n - m];
        for (int l = 0; l < W; ++l) {
            const double bk = static_cast<double>(omega[l] * ck);
            Ext re, im, r, i;
            addK(chainRe[l], chainIm[l], half ? zhRe[l] : zxRe[l], half ? zhIm[l] : zxIm[l], re,
                 im);
            addK(re, im, 0, xs(m, omega[l]), re, im);
            invtK(re, im, r, i);
            const double armRe = static_cast<double>(r), armIm = static_cast<double>(i);
            times(tRe[l], tIm[l], armRe, armIm);
            addK(armRe, armIm, 0, bk, re, im);
            invtK(re, im, r, i);
            chainRe[l] = static_cast<double>(r);
            chainIm[l] = static_cast<double>(i);
            times(tRe[l], tIm[l], chainRe[l], chainIm[l]);
        }
    }

    for (int l = 0; l < W; ++l) {
        // The arm next to the source gives the input impedance of the loaded
        // filter; the source resistance closes the loop.
        Ext zinRe, zinIm, r, i;
        addK(chainRe[l], chainIm[l], s.IsQER ? zhRe[l] : zxRe[l], s.IsQER ? zhIm[l] : zxIm[l],
             zinRe, zinIm);
        addK(zinRe, zinIm, 0, xs(n, omega[l]), zinRe, zinIm);
        const double loopRe = static_cast<double>(zinRe + zterm);
        invtK(loopRe, zinIm, r, i);
        times(tRe[l], tIm[l], static_cast<double>(r), static_cast<double>(i));

        const Ext zt = zterm;
        const double rho =
            static_cast<double>(std::sqrt((zinRe - zt) * (zinRe - zt) + zinIm * zinIm) /
                                std::sqrt((zinRe + zt) * (zinRe + zt) + zinIm * zinIm));
        out[l].s11dB = static_cast<double>(20 * std::log(static_cast<Ext>(rho)) / kLn10);
        // The clamp keeps a total mismatch finite (VSWR 1999999).
        const Ext rhoClamped = rho > kRhoLimit ? kRhoLimit : rho;
        out[l].vswr = static_cast<float>((1 + rhoClamped) / (1 - rhoClamped));
        // The magnitude of transR_P; its angle is not needed and costs an arctangent.
        out[l].s21dB = static_cast<double>(20 * std::log(2 * magnitudeK(tRe[l], tIm[l])) / kLn10);
        out[l].zxRe = zxRe[l];
        out[l].zxIm = zxIm[l];
        out[l].zxHalfRe = zhRe[l];
        out[l].zxHalfIm = zhIm[l];
    }
}

void store(DesignState& s, const Analysis& a) {
    s.omega = a.omega;
    s.ZxRe = a.zxRe;
    s.ZxIm = a.zxIm;
    s.ZxHalfRe = a.zxHalfRe;
    s.ZxHalfIm = a.zxHalfIm;
    s.S11dB = a.s11dB;
    s.VSWR = a.vswr;
    s.S21dB = a.s21dB;
}

} // namespace

void calcCLadder(DesignState& s, Ext rm) {
    Analysis a;
    analyse<1>(s, rm, &s.fEval, &a);
    store(s, a);
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
    const Ext extraLoss = lossAllowanceDb(s.Qu);

    // Computed aside and kept only when the whole sweep is free of faults, so
    // that the plot never draws a half-updated or non-finite curve.
    std::array<float, kSweepSamples> s21;
    std::array<float, kSweepSamples> s11;
    std::array<float, kSweepSamples> vswr;
    const auto keep = [&](int k, const Analysis& a) {
        s21[k] = static_cast<float>(std::fabs(static_cast<Ext>(a.s21dB)) + extraLoss);
        s11[k] = static_cast<float>(std::fabs(a.s11dB));
        vswr[k] = a.vswr;
    };
    // The frequency is accumulated sample by sample, as a single loop would.
    const std::vector<double> f = sweepFrequencies(s);
    Analysis a[kLanes];
    const Analysis* last = nullptr;
    int k = 0;
    for (; k + kLanes <= kSweepSamples; k += kLanes) {
        analyse<kLanes>(s, rm, &f[static_cast<std::size_t>(k)], a);
        for (int l = 0; l < kLanes; ++l) keep(k + l, a[l]);
        last = &a[kLanes - 1];
    }
    for (; k < kSweepSamples; ++k) {
        analyse<1>(s, rm, &f[static_cast<std::size_t>(k)], &a[0]);
        keep(k, a[0]);
        last = &a[0];
    }
    // The working values are those of the last sample; the frequency has
    // taken one more step.
    store(s, *last);
    s.fEval = f.back() + grid.fStep;
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
