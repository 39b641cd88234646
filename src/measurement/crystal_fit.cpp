#include "measurement/crystal_fit.h"

#include <Eigen/Dense>
#include <unsupported/Eigen/NonLinearOptimization>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvan::measurement {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kHalfPowerDb = 3.0102999566398120; // 10 log10(2)
constexpr double kDefaultCpF = 4e-12;

double db(std::complex<double> s) {
    return 20.0 * std::log10(std::max(std::abs(s), 1e-300));
}

double wrapped(double radians) {
    return std::remainder(radians, kTwoPi);
}

// The vertex of the parabola through three points, x shifted to the middle
// one so that MHz frequencies keep their digits.
struct Vertex {
    double x, y;
};
std::optional<Vertex> parabolaVertex(double x1, double y1, double x2, double y2, double x3,
                                     double y3) {
    const double a = x1 - x2, c = x3 - x2;
    const double d1 = (y1 - y2) / a, d3 = (y3 - y2) / c;
    const double curvature = (d3 - d1) / (c - a);
    if (!(curvature != 0) || !std::isfinite(curvature)) return std::nullopt;
    const double slope = d1 - curvature * a; // at x2
    const double dx = -slope / (2 * curvature);
    if (!std::isfinite(dx) || dx < a || dx > c) return std::nullopt;
    return Vertex{x2 + dx, y2 + slope * dx / 2};
}

// Where the (linearly interpolated) curve crosses `level` between i and j.
double crossing(std::span<const double> f, const std::vector<double>& y, std::size_t i,
                std::size_t j, double level) {
    const double t = (level - y[i]) / (y[j] - y[i]);
    return f[i] + std::clamp(t, 0.0, 1.0) * (f[j] - f[i]);
}

CrystalParameters fromFsLm(double fs, double lm, double rm, double cp) {
    const double w = kTwoPi * fs;
    return {lm, 1.0 / (w * w * lm), rm, cp};
}

struct Estimate {
    CrystalParameters crystal;
    double bandwidthHz = 0;
    bool bothHalfPowerPoints = false;
    bool dip = false;
    std::size_t peakIndex = 0;
};

Estimate firstEstimate(std::span<const double> f, std::span<const std::complex<double>> s,
                       const FitOptions& options) {
    const std::size_t n = f.size();
    std::vector<double> y(n);
    for (std::size_t i = 0; i < n; ++i) y[i] = db(s[i]);
    const std::size_t k =
        static_cast<std::size_t>(std::max_element(y.begin(), y.end()) - y.begin());

    double fs = f[k], peakDb = y[k];
    if (k > 0 && k + 1 < n)
        if (const auto v = parabolaVertex(f[k - 1], y[k - 1], f[k], y[k], f[k + 1], y[k + 1])) {
            fs = v->x;
            peakDb = std::max(v->y, y[k]);
        }

    const double level = peakDb - kHalfPowerDb;
    std::optional<double> lower, upper;
    for (std::size_t i = k; i > 0; --i)
        if (y[i - 1] < level) {
            lower = crossing(f, y, i - 1, i, level);
            break;
        }
    for (std::size_t i = k; i + 1 < n; ++i)
        if (y[i + 1] < level) {
            upper = crossing(f, y, i, i + 1, level);
            break;
        }
    if (!lower && !upper)
        throw FitError("no resonance in the sweep: |S21| does not fall by 3 dB around its peak");

    const double r0 = options.r0Ohm;
    const double peak = std::pow(10.0, peakDb / 20.0);
    // A peak at or above 0 dB (noise on a very low Rm) must not give Rm <= 0.
    const double rm = std::max(2 * r0 * (1 / peak - 1), 1e-3 * r0);

    Estimate e;
    e.peakIndex = k;
    e.bothHalfPowerPoints = lower && upper;
    e.bandwidthHz =
        e.bothHalfPowerPoints ? *upper - *lower : 2 * (lower ? fs - *lower : *upper - fs);
    std::vector<double> lmValues;
    if (e.bandwidthHz > 0) lmValues.push_back((2 * r0 + rm) / (kTwoPi * e.bandwidthHz));

    // The +-45 degree points of the phase relative to the peak give the same
    // bandwidth independently of the magnitude's noise.
    std::vector<double> phase(n);
    phase[k] = 0;
    for (std::size_t i = k; i > 0; --i)
        phase[i - 1] = phase[i] + wrapped(std::arg(s[i - 1]) - std::arg(s[i]));
    for (std::size_t i = k; i + 1 < n; ++i)
        phase[i + 1] = phase[i] + wrapped(std::arg(s[i + 1]) - std::arg(s[i]));
    const double quarter = std::numbers::pi / 4;
    std::optional<double> plus45, minus45;
    for (std::size_t i = k; i > 0; --i)
        if (phase[i - 1] >= quarter) {
            plus45 = crossing(f, phase, i - 1, i, quarter);
            break;
        }
    for (std::size_t i = k; i + 1 < n; ++i)
        if (phase[i + 1] <= -quarter) {
            minus45 = crossing(f, phase, i, i + 1, -quarter);
            break;
        }
    if (plus45 && minus45 && *minus45 > *plus45)
        lmValues.push_back((2 * r0 + rm) / (kTwoPi * (*minus45 - *plus45)));
    if (lmValues.empty()) throw FitError("no resonance in the sweep: no bandwidth can be read");
    double lm = 0;
    for (double v : lmValues) lm += v / static_cast<double>(lmValues.size());

    CrystalParameters crystal = fromFsLm(fs, lm, rm, kDefaultCpF);

    // Parallel resonance: a minimum above fs from which |S21| rises again.
    std::size_t m = k;
    for (std::size_t i = k; i < n; ++i)
        if (y[i] < y[m]) m = i;
    if (m > k && m + 1 < n && y.back() - y[m] >= kHalfPowerDb && y[m] < peakDb - 20) {
        double fp = f[m];
        if (const auto v = parabolaVertex(f[m - 1], y[m - 1], f[m], y[m], f[m + 1], y[m + 1]))
            fp = v->x;
        const double ratio = fp / fs;
        if (ratio > 1) {
            crystal.Cp_F = crystal.Cm_F / (ratio * ratio - 1);
            e.dip = true;
        }
    }
    if (!e.dip && options.cpF) {
        crystal.Cp_F = *options.cpF;
    } else if (!e.dip) {
        // Off resonance the measured admittance less the motional branch's
        // is the holder capacitance's.
        std::vector<double> cps;
        for (std::size_t i = 0; i < n; ++i) {
            if (std::abs(f[i] - fs) < 3 * e.bandwidthHz || std::abs(s[i]) == 0) continue;
            const double w = kTwoPi * f[i];
            const std::complex<double> z = 2 * r0 / s[i] - 2 * r0;
            const std::complex<double> zm(rm, w * lm - 1 / (w * crystal.Cm_F));
            const double cp = (1.0 / z - 1.0 / zm).imag() / w;
            if (std::isfinite(cp)) cps.push_back(cp);
        }
        if (!cps.empty()) {
            std::nth_element(cps.begin(), cps.begin() + cps.size() / 2, cps.end());
            crystal.Cp_F = std::clamp(cps[cps.size() / 2], 0.1e-12, 100e-12);
        }
    }
    e.crystal = crystal;
    // The fit's fs step: the loaded bandwidth of the estimate, positive even
    // when the measured 3 dB points were odd.
    e.bandwidthHz = (2 * r0 + rm) / (kTwoPi * lm);
    return e;
}

// Without the library's checks for infinite parts: the values here are finite.
std::complex<double> reciprocal(std::complex<double> z) {
    const double n = std::norm(z);
    return {z.real() / n, -z.imag() / n};
}

// Residuals in the logarithm of S21: the real part is the magnitude misfit
// in nepers, the imaginary part the phase misfit in radians, matching a
// VNA's noise, which is relative in magnitude and absolute in phase.
struct LogResidual {
    using Scalar = double;
    using InputType = Eigen::VectorXd;
    using ValueType = Eigen::VectorXd;
    using JacobianType = Eigen::MatrixXd;
    enum { InputsAtCompileTime = Eigen::Dynamic, ValuesAtCompileTime = Eigen::Dynamic };

    std::span<const double> f;
    std::vector<std::complex<double>> logMeasured;
    double r0;
    double fs0, bandwidth0, lm0, rm0, cp0;
    bool cpFree;

    int inputs() const { return cpFree ? 4 : 3; }
    int values() const { return static_cast<int>(2 * f.size()); }

    CrystalParameters crystal(const Eigen::VectorXd& x) const {
        return fromFsLm(fs0 + x[0] * bandwidth0, lm0 * std::exp(x[1]), rm0 * std::exp(x[2]),
                        cpFree ? cp0 * std::exp(x[3]) : cp0);
    }

    // ln S21 = ln 2R0 - ln(2R0 + Z); with `jacobian` also its derivatives.
    void evaluate(const Eigen::VectorXd& x, Eigen::VectorXd* out, Eigen::MatrixXd* jacobian) const {
        const double ws = kTwoPi * (fs0 + x[0] * bandwidth0);
        const double lm = lm0 * std::exp(x[1]);
        const double rm = rm0 * std::exp(x[2]);
        const double cp = cpFree ? cp0 * std::exp(x[3]) : cp0;
        const std::complex<double> j(0, 1);
        const double logTwoR0 = std::log(2 * r0);
        for (std::size_t i = 0; i < f.size(); ++i) {
            const double w = kTwoPi * f[i];
            // (w - ws)(w + ws) / w keeps its digits next to resonance.
            const double x0 = lm * (w - ws) * (w + ws) / w;
            const std::complex<double> zm(rm, x0);
            const std::complex<double> ym = reciprocal(zm);
            const std::complex<double> z = reciprocal(ym + j * (w * cp));
            const std::complex<double> d = 2 * r0 + z;
            const auto row = static_cast<Eigen::Index>(2 * i);
            if (out) {
                // ln(2 R0 / d) less the measured logarithm, phase kept within +-pi.
                const double magnitude =
                    logTwoR0 - 0.5 * std::log(std::norm(d)) - logMeasured[i].real();
                double phase = -std::atan2(d.imag(), d.real()) - logMeasured[i].imag();
                if (phase > std::numbers::pi) phase -= kTwoPi;
                if (phase < -std::numbers::pi) phase += kTwoPi;
                (*out)[row] = magnitude;
                (*out)[row + 1] = phase;
            }
            if (jacobian) {
                const std::complex<double> invD = reciprocal(d);
                const std::complex<double> zz = z * z * invD;
                const std::complex<double> motional = -zz * (ym * ym);
                const std::complex<double> derivatives[] = {
                    motional * (j * lm * (-2 * ws / w) * kTwoPi * bandwidth0), motional * (j * x0),
                    motional * rm, zz * (j * w * cp)};
                for (int k = 0; k < inputs(); ++k) {
                    (*jacobian)(row, k) = derivatives[k].real();
                    (*jacobian)(row + 1, k) = derivatives[k].imag();
                }
            }
        }
    }

    int operator()(const Eigen::VectorXd& x, Eigen::VectorXd& out) const {
        evaluate(x, &out, nullptr);
        return 0;
    }
    int df(const Eigen::VectorXd& x, Eigen::MatrixXd& jacobian) const {
        evaluate(x, nullptr, &jacobian);
        return 0;
    }
};

bool plausible(const CrystalParameters& c) {
    return std::isfinite(c.Lm_H) && std::isfinite(c.Cm_F) && std::isfinite(c.Rm_Ohm) &&
           std::isfinite(c.Cp_F) && c.Lm_H > 0 && c.Cm_F > 0 && c.Rm_Ohm > 0 && c.Cp_F > 0;
}

} // namespace

double CrystalParameters::fs_Hz() const {
    return 1.0 / (kTwoPi * std::sqrt(Lm_H * Cm_F));
}

double CrystalParameters::fp_Hz() const {
    return fs_Hz() * std::sqrt(1.0 + Cm_F / Cp_F);
}

double CrystalParameters::Qu() const {
    return kTwoPi * fs_Hz() * Lm_H / Rm_Ohm;
}

std::complex<double> seriesThroughS21(const CrystalParameters& c, double frequencyHz,
                                      double r0Ohm) {
    const double w = kTwoPi * frequencyHz;
    const std::complex<double> motional(c.Rm_Ohm, w * c.Lm_H - 1.0 / (w * c.Cm_F));
    const std::complex<double> z = 1.0 / (1.0 / motional + std::complex<double>(0, w * c.Cp_F));
    return 2 * r0Ohm / (2 * r0Ohm + z);
}

double residualDbRms(const CrystalParameters& crystal, std::span<const double> f,
                     std::span<const std::complex<double>> s, double r0Ohm) {
    double sum = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const double d = db(seriesThroughS21(crystal, f[i], r0Ohm)) - db(s[i]);
        sum += d * d;
    }
    return f.empty() ? 0 : std::sqrt(sum / static_cast<double>(f.size()));
}

CrystalFit fitCrystal(std::span<const double> f, std::span<const std::complex<double>> s,
                      const FitOptions& options) {
    if (f.size() != s.size()) throw FitError("frequencies and values differ in number");
    if (f.size() < 7)
        throw FitError("too few points for a fit (" + std::to_string(f.size()) +
                       "; at least 7 are needed)");
    if (!(options.r0Ohm > 0) || !std::isfinite(options.r0Ohm))
        throw FitError("the port resistance must be above 0");
    if (options.cpF && !(*options.cpF > 0 && std::isfinite(*options.cpF)))
        throw FitError("the holder capacitance must be above 0");
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (!std::isfinite(f[i]) || f[i] <= 0 || (i > 0 && f[i] <= f[i - 1]))
            throw FitError("the frequencies must be above 0 and increase");
        if (!std::isfinite(s[i].real()) || !std::isfinite(s[i].imag()))
            throw FitError("a value of S21 is not a finite number");
    }

    const Estimate e = firstEstimate(f, s, options);
    const bool cpFree = e.dip || !options.cpF;

    std::vector<std::complex<double>> logMeasured(s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        logMeasured[i] = std::abs(s[i]) > 0 ? std::log(s[i]) : std::complex<double>(-690.0, 0.0);
    LogResidual residual{f,
                         std::move(logMeasured),
                         options.r0Ohm,
                         e.crystal.fs_Hz(),
                         e.bandwidthHz,
                         e.crystal.Lm_H,
                         e.crystal.Rm_Ohm,
                         e.crystal.Cp_F,
                         cpFree};
    Eigen::VectorXd x = Eigen::VectorXd::Zero(residual.inputs());
    Eigen::VectorXd startValues(residual.values());
    residual(x, startValues);
    const double startCost = startValues.squaredNorm();

    Eigen::LevenbergMarquardt<LogResidual> lm(residual);
    lm.parameters.maxfev = 400;
    lm.parameters.xtol = 1e-12;
    lm.parameters.ftol = 1e-14;
    lm.minimize(x);

    CrystalFit fit;
    fit.estimate = e.crystal;
    fit.parallelResonanceInSweep = e.dip;
    Eigen::VectorXd endValues(residual.values());
    residual(x, endValues);
    const CrystalParameters fitted = residual.crystal(x);
    fit.estimateResidualDb = residualDbRms(fit.estimate, f, s, options.r0Ohm);
    // The fit only ever replaces the estimate by something better, in its own
    // measure and in the reported one.
    const double fittedResidualDb =
        plausible(fitted) ? residualDbRms(fitted, f, s, options.r0Ohm) : fit.estimateResidualDb;
    if (plausible(fitted) && std::isfinite(endValues.squaredNorm()) &&
        endValues.squaredNorm() <= startCost && fittedResidualDb <= fit.estimateResidualDb) {
        fit.fitted = fitted;
        fit.residualDb = fittedResidualDb;
    } else {
        fit.fitted = e.crystal;
        fit.residualDb = fit.estimateResidualDb;
        fit.warnings.push_back("the fit did not improve on the first estimate");
    }

    const double fs = fit.fitted.fs_Hz();
    fit.loadedBandwidthHz = (2 * options.r0Ohm + fit.fitted.Rm_Ohm) / (kTwoPi * fit.fitted.Lm_H);
    for (double fi : f)
        if (std::abs(fi - fs) <= fit.loadedBandwidthHz / 2) ++fit.pointsIn3dB;

    if (fit.pointsIn3dB < 5)
        fit.warnings.push_back("too coarse: " + std::to_string(fit.pointsIn3dB) +
                               " points inside the 3 dB bandwidth, at least 5 wanted");
    // Noise moves a peak that lies on the edge by a point or two.
    const std::size_t edge = std::max<std::size_t>(2, f.size() / 100);
    if (e.peakIndex < edge || e.peakIndex + edge >= f.size())
        fit.warnings.push_back("the peak is at the sweep's edge");
    else if (!e.bothHalfPowerPoints)
        fit.warnings.push_back("too narrow: the sweep does not hold both 3 dB points");
    return fit;
}

} // namespace korvan::measurement
