#pragma once
// Crystals and the promise check shared by the designer's tests. The check
// rebuilds the ladder from the design's reported values (not from its own
// model) and analyses it exactly.

#include "analysis/exact_figures.h"
#include "designer/ladder_design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace korvan::designer::test {

using prototype::Family;

inline ResponseShape chebyshev(double rippleDb) {
    return {Family::Chebyshev, rippleDb};
}
// Chebyshev for a ripple above 0, else Butterworth.
inline ResponseShape chebyshevOrButterworth(double rippleDb) {
    return rippleDb > 0 ? chebyshev(rippleDb) : ResponseShape{Family::Butterworth, 0};
}

inline analysis::Crystal crystalAt(double fsHz, double lmH, double cpF, double rmOhm = 0) {
    const double w = 2 * std::numbers::pi * fsHz;
    return {lmH, 1 / (w * w * lmH), rmOhm, cpF};
}

// The ladder exactly as reported: terminations, each position's crystal and
// Cs, the couplings.
inline analysis::LadderModel reportedLadder(const LadderDesign& d, bool withLoss) {
    analysis::LadderModel m;
    m.sourceOhm = d.sourceOhm;
    m.loadOhm = d.loadOhm;
    for (const auto& p : d.positions) {
        analysis::Crystal c = p.crystal.model;
        if (!withLoss) c.rmOhm = 0;
        m.arms.push_back({{c}, p.csF});
    }
    m.couplingF = d.couplingF;
    return m;
}

// The 3 dB bandwidth within 1 %, the family's ripple within 0.05 dB and the
// band centred on design_Hz within 2 % of the bandwidth.
// Without `checkRipple` the family's shape is the test's to check.
inline void expectPromise(const LadderDesign& d, double wantedHz, double rippleDb, bool withLoss,
                          const std::string& what, bool checkRipple = true) {
    const auto x = analysis::exactFigures(reportedLadder(d, withLoss), d.designHz);
    ASSERT_TRUE(x) << what;
    const auto& l = x->levels[0];
    ASSERT_TRUE(l.lowHz && l.highHz) << what;
    EXPECT_NEAR(*l.highHz - *l.lowHz, wantedHz, 0.01 * wantedHz) << what;
    EXPECT_NEAR(0.5 * (*l.lowHz + *l.highHz), d.designHz, 0.02 * wantedHz) << what;
    if (!withLoss && checkRipple) {
        ASSERT_TRUE(x->rippleDb) << what;
        EXPECT_NEAR(*x->rippleDb, rippleDb, 0.05) << what;
    }
}

} // namespace korvan::designer::test
