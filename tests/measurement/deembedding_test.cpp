#include "measurement/deembedding.h"
#include "support/built_ladder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace korvan::measurement {
namespace {

using test::Chain;
using test::Cxl;

// A two-pole crystal filter, the filter every fixture below is wrapped around.
analysis::LadderModel twoPole() {
    analysis::LadderModel m;
    const double lm = 0.062, cm = 1 / (std::pow(2 * std::numbers::pi * 4998000, 2) * lm);
    for (int i = 0; i < 2; ++i) m.arms.push_back({{{lm, cm, 20, 4e-12}}, 0});
    m.couplingF = {100e-12};
    m.sourceOhm = m.loadOhm = 200;
    return m;
}

// The fixture's chain at port 1 (analyser to filter) or port 2, multiplied
// out independently of the program.
Chain fixtureChain(const PortFixture& p, long double f, bool port2) {
    const Cxl j{0, 1};
    const long double w = 2 * std::numbers::pi_v<long double> * f;
    const auto series = [](Cxl z) { return Chain{1, z, 0, 1}; };
    const auto shunt = [](Cxl y) { return Chain{1, 0, y, 1}; };
    switch (p.kind) {
    case PortFixture::Kind::SeriesPad:
        return series(p.padOhm);
    case PortFixture::Kind::Transformer: {
        const long double n = p.turnsRatio;
        return port2 ? Chain{n, 0, 0, 1 / n} : Chain{1 / n, 0, 0, n};
    }
    case PortFixture::Kind::LowPassMatch: {
        const Chain l = series(j * w * (long double)p.inductanceH);
        const Chain c = shunt(j * w * (long double)p.capacitanceF);
        return port2 ? c.then(l) : l.then(c);
    }
    case PortFixture::Kind::HighPassMatch: {
        const Chain c = series(1.0L / (j * w * (long double)p.capacitanceF));
        const Chain l = shunt(1.0L / (j * w * (long double)p.inductanceH));
        return port2 ? l.then(c) : c.then(l);
    }
    case PortFixture::Kind::Direct:
        break;
    }
    return {};
}

PortFixture pad(double ohm) {
    PortFixture p;
    p.kind = PortFixture::Kind::SeriesPad;
    p.padOhm = ohm;
    return p;
}
PortFixture transformer(double n) {
    PortFixture p;
    p.kind = PortFixture::Kind::Transformer;
    p.turnsRatio = n;
    return p;
}
// The L-C match calculator's sections from 50 Ohm up to 200 Ohm at 5 MHz.
PortFixture match(bool lowPass) {
    const double w = 2 * std::numbers::pi * 4.998e6, x = std::sqrt(50.0 * 200 - 50.0 * 50);
    const double xp = 50.0 * 200 / x;
    PortFixture p;
    p.kind = lowPass ? PortFixture::Kind::LowPassMatch : PortFixture::Kind::HighPassMatch;
    p.inductanceH = lowPass ? x / w : xp / w;
    p.capacitanceF = lowPass ? 1 / (w * xp) : 1 / (w * x);
    return p;
}

// Every fixture taken out of a noiseless measurement gives back the filter:
// S21 and S11 between the terminations the fixture presents, and the full
// two-port at any other terminations.
TEST(deembedding_test, fixtures_come_out_exactly) {
    const struct {
        const char* name;
        Fixture fixture;
        double seenSource, seenLoad; // what the filter sees
        double tolerance;            // the L-C sections present a slightly complex one
    } cases[] = {
        {"direct", {}, 50, 50, 1e-9},
        {"pads", {pad(470), pad(330)}, 520, 380, 1e-9},
        {"transformers", {transformer(2), transformer(3)}, 200, 450, 1e-9},
        {"low-pass match", {match(true), match(true)}, 200, 200, 2e-3},
        {"high-pass match", {match(false), match(false)}, 200, 200, 2e-3},
    };
    const analysis::LadderModel filter = twoPole();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TouchstoneData data;
        data.ports = 2;
        for (double f = 4.9965e6; f < 5.0005e6; f += 40) {
            const Chain whole = fixtureChain(c.fixture.port1, f, false)
                                    .then(test::ladderChain(filter, f))
                                    .then(fixtureChain(c.fixture.port2, f, true));
            data.frequencyHz.push_back(f);
            data.s.push_back(test::sOf(whole, 50, 50));
        }
        const FilterMeasurement m = deembed(data, c.fixture);
        EXPECT_NEAR(m.sourceOhm, c.seenSource, c.tolerance * c.seenSource);
        EXPECT_NEAR(m.loadOhm, c.seenLoad, c.tolerance * c.seenLoad);
        ASSERT_EQ(m.chain.size(), data.frequencyHz.size());
        const auto other = renormalised(m, 150, 260);
        for (std::size_t i = 0; i < data.frequencyHz.size(); ++i) {
            const Chain t = test::ladderChain(filter, data.frequencyHz[i]);
            const auto want = test::sOf(t, m.sourceOhm, m.loadOhm);
            EXPECT_NEAR(std::abs(m.s21[i] - want[1]), 0, c.tolerance * std::abs(want[1]));
            EXPECT_NEAR(std::abs(m.s11[i] - want[0]), 0, c.tolerance);
            const auto at = test::sOf(t, 150, 260);
            for (int k = 0; k < 4; ++k) EXPECT_NEAR(std::abs(other[i][k] - at[k]), 0, 1e-8);
        }
    }
}

// What a fixture makes of the analyser's noise: the pads scale S21 and its
// floor alike; reflections read through a pad lose most of their weight.
TEST(deembedding_test, weights_follow_the_fixture) {
    TouchstoneData data;
    data.ports = 2;
    for (double f = 4.99e6; f < 5.01e6; f += 100) {
        data.frequencyHz.push_back(f);
        const double x = (f - 5e6) / 2e3;
        data.s.push_back({{0.3, std::complex<double>(0.05 / (1 + x * x), 0.01), 0.0, 0.0}});
    }
    const FilterMeasurement direct = deembed(data, {});
    const FilterMeasurement padded = deembed(data, {pad(470), pad(470)});
    EXPECT_TRUE(padded.chain.empty()); // S12 and S22 not measured
    for (std::size_t i = 0; i < data.frequencyHz.size(); ++i) {
        EXPECT_DOUBLE_EQ(padded.s21MagnitudeWeight[i], direct.s21MagnitudeWeight[i]);
        EXPECT_NEAR(std::abs(padded.s21[i] / direct.s21[i]), 520.0 / 50, 1e-9);
        EXPECT_LT(padded.s11Weight[i], 0.1 * direct.s11Weight[i]);
    }
    // The relative noise bounds the weight where the trace is far above the floor.
    EXPECT_NEAR(direct.s21MagnitudeWeight[data.s.size() / 2], 20 / (0.05 * std::log(10.0)), 1);
}

TEST(deembedding_test, impossible_fixtures_are_named) {
    EXPECT_FALSE(fixtureProblem({pad(0), pad(100e3)}));
    EXPECT_EQ(*fixtureProblem({pad(-1), {}}), "the pad at port 1 must lie between 0 and 100 kOhm");
    EXPECT_EQ(*fixtureProblem({{}, pad(100001)}),
              "the pad at port 2 must lie between 0 and 100 kOhm");
    EXPECT_TRUE(fixtureProblem({transformer(0), {}}));
    PortFixture broken = match(true);
    broken.capacitanceF = std::nan("");
    EXPECT_TRUE(fixtureProblem({broken, {}}));
}

} // namespace
} // namespace korvan::measurement
