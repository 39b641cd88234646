#include "measurement/crystal_fit.h"

#include "measurement/crystal_estimate.h"

#include <Eigen/Dense>
#include <unsupported/Eigen/NonLinearOptimization>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace korvan::measurement {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Neither the four-element model nor a crystal's stability over a sweep is
// better than 1e-4 of the value (0.001 dB): the least relative noise the
// fit weighs by, so that a file's last digit is not taken for a misfit.
constexpr double kModelAllowance = 1e-4;

// Without the library's checks for infinite parts: the values here are finite.
std::complex<double> reciprocal(std::complex<double> z) {
    const double n = std::norm(z);
    return {z.real() / n, -z.imag() / n};
}

// One measured trace and the weight of each of its points (1 / its noise).
struct Trace {
    std::span<const std::complex<double>> measured;
    bool reflection = false; // S11 = Z / (2 R0 + Z) = 1 - S21
    std::vector<double> weight;
};

std::complex<double> modelOf(const Trace& t, std::complex<double> s21) {
    return t.reflection ? 1.0 - s21 : s21;
}

// The fit's parameters, scaled to order one around the start: fs in loaded
// bandwidths, Lm, Rm and Cp as logarithms (so they stay positive).
struct Start {
    double fs, bandwidth, lm, rm, cp;
    bool cpFree;

    CrystalParameters crystal(const Eigen::VectorXd& x) const {
        return CrystalParameters::fromSeries(fs + x[0] * bandwidth, lm * std::exp(x[1]),
                                             rm * std::exp(x[2]),
                                             cpFree ? cp * std::exp(x[3]) : cp);
    }
};

// The weighted complex misfit of every trace at every point, real and
// imaginary parts as separate rows, with its derivatives.
struct WeightedResidual {
    using Scalar = double;
    using InputType = Eigen::VectorXd;
    using ValueType = Eigen::VectorXd;
    using JacobianType = Eigen::MatrixXd;
    enum { InputsAtCompileTime = Eigen::Dynamic, ValuesAtCompileTime = Eigen::Dynamic };

    std::span<const double> f;
    const std::vector<Trace>& traces;
    double r0;
    Start start;

    int inputs() const { return start.cpFree ? 4 : 3; }
    int values() const { return static_cast<int>(2 * f.size() * traces.size()); }

    void evaluate(const Eigen::VectorXd& x, Eigen::VectorXd* out, Eigen::MatrixXd* jacobian) const {
        const double ws = kTwoPi * (start.fs + x[0] * start.bandwidth);
        const double lm = start.lm * std::exp(x[1]);
        const double rm = start.rm * std::exp(x[2]);
        const double cp = start.cpFree ? start.cp * std::exp(x[3]) : start.cp;
        const std::complex<double> j(0, 1);
        const std::size_t n = f.size();
        for (std::size_t i = 0; i < n; ++i) {
            const double w = kTwoPi * f[i];
            // (w - ws)(w + ws) / w keeps its digits next to resonance.
            const double x0 = lm * (w - ws) * (w + ws) / w;
            const std::complex<double> ym = reciprocal({rm, x0});
            const std::complex<double> z = reciprocal(ym + j * (w * cp));
            const std::complex<double> invD = reciprocal(2 * r0 + z);
            const std::complex<double> s21 = 2 * r0 * invD;
            // d S21 = S21 d ln S21 = -S21 dZ / (2 R0 + Z); dZ = Z^2 Ym^2 dZm.
            std::complex<double> dS21[4];
            if (jacobian) {
                const std::complex<double> zz = -s21 * z * z * invD;
                const std::complex<double> motional = zz * (ym * ym);
                dS21[0] = motional * (j * lm * (-2 * ws / w) * kTwoPi * start.bandwidth);
                dS21[1] = motional * (j * x0);
                dS21[2] = motional * rm;
                dS21[3] = -zz * (j * w * cp);
            }
            for (std::size_t t = 0; t < traces.size(); ++t) {
                const Trace& trace = traces[t];
                const double weight = trace.weight[i];
                const auto row = static_cast<Eigen::Index>(2 * (t * n + i));
                if (out) {
                    const std::complex<double> r =
                        (modelOf(trace, s21) - trace.measured[i]) * weight;
                    (*out)[row] = r.real();
                    (*out)[row + 1] = r.imag();
                }
                if (jacobian)
                    for (int k = 0; k < inputs(); ++k) {
                        const std::complex<double> d =
                            (trace.reflection ? -dS21[k] : dS21[k]) * weight;
                        (*jacobian)(row, k) = d.real();
                        (*jacobian)(row + 1, k) = d.imag();
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

std::vector<std::complex<double>> modelS21(const CrystalParameters& c, std::span<const double> f,
                                           double r0) {
    std::vector<std::complex<double>> out(f.size());
    for (std::size_t i = 0; i < f.size(); ++i) out[i] = seriesThroughS21(c, f[i], r0);
    return out;
}

// The trace's noise, read from what the model leaves of it.
TraceNoise noiseAround(const std::vector<std::complex<double>>& s21Model, std::span<const double> f,
                       const Trace& trace) {
    const std::size_t n = f.size();
    std::vector<std::complex<double>> residual(n);
    std::vector<double> magnitude(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto m = modelOf(trace, s21Model[i]);
        residual[i] = trace.measured[i] - m;
        magnitude[i] = std::abs(m);
    }
    TraceNoise noise = estimateTraceNoise(f, residual, magnitude);
    noise.relative = std::max(noise.relative, kModelAllowance);
    return noise;
}

void weigh(Trace& trace, const TraceNoise& noise,
           const std::vector<std::complex<double>>& s21Model) {
    trace.weight.resize(s21Model.size());
    for (std::size_t i = 0; i < s21Model.size(); ++i)
        trace.weight[i] = 1 / std::sqrt(noise.variance(std::abs(modelOf(trace, s21Model[i]))));
}

// Sum of the squared weighted misfits of the traces.
double chiSquare(const CrystalParameters& c, std::span<const double> f,
                 const std::vector<Trace>& traces, double r0) {
    double sum = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto s21 = seriesThroughS21(c, f[i], r0);
        for (const auto& t : traces)
            sum += std::norm((modelOf(t, s21) - t.measured[i]) * t.weight[i]);
    }
    return std::isfinite(sum) ? sum : HUGE_VAL;
}

double misfitOf(const CrystalParameters& c, std::span<const double> f,
                const std::vector<Trace>& traces, double r0) {
    const double points = static_cast<double>(f.size() * traces.size());
    return std::sqrt(chiSquare(c, f, traces, r0) / points);
}

double residualDbAboveFloor(const CrystalParameters& c, std::span<const double> f,
                            std::span<const std::complex<double>> s21, double r0, double floor) {
    const auto db = [](std::complex<double> s) {
        return 20.0 * std::log10(std::max(std::abs(s), 1e-300));
    };
    double sum = 0;
    int count = 0;
    // Ten decibels above the floor the floor moves |S21| by 0.4 dB at most.
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto m = seriesThroughS21(c, f[i], r0);
        if (std::abs(m) < 3 * floor) continue;
        const double d = db(m) - db(s21[i]);
        sum += d * d, ++count;
    }
    return count ? std::sqrt(sum / count) : 0;
}

// Levenberg-Marquardt from `from`; `from` itself when the step leads nowhere sensible.
CrystalParameters refine(const CrystalParameters& from, double bandwidthHz, bool cpFree,
                         std::span<const double> f, const std::vector<Trace>& traces, double r0) {
    const Start start{from.fs_Hz(), bandwidthHz, from.Lm_H, from.Rm_Ohm, from.Cp_F, cpFree};
    WeightedResidual residual{f, traces, r0, start};
    Eigen::VectorXd x = Eigen::VectorXd::Zero(residual.inputs());
    Eigen::LevenbergMarquardt<WeightedResidual> lm(residual);
    lm.parameters.maxfev = 400; // every pass ends
    lm.parameters.xtol = 1e-12;
    lm.parameters.ftol = 1e-14;
    lm.minimize(x);
    const CrystalParameters c = start.crystal(x);
    return x.allFinite() && plausible(c) ? c : from;
}

std::string decimals(double value, int digits) {
    char text[48];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits).ptr;
    return std::string(text, end);
}

} // namespace

CrystalParameters CrystalParameters::fromSeries(double fsHz, double lmH, double rmOhm, double cpF) {
    const double w = kTwoPi * fsHz;
    return {lmH, 1.0 / (w * w * lmH), rmOhm, cpF};
}

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

CrystalFit fitCrystal(std::span<const double> f, std::span<const std::complex<double>> s,
                      const FitOptions& options) {
    return fitCrystal(f, s, {}, options);
}

CrystalFit fitCrystal(std::span<const double> f, std::span<const std::complex<double>> s,
                      std::span<const std::complex<double>> s11, const FitOptions& options) {
    if (f.size() != s.size() || (!s11.empty() && s11.size() != f.size()))
        throw FitError("frequencies and values differ in number");
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
    // S11 counts as measured when it holds finite values that are not all zero.
    bool withS11 = !s11.empty();
    bool anyS11 = false;
    for (const auto& v : s11) {
        if (!std::isfinite(v.real()) || !std::isfinite(v.imag())) withS11 = false;
        anyS11 = anyS11 || v != 0.0;
    }
    withS11 = withS11 && anyS11;

    const double r0 = options.r0Ohm;
    const CrystalEstimate e = estimateCrystal(f, s, r0, options.cpF);
    const bool cpFree = e.parallelResonance || !options.cpF;
    CrystalFit fit;
    fit.estimate = e.crystal;
    fit.parallelResonanceInSweep = e.parallelResonance;

    // S21 alone, twice: the second pass weighs by the noise the first one left.
    std::vector<CrystalParameters> candidates{e.crystal};
    std::vector<Trace> traces{{s, false, {}}};
    CrystalParameters current = e.crystal;
    for (int pass = 0; pass < 2; ++pass) {
        const auto model = modelS21(current, f, r0);
        fit.s21Noise = noiseAround(model, f, traces[0]);
        weigh(traces[0], fit.s21Noise, model);
        current = refine(current, e.bandwidthHz, cpFree, f, traces, r0);
        candidates.push_back(current);
    }
    {
        const auto model = modelS21(current, f, r0);
        fit.s21Noise = noiseAround(model, f, traces[0]);
        weigh(traces[0], fit.s21Noise, model);
    }

    // S11 carries the same parameters with noise of its own. It joins the fit
    // only where it agrees with S21: moving the parameters to the joint
    // solution may cost S21 no more than its own scatter explains (a rise of
    // S21's chi-square by 25, five standard errors along the move). A port 2
    // that is not exactly R0 shows in S11 as a shifted Rm long before it
    // shows as a misfit.
    if (withS11) {
        const double s21Alone = chiSquare(current, f, traces, r0);
        std::vector<Trace> joint{traces[0], {s11, true, {}}};
        CrystalParameters both = current;
        TraceNoise s11Noise;
        for (int pass = 0; pass < 2; ++pass) {
            const auto model = modelS21(both, f, r0);
            s11Noise = noiseAround(model, f, joint[1]);
            weigh(joint[1], s11Noise, model);
            both = refine(both, e.bandwidthHz, cpFree, f, joint, r0);
        }
        const std::vector<Trace> s11Only{joint[1]};
        const bool agrees = chiSquare(both, f, traces, r0) - s21Alone <= 25 &&
                            misfitOf(both, f, s11Only, r0) <= kPoorFitMisfit;
        fit.s11 = agrees ? S11Use::Used : S11Use::LeftOut;
        if (agrees) {
            traces = joint;
            fit.s11Noise = s11Noise;
            candidates.push_back(both);
        }
    }

    // The refinement is kept only where it explains the data better than
    // the estimate it started from, weighed by the same noise.
    std::size_t best = 0;
    std::vector<double> cost;
    for (const auto& c : candidates) cost.push_back(chiSquare(c, f, traces, r0));
    for (std::size_t i = 1; i < candidates.size(); ++i)
        if (cost[i] < cost[best]) best = i;
    fit.fitted = candidates[best];
    if (best == 0) fit.warnings.push_back("the fit did not improve on the first estimate");
    const auto& c = fit.fitted;
    if (!plausible(c) || !std::isfinite(c.fs_Hz()) || !std::isfinite(c.fp_Hz()) ||
        !std::isfinite(c.Qu()))
        throw FitError("no crystal of finite values fits the sweep at this port resistance");

    const double floor = fit.s21Noise.floor;
    fit.estimateQuality = {misfitOf(fit.estimate, f, traces, r0),
                           residualDbAboveFloor(fit.estimate, f, s, r0, floor)};
    fit.quality = {misfitOf(fit.fitted, f, traces, r0),
                   residualDbAboveFloor(fit.fitted, f, s, r0, floor)};

    const double fs = fit.fitted.fs_Hz();
    fit.loadedBandwidthHz = (2 * r0 + fit.fitted.Rm_Ohm) / (kTwoPi * fit.fitted.Lm_H);
    for (double fi : f)
        if (std::abs(fi - fs) <= fit.loadedBandwidthHz / 2) ++fit.pointsIn3dB;
    for (std::size_t i = 0; i < f.size(); ++i)
        if (std::abs(seriesThroughS21(fit.fitted, f[i], r0)) < floor) ++fit.pointsBelowFloor;

    if (fit.pointsIn3dB < 5)
        fit.warnings.push_back("too coarse: " + std::to_string(fit.pointsIn3dB) +
                               " points inside the 3 dB bandwidth, at least 5 wanted");
    // Noise moves a peak that lies on the edge by a point or two.
    const std::size_t edge = std::max<std::size_t>(2, f.size() / 100);
    if (e.peakIndex < edge || e.peakIndex + edge >= f.size())
        fit.warnings.push_back("the peak is at the sweep's edge");
    else if (!e.bothHalfPowerPoints)
        fit.warnings.push_back("too narrow: the sweep does not hold both 3 dB points");

    if (fit.pointsBelowFloor >= 2) {
        const double fp = fit.fitted.fp_Hz();
        const bool notch = fp > f.front() && fp < f.back() &&
                           std::abs(seriesThroughS21(fit.fitted, fp, r0)) < floor;
        fit.warnings.push_back("noise floor near " + decimals(20 * std::log10(floor), 1) + " dB" +
                               (notch ? " fills the fp notch" : "") + ": " +
                               std::to_string(fit.pointsBelowFloor) + " points taken as noise");
    }
    if (fit.quality.misfit > kPoorFitMisfit)
        fit.warnings.push_back("poor fit: the model leaves " + decimals(fit.quality.misfit, 1) +
                               " times the trace noise unexplained (a spurious resonance, the "
                               "fixture or the calibration?)");
    return fit;
}

} // namespace korvan::measurement
