#include "designer/shaped_synthesis.h"

#include "designer/crystal_reactance.h"
#include "designer/fixed_text.h"
#include "designer/named_crystal.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace korvan::designer {

std::string_view compensationName(Compensation c) {
    switch (c) {
    case Compensation::None:
        return "none";
    case Compensation::Bandwidth:
        return "bandwidth";
    case Compensation::Predistort:
        break;
    }
    return "predistort";
}

QualityFactors meanQualityFactors(const LadderElements& e,
                                  std::span<const analysis::Crystal> crystals, double bandwidthHz) {
    QualityFactors sum;
    for (std::size_t i = 0; i < crystals.size(); ++i) {
        const double span = 2 * std::numbers::pi * bandwidthHz * e.slopeH[i];
        const double qo = span / seriesResistanceOhm(crystals[i], e.designHz);
        sum.qo += qo;
        sum.qu += qo * e.designHz / bandwidthHz;
    }
    const auto n = static_cast<double>(crystals.size());
    return {sum.qo / n, sum.qu / n};
}

ShapedSynthesis synthesiseShape(const ResponseShape& shape,
                                const prototype::CoupledResonatorCoefficients& lossless,
                                Compensation compensation,
                                std::span<const analysis::Crystal> crystals, double bandwidthHz,
                                int reference) {
    const int n = static_cast<int>(crystals.size());
    ShapedSynthesis out;
    out.coefficients = lossless;
    const auto synthesised = [&] {
        return synthesise({crystals, &out.coefficients, bandwidthHz, reference},
                          Linearisation::BandEdge);
    };
    out.elements = synthesised();
    if (compensation != Compensation::Predistort) return out;
    constexpr int kMaxPasses = 8;
    double previousQo = 0;
    for (int pass = 0; pass < kMaxPasses && out.elements; ++pass) {
        const QualityFactors f = meanQualityFactors(*out.elements, crystals, bandwidthHz);
        if (!std::isfinite(f.qo)) // lossless crystals: nothing to predistort for
            throw DesignError("predistortion needs crystals with loss: their Rm is 0");
        if (std::fabs(f.qo - previousQo) <= 1e-6 * f.qo) break; // far below what shows
        Predistortion p{f.qo, f.qu, shapeMinimumQo(shape, n), 0};
        try {
            out.coefficients = shapeCoefficients(shape, n, f.qo);
        } catch (const DesignError& e) {
            throw DesignError("the crystals lose too much to predistort for a 3 dB bandwidth of " +
                              fixedText(bandwidthHz, 1) + " Hz (their mean Qu is " +
                              std::to_string(std::lround(f.qu)) + "): " + e.what() +
                              "; ask for a wider bandwidth or compensate the bandwidth instead");
        }
        p.prototypeLossDb = out.coefficients.insertionLossDb;
        out.predistortion = p;
        previousQo = f.qo;
        out.elements = synthesised();
    }
    return out;
}

} // namespace korvan::designer
