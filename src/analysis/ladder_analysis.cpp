#include "analysis/ladder_analysis.h"

#include "analysis/ladder_chain.h"

#include <cmath>

namespace korvan::analysis {

PortReference terminations(const LadderModel& model) {
    return {model.sourceOhm, model.loadOhm};
}

SParameters analyseLadder(const LadderModel& model, double fHz, const PortReference& ref) {
    SParameters s;
    analyseLadder(model, std::span<const double>(&fHz, 1), ref, std::span<SParameters>(&s, 1));
    return s;
}

void analyseLadder(const LadderModel& model, std::span<const double> fHz, const PortReference& ref,
                   std::span<SParameters> out) {
    chainSParameters(chainPlan(model), ChainGrid(fHz), ref.port1Ohm, ref.port2Ohm,
                     out.first(fHz.size()));
}

std::vector<SParameters> analyseLadder(const LadderModel& model, std::span<const double> fHz,
                                       const PortReference& ref) {
    std::vector<SParameters> out(fHz.size());
    analyseLadder(model, fHz, ref, out);
    return out;
}

bool isFinite(const SParameters& s) {
    const auto ok = [](Complex x) { return std::isfinite(x.real()) && std::isfinite(x.imag()); };
    return ok(s.s11) && ok(s.s21) && ok(s.s12) && ok(s.s22) && std::isfinite(s.groupDelayS);
}

double magnitudeDb(Complex x) {
    return 20 * std::log10(std::abs(x));
}

} // namespace korvan::analysis
