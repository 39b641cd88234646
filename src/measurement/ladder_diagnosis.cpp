#include "measurement/ladder_diagnosis.h"

#include "analysis/exact_figures.h"
#include "analysis/ladder_analysis.h"
#include "analysis/mesh_resonance.h"
#include "analysis/tolerance_figures.h"
#include "measurement/diagnosis_model.h"
#include "measurement/diagnosis_residual.h"

#include <unsupported/Eigen/NonLinearOptimization>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvan::measurement {

namespace {

using Complex = std::complex<double>;
using detail::DiagnosisModel;
using detail::FitPoints;
using detail::Residual;

// More points than this add little but time: a longer trace is thinned.
constexpr std::size_t kMaxFitPoints = 4001;
// A parameter counts as determined when the data bring at least nine tenths
// of what is known of it (its variance below a tenth of the prior's).
constexpr double kDeterminedVariance = 0.1;

std::string hz(double v) {
    return std::to_string(static_cast<long long>(std::llround(v))) + " Hz";
}

void validate(const analysis::LadderModel& d) {
    const auto ok = [](double v) { return std::isfinite(v) && v > 0; };
    const std::size_t n = d.arms.size();
    if (n < 2) throw DiagnosisError("the ladder needs at least two meshes");
    if (d.couplingF.size() != n - 1)
        throw DiagnosisError("the ladder needs one coupling capacitor between each two meshes");
    if (!ok(d.sourceOhm) || !ok(d.loadOhm))
        throw DiagnosisError("the ladder's terminations must lie above 0 Ohm");
    for (double c : d.couplingF)
        if (!ok(c)) throw DiagnosisError("every coupling capacitor must lie above 0");
    for (std::size_t i = 0; i < n; ++i) {
        const auto& arm = d.arms[i];
        if (arm.crystals.empty())
            throw DiagnosisError("mesh " + std::to_string(i + 1) + " holds no crystal");
        if (!(arm.csF >= 0) || !std::isfinite(arm.csF))
            throw DiagnosisError("Cs" + std::to_string(i + 1) + " must be 0 (none) or above");
        for (const auto& x : arm.crystals)
            if (!ok(x.lmH) || !ok(x.cmF) || !(x.rmOhm >= 0) || !(x.cpF >= 0) ||
                !std::isfinite(x.rmOhm) || !std::isfinite(x.cpF))
                throw DiagnosisError("the crystal of mesh " + std::to_string(i + 1) +
                                     " needs Lm and Cm above 0, Rm and Cp of 0 or above");
    }
}

// The half turns of the phase of S21 between the first and the last point
// within 20 dB of its peak: about one per pole.
std::optional<double> halfTurns(const std::vector<Complex>& s) {
    double peak = 0;
    for (const Complex& v : s) peak = std::max(peak, std::abs(v));
    std::size_t first = s.size(), last = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (std::abs(s[i]) >= 0.1 * peak) {
            first = std::min(first, i);
            last = i;
        }
    if (first >= last) return std::nullopt;
    double turn = 0;
    for (std::size_t i = first; i < last; ++i) turn += std::arg(s[i + 1] * std::conj(s[i]));
    return std::abs(turn) / std::numbers::pi;
}

// The tuning capacitor that puts mesh `arm` at `targetHz`, the rest of the
// ladder as it is; nullopt where none can (the mesh would need an inductor).
std::optional<double> tuningFor(analysis::LadderModel ladder, std::size_t arm, double targetHz) {
    analysis::SeriesArm& a = ladder.arms[arm];
    const auto meshAt = [&](double elastance) {
        a.csF = elastance != 0 ? 1 / elastance : 0;
        return analysis::meshResonanceHz(ladder, arm);
    };
    // The resonance rises with the elastance in the loop: bracket, then halve.
    double lo = 0, hi = 0;
    const auto at0 = meshAt(0);
    if (!at0) return std::nullopt;
    if (*at0 >= targetHz) return std::nullopt;
    // 1 pF in series moves a mesh far past any pass band.
    hi = 1e9;
    for (int i = 0; i < 60; ++i) {
        const auto f = meshAt(hi);
        if (f && *f > targetHz) break;
        lo = hi;
        hi *= 4;
    }
    for (int i = 0; i < 200 && hi - lo > 1e-12 * hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        const auto f = meshAt(mid);
        if (!f) return std::nullopt;
        (*f < targetHz ? lo : hi) = mid;
    }
    const double elastance = 0.5 * (lo + hi);
    return elastance > 0 ? std::optional<double>(1 / elastance) : std::nullopt;
}

// What the measurement must offer before the ladder can be set against it
// (the pass band covered, enough points in it, a pass band of its own, the
// ladder's pole count), and what the fit takes from that check.
struct Checked {
    double low3 = 0, high3 = 0, bandwidth = 0, startShift = 0;
    double measuredIlDb = 0;
    std::vector<std::size_t> used; // the points fitted
    std::vector<double> f;         // at those points
    std::vector<std::string> notes;
};

Checked checkAgainst(const analysis::LadderModel& design, double centreHz,
                     const FilterMeasurement& m) {
    Checked c;
    validate(design);
    const std::size_t n = design.arms.size();
    const auto designFigures = analysis::exactFigures(design, centreHz);
    if (!designFigures || !designFigures->levels[0].bandwidthHz())
        throw DiagnosisError("the ladder has no 3 dB pass band near " + hz(centreHz));
    const double low3 = *designFigures->levels[0].lowHz, high3 = *designFigures->levels[0].highHz;
    c.low3 = low3;
    c.high3 = high3;
    c.bandwidth = high3 - low3;

    // The points: above 0 Hz, at most kMaxFitPoints of them.
    std::vector<std::size_t> used;
    for (std::size_t i = 0; i < m.frequencyHz.size(); ++i)
        if (m.frequencyHz[i] > 0) used.push_back(i);
    if (used.size() < 2 || m.frequencyHz[used.front()] > low3 || m.frequencyHz[used.back()] < high3)
        throw DiagnosisError("the measurement" +
                             (used.empty() ? std::string()
                                           : " (" + hz(m.frequencyHz[used.front()]) + " to " +
                                                 hz(m.frequencyHz[used.back()]) + ")") +
                             " does not cover the ladder's pass band (" + hz(low3) + " to " +
                             hz(high3) + ")");
    const std::size_t inBand =
        static_cast<std::size_t>(std::count_if(used.begin(), used.end(), [&](std::size_t i) {
            return m.frequencyHz[i] >= low3 && m.frequencyHz[i] <= high3;
        }));
    if (inBand < 2 * n + 1)
        throw DiagnosisError("too few points in the pass band (" + std::to_string(inBand) +
                             "; at least " + std::to_string(2 * n + 1) + " are needed)");
    if (used.size() > kMaxFitPoints) {
        const std::size_t stride = (used.size() + kMaxFitPoints - 1) / kMaxFitPoints;
        std::vector<std::size_t> thinned;
        for (std::size_t k = 0; k < used.size(); k += stride) thinned.push_back(used[k]);
        c.notes.push_back("every " + std::to_string(stride) + ". of the " +
                          std::to_string(used.size()) + " points fitted");
        used = std::move(thinned);
    }

    std::vector<Complex> measured;
    for (std::size_t i : used) {
        c.f.push_back(m.frequencyHz[i]);
        measured.push_back(m.s21[i]);
    }
    c.used = used;

    // Where the built filter's pass band lies: the start of every mesh.
    const auto seen = measuredFigures(m, centreHz);
    if (!seen)
        throw DiagnosisError("the measurement shows no pass band: |S21| does not fall by 3 dB "
                             "on both sides of its peak");
    c.startShift = seen->centreHz - 0.5 * (low3 + high3);
    c.measuredIlDb = *seen->value[analysis::kIL];

    // The pole count, from the phase's turn across the band.
    {
        std::vector<double> shifted = c.f;
        for (double& f : shifted) f -= c.startShift;
        std::vector<Complex> model;
        for (const auto& s :
             analysis::analyseLadder(design, shifted, analysis::terminations(design)))
            model.push_back(s.s21);
        const auto turnsMeasured = halfTurns(measured), turnsDesign = halfTurns(model);
        if (turnsMeasured && turnsDesign && std::abs(*turnsMeasured - *turnsDesign) > 0.7) {
            const long poles = std::lround(*turnsMeasured + static_cast<double>(n) - *turnsDesign);
            throw DiagnosisError("the measurement's phase turns by " +
                                 std::to_string(std::lround(*turnsMeasured * 180)) +
                                 " degrees across its pass band, as a filter of about " +
                                 std::to_string(poles) + " poles; the ladder has " +
                                 std::to_string(n));
        }
    }

    return c;
}

} // namespace

void checkMeasurement(const analysis::LadderModel& design, double centreHz,
                      const FilterMeasurement& m) {
    checkAgainst(design, centreHz, m);
}

LadderDiagnosis::Response LadderDiagnosis::builtResponse(const std::vector<double>& f) const {
    Response r;
    r.s21.resize(f.size());
    r.s11.resize(f.size());
    analysis::chainTransmission(builtChain, analysis::ChainGrid(f), sourceOhm.value, loadOhm.value,
                                r.s21, r.s11);
    return r;
}

LadderDiagnosis diagnoseLadder(const analysis::LadderModel& design, double centreHz,
                               const FilterMeasurement& m, const DiagnosisOptions& options) {
    const Checked c = checkAgainst(design, centreHz, m);
    const std::size_t n = design.arms.size();
    const double bandwidth = c.bandwidth, startShift = c.startShift;
    const double low3 = c.low3, high3 = c.high3;
    const std::vector<std::size_t>& used = c.used;
    LadderDiagnosis out;
    out.design = design;
    out.designCentreHz = centreHz;
    for (std::size_t i = 0; i < n; ++i)
        out.designMeshHz.push_back(analysis::meshResonanceHz(design, i).value_or(0));

    out.notes = c.notes;

    FitPoints points;
    std::vector<Complex> measured;
    for (std::size_t i : used) {
        points.f.push_back(m.frequencyHz[i]);
        const double magnitude = std::abs(m.s21[i]);
        points.logMagnitude.push_back(magnitude > 0 ? std::log(magnitude) : 0.0);
        points.phasor.push_back(magnitude > 0 ? m.s21[i] / magnitude : Complex(1.0));
        points.wMagnitude.push_back(magnitude > 0 ? m.s21MagnitudeWeight[i] : 0.0);
        // Within a few dB of the floor the phase is noise alone.
        points.wPhase.push_back(magnitude > 0 && m.s21FloorShare[i] < 0.2 ? m.s21PhaseWeight[i]
                                                                          : 0.0);
        points.s11.push_back(m.s11[i]);
        points.w11.push_back(m.s11Weight[i]);
        const double share = m.s21FloorShare[i];
        points.floorShare.push_back(share);
        points.floorPower.push_back(2 * share * share * magnitude * magnitude);
        measured.push_back(m.s21[i]);
    }
    out.pointsFitted = points.f.size();
    out.reflectionFitted = options.useReflection && m.s11Measured;

    DiagnosisModel model(design, centreHz, bandwidth);
    Residual residual(model, points, out.reflectionFitted, options);
    const auto rows = static_cast<Eigen::Index>(residual.dataRows());
    Eigen::VectorXd x = Eigen::VectorXd::Zero(static_cast<Eigen::Index>(model.parameters()));
    for (std::size_t i = 0; i < n; ++i)
        x[static_cast<Eigen::Index>(model.mesh(i))] = startShift / model.meshScaleHz();
    Eigen::VectorXd r;
    {
        // A reversed transformer winding turns S21 round: the measured phase
        // against the model's, weighted, tells.
        analysis::ChainPlan plan = model.designPlan();
        model.apply(x, plan);
        std::vector<Complex> s21(points.f.size()), s11(points.f.size());
        analysis::chainTransmission(plan, analysis::ChainGrid(points.f), model.sourceOhm(x),
                                    model.loadOhm(x), s21, s11);
        Complex agreement = 0;
        for (std::size_t i = 0; i < s21.size(); ++i)
            agreement += points.wPhase[i] * points.wPhase[i] * points.phasor[i] *
                         std::conj(s21[i]) / std::max(std::abs(s21[i]), 1e-300);
        if (agreement.real() < 0) {
            for (Complex& p : points.phasor) p = -p;
            out.notes.push_back("S21 is turned round by 180 degrees (a transformer winding "
                                "reversed?); fitted with its sign changed");
        }
    }
    // Start from the terminations the fixture presents, or the design's,
    // whichever fits better.
    {
        Eigen::VectorXd seenX = x;
        seenX[DiagnosisModel::kSourceOhm] =
            std::log(m.sourceOhm / design.sourceOhm) / DiagnosisModel::kLnOhmScale;
        seenX[DiagnosisModel::kLoadOhm] =
            std::log(m.loadOhm / design.loadOhm) / DiagnosisModel::kLnOhmScale;
        residual(x, r);
        const double designCost = r.head(rows).squaredNorm();
        residual(seenX, r);
        if (std::isfinite(seenX.squaredNorm()) && r.head(rows).squaredNorm() < designCost)
            x = seenX;
    }

    Eigen::LevenbergMarquardt<Residual> lm(residual);
    lm.parameters.maxfev = std::max(options.maxEvaluations, 1);
    lm.parameters.ftol = 1e-10;
    lm.parameters.xtol = 1e-10;
    const Eigen::VectorXd start = x;
    const auto status = lm.minimize(x);
    using namespace Eigen::LevenbergMarquardtSpace;
    out.evaluations = residual.evaluations();
    out.converged = status == RelativeReductionTooSmall || status == RelativeErrorTooSmall ||
                    status == RelativeErrorAndReductionTooSmall || status == CosinusTooSmall ||
                    status == FtolTooSmall || status == XtolTooSmall || status == GtolTooSmall;
    const std::string count = std::to_string(out.evaluations) + " evaluations";
    if (out.converged)
        out.status = "converged after " + count;
    else if (status == UserAsked)
        out.status = "stopped after " + count + "; the values are its best state so far";
    else if (status == TooManyFunctionEvaluation)
        out.status = "did not converge within " + count + "; the values are its best state";
    else
        out.status = "could not search; the values are the design's";
    if (!x.allFinite()) x = start;

    // The Jacobian at the end gives the covariance: (J'J)^-1 in units of
    // the priors, scaled by the data's reduced chi-square.
    DiagnosisOptions quiet = options;
    quiet.progress = nullptr;
    Residual final(model, points, out.reflectionFitted, quiet);
    Eigen::MatrixXd jacobian;
    final.df(x, jacobian);
    final(x, r);
    const auto p = static_cast<Eigen::Index>(model.parameters());
    Eigen::MatrixXd covariance = Eigen::MatrixXd::Identity(p, p);
    double chiSquare = 1;
    if (jacobian.allFinite() && r.allFinite()) {
        const Eigen::MatrixXd information = jacobian.transpose() * jacobian;
        covariance = information.ldlt().solve(Eigen::MatrixXd::Identity(p, p));
        const double dof = static_cast<double>(rows - p);
        chiSquare = dof > 0 ? r.head(rows).squaredNorm() / dof : 1.0;
    }
    if (!covariance.allFinite()) covariance = Eigen::MatrixXd::Identity(p, p);
    const auto sigma = [&](std::size_t k) {
        const auto at = static_cast<Eigen::Index>(k);
        return std::sqrt(std::max(covariance(at, at), 0.0) * chiSquare);
    };
    const auto determined = [&](std::size_t k) {
        const auto at = static_cast<Eigen::Index>(k);
        // A misfit larger than the noise widens what the data allow.
        return covariance(at, at) * std::max(chiSquare, 1.0) < kDeterminedVariance;
    };

    const auto fitted = [&](std::size_t k, double value, double perUnit) {
        return FittedValue{value, std::abs(perUnit) * sigma(k), determined(k)};
    };
    const double rs = model.sourceOhm(x), rl = model.loadOhm(x);
    out.sourceOhm = fitted(DiagnosisModel::kSourceOhm, rs, rs * DiagnosisModel::kLnOhmScale);
    out.loadOhm = fitted(DiagnosisModel::kLoadOhm, rl, rl * DiagnosisModel::kLnOhmScale);
    out.sourceStrayF =
        fitted(DiagnosisModel::kSourceStray, model.strayF(x, DiagnosisModel::kSourceStray),
               DiagnosisModel::kStrayScaleF);
    out.loadStrayF = fitted(DiagnosisModel::kLoadStray, model.strayF(x, DiagnosisModel::kLoadStray),
                            DiagnosisModel::kStrayScaleF);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double ck = model.couplingF(x, i);
        out.couplingF.push_back(
            fitted(model.coupling(i), ck, ck * DiagnosisModel::kLnCouplingScale));
    }

    // Mesh errors: the resonance as built less as designed, and its slope
    // with the parameter for the uncertainty.
    const analysis::LadderModel built = model.meshLadder(x);
    std::vector<double> slope(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto k = static_cast<Eigen::Index>(model.mesh(i));
        const double step = 1e-3;
        Eigen::VectorXd up = x, down = x;
        up[k] += step;
        down[k] -= step;
        const analysis::LadderModel builtUp = model.meshLadder(up),
                                    builtDown = model.meshLadder(down);
        const auto fUp = analysis::meshResonanceHz(builtUp, i);
        const auto fDown = analysis::meshResonanceHz(builtDown, i);
        const auto f = analysis::meshResonanceHz(built, i);
        slope[i] = fUp && fDown ? (*fUp - *fDown) / (2 * step) : model.meshScaleHz();
        const double error =
            f && out.designMeshHz[i] > 0 ? *f - out.designMeshHz[i] : x[k] * model.meshScaleHz();
        out.meshErrorHz.push_back(fitted(model.mesh(i), error, slope[i]));

        // The tuning capacitor that, with the crystal as designed, puts the
        // mesh where it is found: what the builder's capacitor amounts to.
        if (design.arms[i].csF > 0 && f) {
            const double target = out.designMeshHz[i] + error;
            const auto cs = tuningFor(design, i, target);
            const auto csUp = tuningFor(design, i, target + slope[i] * step);
            const auto csDown = tuningFor(design, i, target - slope[i] * step);
            if (cs && csUp && csDown)
                out.tuningF.push_back(fitted(model.mesh(i), *cs, (*csUp - *csDown) / (2 * step)));
            else
                out.tuningF.push_back(std::nullopt);
        } else {
            out.tuningF.push_back(std::nullopt);
        }
        // The tuning capacitor that, with the crystal as built, puts the mesh
        // back where it was designed.
        // A mesh without one gets one only where the data show it needs it.
        const FittedValue& e = out.meshErrorHz.back();
        const bool needed =
            design.arms[i].csF > 0 || (e.determined && std::abs(e.value) > 3 * e.uncertainty);
        out.correctedTuningF.push_back(needed ? tuningFor(built, i, out.designMeshHz[i])
                                              : std::nullopt);
    }
    // The common part: the median mesh error, with the uncertainty of the
    // mesh (or the two meshes) it comes from.
    {
        std::vector<std::size_t> order(n);
        for (std::size_t i = 0; i < n; ++i) order[i] = i;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return out.meshErrorHz[a].value < out.meshErrorHz[b].value;
        });
        const std::size_t a = order[(n - 1) / 2], b = order[n / 2];
        const auto ka = static_cast<Eigen::Index>(model.mesh(a));
        const auto kb = static_cast<Eigen::Index>(model.mesh(b));
        const double variance =
            0.25 * chiSquare *
            (slope[a] * slope[a] * covariance(ka, ka) + slope[b] * slope[b] * covariance(kb, kb) +
             2 * slope[a] * slope[b] * covariance(ka, kb));
        out.shiftHz = {0.5 * (out.meshErrorHz[a].value + out.meshErrorHz[b].value),
                       std::sqrt(std::max(variance, 0.0)),
                       out.meshErrorHz[a].determined && out.meshErrorHz[b].determined};
    }

    out.builtChain = model.designPlan();
    model.apply(x, out.builtChain);
    {
        const LadderDiagnosis::Response fit = out.builtResponse(points.f);
        const double ilDb = c.measuredIlDb;
        double sum = 0;
        std::size_t count = 0;
        for (std::size_t i = 0; i < points.f.size(); ++i) {
            const double measuredDb = 20 * std::log10(std::abs(measured[i]));
            const double d = 20 * std::log10(std::abs(fit.s21[i])) - measuredDb;
            if (points.floorShare[i] <= 0.1 && -measuredDb <= ilDb + 30 && std::isfinite(d)) {
                sum += d * d;
                ++count;
            }
        }
        out.residualDb = count > 0 ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
    }
    // A misfit far above any trace noise: the values explain the filter
    // only in part.
    if (out.residualDb > 1)
        out.notes.push_back("the fitted ladder misses the measurement by " +
                            std::to_string(std::lround(out.residualDb)) +
                            " dB RMS: the filter differs from this ladder in more than its "
                            "capacitors and terminations (a crystal, a broken part), or the "
                            "fixture is not as given");
    out.suggestions = detail::findSuggestions(model, x, out, low3, high3);
    return out;
}

} // namespace korvan::measurement
