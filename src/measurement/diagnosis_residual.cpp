#include "measurement/diagnosis_residual.h"

#include <cmath>
#include <numbers>
#include <tuple>

namespace korvan::measurement::detail {

using Complex = std::complex<double>;

Residual::Residual(const DiagnosisModel& model, const FitPoints& points, bool reflection,
                   const DiagnosisOptions& options)
    : model_(model), points_(points), grid_(points.f), reflection_(reflection), options_(options),
      plan_(model.designPlan()), s21_(points.f.size()), s11_(points.f.size()) {}

int Residual::operator()(const Eigen::VectorXd& x, Eigen::VectorXd& r) {
    model_.apply(x, plan_);
    analysis::chainTransmission(plan_, grid_, model_.sourceOhm(x), model_.loadOhm(x), s21_, s11_);
    const std::size_t n = points_.f.size();
    r.resize(values());
    for (std::size_t i = 0; i < n; ++i) {
        const auto at = static_cast<Eigen::Index>(i);
        r[at] =
            points_.wMagnitude[i] *
            (0.5 * std::log(std::norm(s21_[i]) + points_.floorPower[i]) - points_.logMagnitude[i]);
        r[at + static_cast<Eigen::Index>(n)] =
            points_.wPhase[i] * std::arg(s21_[i] * std::conj(points_.phasor[i]));
        if (reflection_) {
            const Complex d = s11_[i] - points_.s11[i];
            r[at + static_cast<Eigen::Index>(2 * n)] = points_.w11[i] * d.real();
            r[at + static_cast<Eigen::Index>(3 * n)] = points_.w11[i] * d.imag();
        }
    }
    r.tail(static_cast<Eigen::Index>(model_.parameters())) = x;
    ++evaluations_;
    return proceed();
}

int Residual::df(const Eigen::VectorXd& x, Eigen::MatrixXd& jacobian) {
    model_.apply(x, plan_);
    analysis::chainSensitivities(plan_, grid_, model_.sourceOhm(x), model_.loadOhm(x), sens_);
    const std::size_t n = points_.f.size(), p = model_.parameters();
    jacobian.setZero(values(), inputs());
    const auto row = [](std::size_t r) { return static_cast<Eigen::Index>(r); };
    const auto col = [](std::size_t c) { return static_cast<Eigen::Index>(c); };
    // d/dx of ln sqrt(|S|^2 + floor) is |S|^2 / (|S|^2 + floor) d ln|S| / dx.
    signalShare_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double power = std::norm(sens_.s21[i]);
        signalShare_[i] = power / (power + points_.floorPower[i]);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double w = 2 * std::numbers::pi * points_.f[i];
        // d(ln S21, S11) / d x_k for every parameter k.
        const auto put = [&](std::size_t k, Complex dLnS21, Complex dS11) {
            jacobian(row(i), col(k)) = points_.wMagnitude[i] * signalShare_[i] * dLnS21.real();
            jacobian(row(n + i), col(k)) = points_.wPhase[i] * dLnS21.imag();
            if (reflection_) {
                jacobian(row(2 * n + i), col(k)) = points_.w11[i] * dS11.real();
                jacobian(row(3 * n + i), col(k)) = points_.w11[i] * dS11.imag();
            }
        };
        // Through stage s, whose impedance or admittance moves by dE.
        const auto stage = [&](std::size_t s, Complex dE) {
            return std::pair{sens_.dLnS21[s * n + i] * dE, sens_.dS11[s * n + i] * dE};
        };
        put(DiagnosisModel::kSourceOhm, sens_.dLnS21dLnZ1[i] * DiagnosisModel::kLnOhmScale,
            sens_.dS11dLnZ1[i] * DiagnosisModel::kLnOhmScale);
        put(DiagnosisModel::kLoadOhm, sens_.dLnS21dLnZ2[i] * DiagnosisModel::kLnOhmScale,
            sens_.dS11dLnZ2[i] * DiagnosisModel::kLnOhmScale);
        const Complex strayStep{0, w * DiagnosisModel::kStrayScaleF};
        auto [a, b] = stage(0, strayStep);
        put(DiagnosisModel::kSourceStray, a, b);
        std::tie(a, b) = stage(model_.lastStage(), strayStep);
        put(DiagnosisModel::kLoadStray, a, b);
        for (std::size_t k = 0; k < model_.poles(); ++k) {
            const std::size_t arm = DiagnosisModel::armStage(k);
            std::tie(a, b) = stage(arm, sens_.dMotional[arm * n + i] *
                                            (model_.elastancePerHz(k) * model_.meshScaleHz()));
            put(model_.mesh(k), a, b);
            if (k + 1 < model_.poles()) {
                std::tie(a, b) = stage(
                    DiagnosisModel::couplingStage(k),
                    Complex{0, w * model_.couplingF(x, k) * DiagnosisModel::kLnCouplingScale});
                put(model_.coupling(k), a, b);
            }
        }
    }
    for (std::size_t k = 0; k < p; ++k) jacobian(row(dataRows() + k), col(k)) = 1;
    return proceed();
}

int Residual::proceed() const {
    if (options_.progress && !options_.progress(evaluations_, options_.maxEvaluations)) return -1;
    return 0;
}

} // namespace korvan::measurement::detail
