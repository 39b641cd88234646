#include "measurement/diagnosis_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvan::measurement::detail {

DiagnosisModel::DiagnosisModel(const analysis::LadderModel& design, double centreHz,
                               double bandwidthHz)
    : design_(design), n_(design.arms.size()) {
    analysis::ChainStage stray;
    stray.series = false;
    plan_ = analysis::chainPlan(design);
    plan_.stages.insert(plan_.stages.begin(), stray);
    plan_.stages.push_back(stray);
    // A mesh a whole pass band off is as far as anyone would expect.
    meshScaleHz_ = std::max(bandwidthHz, 100.0);
    for (std::size_t i = 0; i < n_; ++i) {
        // A loop of inductance L resonates at w^2 = S / L: 1 Hz more needs
        // 2 S / f = 8 pi^2 f L more elastance (the holder makes it a little
        // more; this only sets the parameter's scale).
        double inverseL = 0;
        for (const auto& x : design.arms[i].crystals) inverseL += 1 / x.lmH;
        elastancePerHz_.push_back(8 * std::numbers::pi * std::numbers::pi * centreHz / inverseL);
    }
}

double DiagnosisModel::sourceOhm(const Eigen::VectorXd& x) const {
    return design_.sourceOhm * std::exp(kLnOhmScale * x[kSourceOhm]);
}

double DiagnosisModel::loadOhm(const Eigen::VectorXd& x) const {
    return design_.loadOhm * std::exp(kLnOhmScale * x[kLoadOhm]);
}

double DiagnosisModel::strayF(const Eigen::VectorXd& x, std::size_t which) const {
    return kStrayScaleF * x[static_cast<Eigen::Index>(which)];
}

double DiagnosisModel::couplingF(const Eigen::VectorXd& x, std::size_t i) const {
    return design_.couplingF[i] *
           std::exp(kLnCouplingScale * x[static_cast<Eigen::Index>(coupling(i))]);
}

double DiagnosisModel::motionalShift(const Eigen::VectorXd& x, std::size_t i) const {
    return elastancePerHz_[i] * meshScaleHz_ * x[static_cast<Eigen::Index>(mesh(i))];
}

void DiagnosisModel::apply(const Eigen::VectorXd& x, analysis::ChainPlan& plan) const {
    plan.stages.front().capacitanceF = strayF(x, kSourceStray);
    plan.stages.back().capacitanceF = strayF(x, kLoadStray);
    for (std::size_t i = 0; i < n_; ++i) {
        const analysis::ChainStage& arm = plan.stages[armStage(i)];
        const double shift = motionalShift(x, i);
        for (std::uint32_t j = 0; j < arm.crystalCount; ++j)
            plan.crystals[arm.firstCrystal + j].invCmF =
                plan_.crystals[arm.firstCrystal + j].invCmF + shift;
        if (i + 1 < n_) plan.stages[couplingStage(i)].capacitanceF = couplingF(x, i);
    }
}

analysis::LadderModel DiagnosisModel::meshLadder(const Eigen::VectorXd& x) const {
    analysis::LadderModel built = design_;
    for (std::size_t i = 0; i < n_; ++i) {
        const double shift = motionalShift(x, i);
        for (auto& crystal : built.arms[i].crystals) crystal.cmF = 1 / (1 / crystal.cmF + shift);
    }
    return built;
}

} // namespace korvan::measurement::detail
