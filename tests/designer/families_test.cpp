// Every family of the prototype module in the designer, lossless and
// predistorted: the ladder analysed exactly (each crystal its own
// four-element model) against the family's lossless |S21| from the
// prototype module's coupled-resonator model, an independent computation.

#include "designer/designer_support.h"
#include "designer/ladder_job.h"
#include "prototype/coupled_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>

namespace korvan::designer {
namespace {

using test::crystalAt;

std::vector<NamedCrystal> batch(int m, double f0, double spreadHz, double lmH, double cpF,
                                double rmOhm, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> offset(-0.5 * spreadHz, 0.5 * spreadHz);
    std::vector<NamedCrystal> out;
    for (int i = 0; i < m; ++i)
        out.push_back({"x" + std::to_string(i), crystalAt(f0 + offset(rng), lmH, cpF, rmOhm)});
    return out;
}

// The family's lossless loss [dB] at w = 2 (f - f0) / BW.
double familyLossDb(const ResponseShape& shape, int poles, double w) {
    const auto c = shapeCoefficients(shape, poles);
    const std::vector<long double> k(c.k.begin(), c.k.end());
    return -static_cast<double>(
        20 * std::log10(std::abs(prototype::transmission(c.qe1, c.qen, k, 0, w))));
}

struct ShapeCheck {
    double ilDb = 0;        // the ladder's smallest loss
    double worstDb = 0;     // largest departure from the family in the 3 dB band
    double worstEvenDb = 0; // the same for the mean of the two sides
};

// The ladder's loss above its smallest at w = 0, +-0.25 .. +-1 around
// design_Hz against the family's.
ShapeCheck shapeOf(const LadderDesign& d, bool withLoss) {
    const auto ladder = test::reportedLadder(d, withLoss);
    const auto figures = analysis::exactFigures(ladder, d.designHz);
    ShapeCheck out;
    if (!figures) {
        ADD_FAILURE() << "no response";
        out.worstDb = out.worstEvenDb = 1e9;
        return out;
    }
    out.ilDb = figures->ilDb;
    const auto loss = [&](double w) {
        const double f = d.designHz + w * d.wantedBandwidthHz / 2;
        return -analysis::magnitudeDb(analysis::analyseLadder(ladder, f).s21) - figures->ilDb;
    };
    for (double w : {0.0, 0.25, 0.5, 0.75, 1.0}) {
        const double want = familyLossDb(d.shape, static_cast<int>(d.positions.size()), w);
        out.worstDb =
            std::max({out.worstDb, std::fabs(loss(w) - want), std::fabs(loss(-w) - want)});
        out.worstEvenDb = std::max(out.worstEvenDb, std::fabs(0.5 * (loss(w) + loss(-w)) - want));
    }
    return out;
}

LadderJob job(const ResponseShape& shape, int poles, std::vector<NamedCrystal> crystals,
              double bandwidthHz, Compensation compensation) {
    LadderJob j;
    j.crystals = std::move(crystals);
    j.poles = poles;
    j.shape = shape;
    j.bandwidthHz = bandwidthHz;
    j.compensation = compensation;
    return j;
}

// Lossless, placed batches: the promise, the ripple of Chebyshev, and for
// every family its shape in the pass band.
TEST(families_test, everyFamilyKeepsItsShapeLossless) {
    for (const auto& info : prototype::families()) {
        for (int poles : {4, 8, 12}) {
            const ResponseShape shape{info.family, info.hasRipple ? 0.2 : 0.0};
            const std::string what = std::string(info.name) + " " + std::to_string(poles);
            const LadderDesign d =
                runLadderJob(job(shape, poles, batch(poles, 8e6, 100, 0.015, 5e-12, 10, 7u + poles),
                                 800, Compensation::None))
                    .design;
            // Monotonic families have no ripple figure to keep (Legendre's
            // flat spots show as one): their shape is checked below.
            test::expectPromise(d, 800, shape.rippleDb, false, what, info.hasRipple);
            const ShapeCheck s = shapeOf(d, false);
            EXPECT_LT(s.worstDb, 0.08) << what;
            EXPECT_LT(s.worstEvenDb, 0.02) << what;
        }
    }
}

// Predistorted for the crystals' qo, the lossy ladder keeps the family's
// shape at the prototype's loss. Thin holders: up to the narrow-band
// approximations; 4 pF holders make the loss rise across the band
// (Re Z = Rm (1 + w Cp X)^2), which no synchronously tuned ladder undoes:
// the shape's even part is still far closer than compensating the
// bandwidth gives.
TEST(families_test, predistortedKeepsTheShapeAtThePrototypesLoss) {
    const auto crystals = [](int poles, double cpF) {
        return batch(poles, 10.7e6, 200, 0.012, cpF, 15, 3u + poles); // qo about 12
    };
    for (const auto& info : prototype::families()) {
        for (int poles : {4, 6}) {
            const ResponseShape shape{info.family, info.hasRipple ? 0.1 : 0.0};
            const std::string what = std::string(info.name) + " " + std::to_string(poles);
            const LadderDesign d = runLadderJob(job(shape, poles, crystals(poles, 0.4e-12), 2400,
                                                    Compensation::Predistort))
                                       .design;
            ASSERT_TRUE(d.predistortion) << what;
            const double il = d.predistortion->prototypeLossDb;
            EXPECT_GT(il, 1) << what;
            EXPECT_NEAR(
                il, shapeCoefficients(shape, poles, d.predistortion->meanQo).insertionLossDb, 1e-9)
                << what;
            const ShapeCheck s = shapeOf(d, true);
            EXPECT_LT(s.worstDb, 0.1) << what;
            EXPECT_NEAR(s.ilDb, il, 0.01 * il + 0.02) << what;
            EXPECT_NEAR(*d.asBuilt.levels[0].bandwidthHz(), 2400, 0.01 * 2400) << what;
        }
    }
    const ResponseShape lossSensitive[] = {{prototype::Family::Butterworth, 0},
                                           {prototype::Family::Chebyshev, 0.1},
                                           {prototype::Family::Legendre, 0}};
    for (const ResponseShape& shape : lossSensitive) {
        const int poles = shape.hasRipple() ? 4 : 6;
        const std::string what = std::string(shapeName(shape)) + ", 4 pF";
        const auto designed = [&](Compensation c) {
            return runLadderJob(job(shape, poles, crystals(poles, 4e-12), 2400, c)).design;
        };
        const LadderDesign d = designed(Compensation::Predistort);
        const ShapeCheck s = shapeOf(d, true);
        const ShapeCheck widened = shapeOf(designed(Compensation::Bandwidth), true);
        EXPECT_LT(s.worstEvenDb, 0.3) << what;
        EXPECT_LT(s.worstEvenDb, 0.5 * widened.worstEvenDb) << what;
        EXPECT_NEAR(s.ilDb, d.predistortion->prototypeLossDb, 0.3) << what;
        // Where the tilt shows as ripple, the note says by how much the loss
        // rises: the real part of each crystal's own impedance at the edges.
        const auto note = predistortionNote(d);
        if (!shape.hasRipple()) continue;
        ASSERT_TRUE(note) << what;
        const auto& band = d.asBuilt.levels[0];
        double rise = 0;
        for (const auto& p : d.positions) {
            const auto& c = p.crystal.model;
            const auto re = [&](double f) {
                const double w = 2 * std::numbers::pi * f;
                const std::complex<double> motional(c.rmOhm, w * c.lmH - 1 / (w * c.cmF));
                const std::complex<double> holder(0, -1 / (w * c.cpF));
                return (motional * holder / (motional + holder)).real();
            };
            rise += re(*band.highHz) / re(*band.lowHz) - 1;
        }
        const long percent = std::lround(100 * rise / static_cast<double>(d.positions.size()));
        EXPECT_NE(note->find("rises by " + std::to_string(percent) + " %"), std::string::npos)
            << *note;
    }
}

} // namespace
} // namespace korvan::designer
