#include "synthesis/crystal.h"

#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "synthesis/extended.h"

#include <cmath>

namespace korvan::synthesis {

long double Sinh(long double x) {
    return (std::exp(x) - std::exp(-x)) / 2;
}
long double Cosh(long double x) {
    return (std::exp(x) + std::exp(-x)) / 2;
}
long double ArcSinh(long double x) {
    return std::log(x + std::sqrt(x * x + 1));
}
// Needs x >= 1; below that the square root faults, which the caller reports.
long double ArcCosh(long double x) {
    return std::log(x + std::sqrt(x * x - 1));
}

namespace {

// Decimals of a motional value: more of them the smaller it is, so that the
// netlists carry enough significant digits.
int decimalsFor(double value, double small, double large) {
    if (value < small) return 6;
    if (value < large) return 5;
    return 3;
}

} // namespace

void calcXtalParms(StageContext& ctx) {
    auto& s = ctx.state;
    auto& f = ctx.form;
    const char sep = ctx.separator;
    const std::string entered = f.text("AEdit1");
    const long double fs = s.fs;

    if (f.at("RadioGroup1").itemIndex == 0) {
        f.setText("Label7", entered + " mH");
        s.Lm = fp::toDouble(numeric::toNumber(entered, sep) * 0.001L);
        s.Cm = fp::toDouble(1 / (4 * kPi * kPi * fs * fs * s.Lm));
        s.CmText = numeric::formatFixed(s.Cm * 1e15L, 12, decimalsFor(s.Cm, 1e-14, 1e-12), sep);
        s.LmText = entered;
        f.setText("Label8", s.CmText + "  fF");
    } else {
        f.setText("Label8", entered + "  fF");
        s.Cm = fp::toDouble(numeric::toNumber(entered, sep) * 1e-15L);
        s.Lm = fp::toDouble(1 / (4 * kPi * kPi * fs * fs * s.Cm));
        s.CmText = entered;
        s.LmText = numeric::formatFixed(s.Lm * 1000.0L, 12, decimalsFor(s.Lm, 0.01, 1), sep);
        f.setText("Label7", s.LmText + " mH");
    }

    s.fp = fp::toDouble(s.fs * std::sqrt(static_cast<long double>(s.Cm) / s.Cp + 1));
    // A holder capacitance entered as 0 leaves no parallel resonance to show.
    f.setText("Label10", s.Cp < 1e-29 ? std::string("----      ")
                                      : numeric::formatFixed(s.fp * 0.001L, 12, 3, sep) + " kHz");
    f.setText("Label9", numeric::formatFixed(s.fs * 0.001L, 12, 3, sep) + " kHz");
}

void calcBasicParms(DesignState& state) {
    const long double n = state.Poles;
    state.eps2 = fp::toDouble(std::exp(std::log(10.0L) * 0.1L * state.PBripple) - 1);
    state.epsInv = fp::toDouble(1 / std::sqrt(static_cast<long double>(state.eps2)));
    state.sinhTerm = fp::toDouble(Sinh(ArcSinh(state.epsInv) / n));
    state.coshTerm = fp::toDouble(Cosh(ArcCosh(state.epsInv) / n));
}

} // namespace korvan::synthesis
