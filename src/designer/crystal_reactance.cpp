#include "designer/crystal_reactance.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace korvan::designer {

namespace {
constexpr double kTwoPi = 2 * std::numbers::pi;
}

double seriesResonanceHz(const Crystal& c) {
    return 1 / (kTwoPi * std::sqrt(c.lmH * c.cmF));
}

double parallelResonanceHz(const Crystal& c) {
    if (!(c.cpF > 0)) return std::numeric_limits<double>::infinity();
    return seriesResonanceHz(c) * std::sqrt(1 + c.cmF / c.cpF);
}

Reactance crystalReactance(const Crystal& c, double fHz) {
    const double w = kTwoPi * fHz;
    // X = Xm / (1 - w Cp Xm) with Xm = w Lm - 1/(w Cm).
    const double xm = w * c.lmH - 1 / (w * c.cmF);
    const double dxm = c.lmH + 1 / (w * w * c.cmF);
    const double den = 1 - w * c.cpF * xm;
    return {xm / den, (dxm + c.cpF * xm * xm) / (den * den)};
}

double seriesResistanceOhm(const Crystal& c, double fHz) {
    // Z = (R + jXm) / (1 - B Xm + j B R) with B = w Cp: its real part.
    const double w = kTwoPi * fHz;
    const double xm = w * c.lmH - 1 / (w * c.cmF);
    const double b = w * c.cpF;
    const double re = 1 - b * xm, im = b * c.rmOhm;
    return c.rmOhm / (re * re + im * im);
}

double slopeInductanceH(const Crystal& c, double fHz) {
    return 0.5 * crystalReactance(c, fHz).dxdw;
}

double loopCapacitanceF(const Crystal& c, double fHz) {
    const double x = crystalReactance(c, fHz).x;
    if (!(x > 0) || !std::isfinite(x)) return 0;
    return 1 / (kTwoPi * fHz * x);
}

double loopResonanceHz(const Crystal& c, double loopF) {
    // g(f) = X(f) - 1/(w C) rises monotonically from fs to fp; Newton from
    // above would overshoot into the pole, so bisect until the bracket is
    // narrow and finish with safeguarded Newton steps.
    const double fs = seriesResonanceHz(c);
    double lo = fs;
    double hi = parallelResonanceHz(c);
    if (!std::isfinite(hi)) hi = fs * (1 + c.cmF / (2 * loopF)) * 2;
    double f = 0.5 * (lo + hi);
    for (int i = 0; i < 200; ++i) {
        const Reactance r = crystalReactance(c, f);
        const double w = kTwoPi * f;
        const double value = r.x - 1 / (w * loopF);
        if (value > 0 || !std::isfinite(value))
            hi = f;
        else
            lo = f;
        // d/df of g: 2 pi (dX/dw + 1/(w^2 C)).
        const double slope = kTwoPi * (r.dxdw + 1 / (w * w * loopF));
        double next = f - value / slope;
        if (!(next > lo && next < hi) || !std::isfinite(value)) next = 0.5 * (lo + hi);
        if (std::fabs(next - f) <= 1e-13 * f || hi - lo <= 1e-13 * f) return next;
        f = next;
    }
    return f;
}

} // namespace korvan::designer
