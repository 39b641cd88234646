#pragma once
// The parameters of the diagnosis fit and how they turn the design's ladder
// into the ladder as built. Every parameter is dimensionless: its deviation
// from the design in units of a broad prior (x = 0 is the design, |x| = 1 a
// deviation as large as anyone would expect), so that the least-squares
// search sees them on one scale and a weak prior keeps a value the data do
// not touch where the design put it.

#include "analysis/ladder_chain.h"
#include "analysis/ladder_model.h"

#include <Eigen/Dense>

#include <cstddef>
#include <vector>

namespace korvan::measurement::detail {

class DiagnosisModel {
  public:
    // `centreHz`: where the pass band lies; `bandwidthHz`: its width, the
    // scale of a mesh's detuning.
    DiagnosisModel(const analysis::LadderModel& design, double centreHz, double bandwidthHz);

    std::size_t poles() const { return n_; }
    std::size_t parameters() const { return 4 + 2 * n_ - 1; }

    // Where each parameter sits in x.
    static constexpr std::size_t kSourceOhm = 0, kLoadOhm = 1, kSourceStray = 2, kLoadStray = 3;
    std::size_t coupling(std::size_t i) const { return 4 + i; }
    std::size_t mesh(std::size_t i) const { return 4 + (n_ - 1) + i; }
    // The chain stage each parameter acts on (the strays are the first and
    // the last stage, arm i is stage 1 + 2i, Ck i stage 2 + 2i).
    static std::size_t armStage(std::size_t i) { return 1 + 2 * i; }
    static std::size_t couplingStage(std::size_t i) { return 2 + 2 * i; }
    std::size_t lastStage() const { return 2 * n_; }

    // Prior widths: ln of a termination, a stray [F], ln of a Ck, a mesh [Hz].
    static constexpr double kLnOhmScale = 0.7, kStrayScaleF = 10e-12, kLnCouplingScale = 0.5;
    double meshScaleHz() const { return meshScaleHz_; }
    // Motional elastance [1/F] that detunes mesh i by about 1 Hz.
    double elastancePerHz(std::size_t i) const { return elastancePerHz_[i]; }

    double sourceOhm(const Eigen::VectorXd& x) const;
    double loadOhm(const Eigen::VectorXd& x) const;
    double strayF(const Eigen::VectorXd& x, std::size_t which) const; // kSourceStray/kLoadStray
    double couplingF(const Eigen::VectorXd& x, std::size_t i) const;
    // The elastance added to the motional arm of each crystal of mesh i:
    // the crystals' fs as built, not as measured.
    double motionalShift(const Eigen::VectorXd& x, std::size_t i) const;

    // The chain with the strays at both ends, the values of x written in.
    const analysis::ChainPlan& designPlan() const { return plan_; }
    void apply(const Eigen::VectorXd& x, analysis::ChainPlan& plan) const;

    // The ladder as built for the mesh resonances: the crystals as fitted,
    // the tuning and coupling capacitors as designed.
    analysis::LadderModel meshLadder(const Eigen::VectorXd& x) const;

    const analysis::LadderModel& design() const { return design_; }

  private:
    analysis::LadderModel design_;
    std::size_t n_ = 0;
    analysis::ChainPlan plan_;
    double meshScaleHz_ = 0;
    std::vector<double> elastancePerHz_;
};

} // namespace korvan::measurement::detail

namespace korvan::measurement {
struct LadderDiagnosis;
struct Suggestion;
namespace detail {
// The deviations worth changing, largest effect on |S21| across the design's
// 3 dB band (lowHz to highHz) first.
std::vector<Suggestion> findSuggestions(const DiagnosisModel& model, const Eigen::VectorXd& x,
                                        const LadderDiagnosis& diagnosis, double lowHz,
                                        double highHz);
} // namespace detail
} // namespace korvan::measurement
