#include "analysis/ladder_analysis.h"

#include <cmath>
#include <numbers>

namespace korvan::analysis {

namespace {

constexpr Complex kJ{0, 1};

// A value and its derivative with respect to omega.
struct Dual {
    Complex v, d;
};

Dual operator+(Dual a, Dual b) {
    return {a.v + b.v, a.d + b.d};
}
Dual operator*(Dual a, Dual b) {
    return {a.v * b.v, a.d * b.v + a.v * b.d};
}
Dual reciprocal(Dual a) {
    // conj/norm instead of the library's complex division, which guards
    // against overflow at several times the cost; the ladder's impedances
    // stay far inside double range.
    const double n = std::norm(a.v);
    const Complex r{a.v.real() / n, -a.v.imag() / n};
    return {r, -a.d * r * r};
}

// Admittance of one crystal at omega.
Dual crystalAdmittance(const Crystal& x, double omega) {
    // Motional arm Rm + j(omega Lm - 1/(omega Cm)).
    const Dual motional{Complex(x.rmOhm, omega * x.lmH - 1.0 / (omega * x.cmF)),
                        kJ * (x.lmH + 1.0 / (omega * omega * x.cmF))};
    const Dual holder{kJ * omega * x.cpF, kJ * x.cpF};
    return reciprocal(motional) + holder;
}

Dual armImpedance(const SeriesArm& arm, double omega) {
    Dual y{0, 0};
    for (const Crystal& x : arm.crystals) y = y + crystalAdmittance(x, omega);
    Dual z = reciprocal(y);
    if (arm.csF != 0) z = z + Dual{-kJ / (omega * arm.csF), kJ / (omega * omega * arm.csF)};
    return z;
}

} // namespace

PortReference terminations(const LadderModel& model) {
    return {model.sourceOhm, model.loadOhm};
}

SParameters analyseLadder(const LadderModel& model, double fHz, const PortReference& ref) {
    const double omega = 2 * std::numbers::pi * fHz;
    // Chain matrix from the source side, each entry with its derivative.
    Dual a{1, 0}, b{0, 0}, c{0, 0}, d{1, 0};
    const std::size_t n = model.arms.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Dual z = armImpedance(model.arms[i], omega);
        // Series impedance: [a b; c d] * [1 z; 0 1].
        b = a * z + b;
        d = c * z + d;
        if (i + 1 < n && i < model.couplingF.size()) {
            const double ck = model.couplingF[i];
            const Dual y{kJ * omega * ck, kJ * ck};
            // Shunt admittance: [a b; c d] * [1 0; y 1].
            a = a + b * y;
            c = c + d * y;
        }
    }

    const double z1 = ref.port1Ohm, z2 = ref.port2Ohm;
    const Dual den = a * Dual{z2, 0} + b + c * Dual{z1 * z2, 0} + d * Dual{z1, 0};
    const double root = std::sqrt(z1 * z2);
    SParameters s;
    s.s21 = 2 * root / den.v;
    // Every series and shunt factor of the chain has determinant 1, so
    // ad - bc = 1 and S12 = S21. (Forming ad - bc numerically would cancel
    // catastrophically in the stop band.)
    s.s12 = s.s21;
    s.s11 = (a.v * z2 + b.v - c.v * z1 * z2 - d.v * z1) / den.v;
    s.s22 = (-a.v * z2 + b.v - c.v * z1 * z2 + d.v * z1) / den.v;
    // S21 = 2 root / den, so -dphi/domega = Im(den'/den).
    s.groupDelayS = std::imag(den.d / den.v);
    return s;
}

bool isFinite(const SParameters& s) {
    const auto ok = [](Complex x) { return std::isfinite(x.real()) && std::isfinite(x.imag()); };
    return ok(s.s11) && ok(s.s21) && ok(s.s12) && ok(s.s22) && std::isfinite(s.groupDelayS);
}

double magnitudeDb(Complex x) {
    return 20 * std::log10(std::abs(x));
}

} // namespace korvan::analysis
