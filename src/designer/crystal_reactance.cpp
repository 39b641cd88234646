#include "designer/crystal_reactance.h"

#include "analysis/mesh_resonance.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <span>

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
    return analysis::loopResonanceHz(std::span<const Crystal>(&c, 1), 1 / loopF)
        .value_or(std::numeric_limits<double>::quiet_NaN());
}

} // namespace korvan::designer
