#include "analysis/bracket_search.h"
#include "analysis/exact_figures.h"
#include "analysis/figure_notes.h"
#include "analysis/passband_figures.h"
#include "analysis/response_sweep.h"
#include "analysis/tolerance_figures.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <vector>

namespace {

using namespace korvan;
using namespace korvan::analysis;

// A pass band with two minima and a hump between them, all in closed form:
// loss(x) = 1 + c (x^2 - 1)^2 over x = (f - f0)/w. Minima of 1 dB at x = +-1,
// the hump of 1 + c at x = 0, and IL + X crossed at x^2 = 1 +- sqrt(X/c).
struct TwoHumps {
    double f0, w, c;
    double loss(double f) const {
        const double x = (f - f0) / w, u = x * x - 1;
        return 1 + c * u * u;
    }
    double x(double levelDb, double sign) const {
        return std::sqrt(1 + sign * std::sqrt(levelDb / c));
    }
    double f(double x) const { return f0 + w * x; }
};

struct Sampled {
    std::vector<double> f, loss;
    std::function<double(double)> exact;
    Sampled(const TwoHumps& h, int points) : exact([h](double v) { return h.loss(v); }) {
        for (int k = 0; k < points; ++k) {
            f.push_back(h.f(-3 + 6.0 * k / (points - 1)));
            loss.push_back(h.loss(f.back()));
        }
    }
};

// The same definitions from coarse samples (interpolated, to the sample
// spacing) and with the function (to the bracket tolerance), against the
// closed form; at ordinary, huge and tiny frequencies.
TEST(passband_figures_test, figures_of_a_closed_form_pass_band) {
    const struct {
        TwoHumps h;
        bool dip;
    } cases[] = {
        {{10e6, 1000, 3.5}, true},  // hump above IL + 3 dB: a dip
        {{10e6, 1000, 1.0}, false}, // 1 dB ripple, no dip
        {{1e14, 1e9, 3.5}, true},   // beyond the reach of a fixed 0.01 Hz
        {{2e3, 50, 0.5}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.h.f0);
        const TwoHumps& h = c.h;
        const Sampled s(h, 601);
        for (const bool exact : {false, true}) {
            SCOPED_TRACE(exact ? "with the function" : "samples only");
            const LossCurve curve{s.f, s.loss, exact ? &s.exact : nullptr};
            // Samples: half a step in frequency; exact: the bracket
            // tolerance, which grows with the frequency.
            const double step = s.f[1] - s.f[0];
            const double tolHz = exact ? 2 * bracketTolerance(h.f0) : step;
            const auto p = readPassband(curve);
            ASSERT_TRUE(p);
            ASSERT_TRUE(p->band3);
            EXPECT_NEAR(p->ilDb, 1, exact ? 1e-9 : 1e-3);
            EXPECT_NEAR(std::fabs(p->ilHz - h.f0), h.w, exact ? 1e-3 * h.w : step);
            EXPECT_NEAR(p->band3->lowHz, h.f(-h.x(3, 1)), tolHz);
            EXPECT_NEAR(p->band3->highHz, h.f(h.x(3, 1)), tolHz);
            EXPECT_NEAR(p->rippleDb, h.c, exact ? 1e-9 : 1e-3);
            ASSERT_EQ(p->dips.size(), c.dip ? 1u : 0u);
            if (c.dip) {
                const PassbandDip& d = p->dips[0];
                EXPECT_NEAR(d.hz, h.f0, exact ? 1e-3 * h.w : step);
                EXPECT_NEAR(d.depthDb, h.c, exact ? 1e-9 : 1e-3);
                EXPECT_NEAR(d.edges.lowHz, h.f(-h.x(3, -1)), tolHz);
                EXPECT_NEAR(d.edges.highHz, h.f(h.x(3, -1)), tolHz);
            }
            for (double level : {6.0, 20.0}) {
                const auto e = outerCrossings(curve, p->ilDb + level);
                ASSERT_TRUE(e);
                EXPECT_NEAR(e->widthHz(), 2 * h.w * h.x(level, 1), 2 * tolHz);
            }
            // Not above the level at the ends of the samples: not reached.
            EXPECT_FALSE(outerCrossings(curve, h.loss(s.f.front()) + 1));
        }
    }
}

TEST(passband_figures_test, samples_that_say_nothing) {
    const std::vector<double> f{1, 2, 3, 4}, flat{1, 1, 1, 1}, nan{5, 1, NAN, 5};
    EXPECT_FALSE(readPassband({f, nan}));
    EXPECT_FALSE(readPassband({std::span(f).first(2), std::span(flat).first(2)}));
    const auto p = readPassband({f, flat}); // the samples end inside the band
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->band3);
    EXPECT_TRUE(p->dips.empty());
}

// A 6-pole Cohn ladder from the main window's defaults with a 2.4 kHz band:
// the exact figures against a dense sweep read from samples, the same
// definition on an independent computation of the response.
TEST(passband_figures_test, exact_figures_agree_with_a_dense_sweep_of_a_dipping_ladder) {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form{messages, clipboard, std::filesystem::temp_directory_path(), '.'};
    form.setExportEnabled(false);
    form.form().setText("AEdit4", "2.4");
    form.form().setText("AEdit6", "6");
    form.filterTypeClicked(FilterType::Cohn);
    ASSERT_TRUE(form.lastCalculationComplete());
    const LadderModel m = ladderFromDesign(form.state(), 20);
    const double fm = form.state().fm;
    const auto x = exactFigures(m, fm);
    ASSERT_TRUE(x);
    ASSERT_TRUE(x->rippleDb);
    const ComplexResponse r = sweepLadder(m, {fm - 5000, fm + 5000, kMaxResponsePoints});
    std::vector<double> loss;
    for (const auto& s : r.s) loss.push_back(-magnitudeDb(s.s21));
    const auto dense = readPassband({r.fHz, loss});
    ASSERT_TRUE(dense && dense->band3);
    EXPECT_NEAR(x->ilDb, dense->ilDb, 1e-6);
    EXPECT_NEAR(*x->levels[0].lowHz, dense->band3->lowHz, 0.05);
    EXPECT_NEAR(*x->levels[0].highHz, dense->band3->highHz, 0.05);
    EXPECT_NEAR(*x->rippleDb, dense->rippleDb, 1e-4);
    EXPECT_GT(*x->rippleDb, 3);
    ASSERT_EQ(x->dips.size(), dense->dips.size());
    ASSERT_EQ(x->dips.size(), 1u);
    EXPECT_NEAR(x->dips[0].hz, dense->dips[0].hz, 0.1);
    EXPECT_NEAR(x->dips[0].depthDb, dense->dips[0].depthDb, 1e-4);
    EXPECT_NEAR(x->dips[0].edges.lowHz, dense->dips[0].edges.lowHz, 0.05);
    // The sampled tolerance figures follow the same definition.
    const auto t = responseFigures(loss, r.fHz, 0);
    ASSERT_TRUE(t);
    EXPECT_EQ(*t->value[kBw3], dense->band3->widthHz());
    EXPECT_EQ(*t->value[kRipple], dense->rippleDb);

    // Both notes: the band is 9 % narrower than 2.4 kHz, and it dips.
    const auto notes = figureNotes(*x, 2400, '.');
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("9.1 % below the 2400 Hz asked"), std::string::npos) << notes[0];
    EXPECT_NE(notes[0].find("korvan-cli ladder --compensate bandwidth"), std::string::npos);
    EXPECT_NE(notes[1].find("Dip in the pass band: IL + 3.10 dB at 4998.442 kHz"),
              std::string::npos)
        << notes[1];
    EXPECT_TRUE(figureNotes(*x, 2183, '.').size() == 1); // within 5 %: no bandwidth note
}

// A 4-pole, 3 kHz Chebyshev at 1e14 Hz, where neighbouring doubles lie
// 0.016 Hz apart: the searches end and find the designed ripple.
TEST(passband_figures_test, exact_search_ends_at_the_largest_frequencies) {
    ScriptedMessages messages;
    messages.script(MsgAnswer::Yes); // the unusual Lm is meant
    RecordingClipboard clipboard;
    MainForm form{messages, clipboard, std::filesystem::temp_directory_path(), '.'};
    form.setExportEnabled(false);
    for (const auto& [field, text] : {std::pair{"AEdit1", "1000"},
                                      {"AEdit2", "100000000000"},
                                      {"AEdit3", "0"},
                                      {"AEdit6", "4"},
                                      {"AEdit8", "0"}})
        form.form().setText(field, text);
    form.calculateAll();
    ASSERT_TRUE(form.lastCalculationComplete());
    const auto start = std::chrono::steady_clock::now();
    const auto x = exactFigures(ladderFromDesign(form.state(), 0), form.state().fm);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_TRUE(x && x->rippleDb);
    EXPECT_NEAR(*x->rippleDb, 1.0, 1e-3);
    EXPECT_NEAR(*x->levels[0].bandwidthHz(), 3000, 5);
}

} // namespace
