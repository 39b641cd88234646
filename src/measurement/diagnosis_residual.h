#pragma once
// The residuals of the diagnosis fit and their Jacobian, as Eigen's
// Levenberg-Marquardt takes them: ln S21 (magnitude in nepers, phase in
// radians, each weighted by the trace's noise), S11's two parts (weighted by
// its noise through the fixture), then one prior row per parameter.

#include "analysis/ladder_chain.h"
#include "measurement/diagnosis_model.h"
#include "measurement/ladder_diagnosis.h"

#include <Eigen/Dense>

#include <complex>
#include <vector>

namespace korvan::measurement::detail {

// The points the fit uses, with the measured values as the residuals need them.
struct FitPoints {
    std::vector<double> f;
    std::vector<double> logMagnitude; // ln |S21|
    // The noise power the trace carries on top of the signal, |S21|^2 of
    // the floor alone: the model's |S21| is compared with it added.
    std::vector<double> floorPower;
    std::vector<std::complex<double>> phasor; // S21 / |S21|
    std::vector<double> wMagnitude, wPhase;
    std::vector<std::complex<double>> s11;
    std::vector<double> w11;
    std::vector<double> floorShare; // the analyser's floor relative to the trace
};

class Residual {
  public:
    using Scalar = double;
    using InputType = Eigen::VectorXd;
    using ValueType = Eigen::VectorXd;
    using JacobianType = Eigen::MatrixXd;
    enum { InputsAtCompileTime = Eigen::Dynamic, ValuesAtCompileTime = Eigen::Dynamic };

    // Keeps references to all three; `options.progress` is called after each
    // evaluation and may stop the search.
    Residual(const DiagnosisModel& model, const FitPoints& points, bool reflection,
             const DiagnosisOptions& options);

    int inputs() const { return static_cast<int>(model_.parameters()); }
    int values() const { return static_cast<int>(dataRows() + model_.parameters()); }
    std::size_t dataRows() const { return (reflection_ ? 4 : 2) * points_.f.size(); }
    int evaluations() const { return evaluations_; }

    // The residuals at x; -1 when the caller asked to stop.
    int operator()(const Eigen::VectorXd& x, Eigen::VectorXd& r);
    // Their Jacobian at x, from the chain's analytic sensitivities.
    int df(const Eigen::VectorXd& x, Eigen::MatrixXd& jacobian);

  private:
    int proceed() const;

    const DiagnosisModel& model_;
    const FitPoints& points_;
    analysis::ChainGrid grid_;
    bool reflection_;
    const DiagnosisOptions& options_;
    analysis::ChainPlan plan_;
    analysis::ChainSensitivities sens_;
    std::vector<std::complex<double>> s21_, s11_;
    std::vector<double> signalShare_;
    int evaluations_ = 0;
};

} // namespace korvan::measurement::detail
