#include "analysis/tolerance.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "response/sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace korvan;
using namespace korvan::analysis;

struct Designed {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form{messages, clipboard, std::filesystem::temp_directory_path(), '.'};
    ToleranceDesign design;

    Designed(FilterType type, const char* poles, const char* rm) {
        form.setExportEnabled(false);
        form.form().setText("AEdit6", poles);
        form.form().setText("AEdit8", rm);
        form.filterTypeClicked(type);
        if (form.outcome()) design = toleranceDesign(*form.outcome());
    }
};

ToleranceJob jobFor(const Designed& d, long long trials) {
    ToleranceJob job;
    job.design = d.design;
    job.trials = trials;
    job.seed = 12345;
    return job;
}

// The fast double-precision loss against the extended-precision analysis
// of the main window's sweep, at every sweep frequency.
TEST(tolerance_test, nominal_loss_matches_the_extended_sweep) {
    const struct {
        FilterType type;
        const char* poles;
        const char* rm;
    } cases[] = {{FilterType::ChebyshevButterworth, "8", "20"},
                 {FilterType::ChebyshevButterworth, "14", "0"},
                 {FilterType::Cohn, "6", "20"},
                 {FilterType::Qer, "10", "12"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.poles) + " poles, type " + std::to_string(int(c.type)));
        Designed d(c.type, c.poles, c.rm);
        ASSERT_TRUE(d.form.lastCalculationComplete());
        DesignState s = d.form.state();
        LossSweep sweep(d.design.frequencies, d.design.allowanceDb);
        std::vector<double> loss(d.design.frequencies.size());
        ASSERT_TRUE(sweep.run(d.design.ladder, loss));
        EXPECT_EQ(d.design.allowanceDb, s.Qu < 300000 ? 0.05 : 0.0);
        const auto rm = static_cast<long double>(std::strtod(c.rm, nullptr));
        for (std::size_t k = 0; k < loss.size(); ++k) {
            s.fEval = d.design.frequencies[k];
            response::calcCLadder(s, rm);
            ASSERT_NEAR(loss[k], -s.S21dB + d.design.allowanceDb, 1e-6) << k;
        }
    }
}

TEST(tolerance_test, figures_of_a_sampled_response) {
    // Two pass-band minima with a 0.8 dB hump between them; skirts rising
    // 10 dB per sample, so every crossing is interpolated.
    const std::vector<double> loss{90,  70,  50,  30, 10, 2.5, 1.0, 1.8, 1.6,
                                   1.0, 1.2, 3.5, 12, 31, 52,  75,  95};
    std::vector<double> f;
    for (std::size_t k = 0; k < loss.size(); ++k) f.push_back(1000 + 10.0 * k);
    const auto r = responseFigures(loss, f, 1080);
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(*r->value[kIL], 1.0);
    EXPECT_NEAR(*r->value[kRipple], 0.8, 1e-12);
    // 4 dB: between samples 4 (10) and 5 (2.5), and 11 (3.5) and 12 (12).
    const double lo3 = 1040 + 10 * (10 - 4.0) / 7.5, hi3 = 1110 + 10 * (4 - 3.5) / 8.5;
    EXPECT_NEAR(*r->value[kBw3], hi3 - lo3, 1e-9);
    EXPECT_NEAR(*r->value[kCentreShift], (lo3 + hi3) / 2 - 1080, 1e-9);
    const double lo20 = 1030 + 10 * (30 - 21.0) / 20, hi20 = 1120 + 10 * (21 - 12.0) / 19;
    EXPECT_NEAR(*r->value[kBw20], hi20 - lo20, 1e-9);
    const double lo60 = 1010 + 10 * (70 - 61.0) / 20, hi60 = 1140 + 10 * (61 - 52.0) / 23;
    EXPECT_NEAR(*r->value[kBw60], hi60 - lo60, 1e-9);

    // A span inside the 3 dB band has no figures; a level above the span's
    // edges has no bandwidth, without taking the others away.
    EXPECT_FALSE(responseFigures(std::vector<double>(f.size(), 1.0), f, 0));
    std::vector<double> shallow = loss;
    shallow.front() = shallow.back() = 50;
    const auto s = responseFigures(shallow, f, 0);
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->value[kBw60]);
    EXPECT_TRUE(s->value[kBw20]);
}

TEST(tolerance_test, zero_spreads_reproduce_the_nominal_design) {
    Designed d(FilterType::Qer, "8", "20");
    const ToleranceResult r = runTolerance(jobFor(d, 40));
    EXPECT_EQ(r.completed, 40);
    EXPECT_EQ(r.failed, 0);
    EXPECT_EQ(r.yield(), 1.0);
    for (int f = 0; f < kFigureCount; ++f) {
        ASSERT_EQ(r.samples[f].size(), 40u) << figureKey(Figure(f));
        for (double v : r.samples[f]) EXPECT_EQ(v, *r.nominal.value[f]) << figureKey(Figure(f));
        EXPECT_EQ(r.stats[f].std, 0);
    }
    EXPECT_EQ(r.envelope.minDb, r.envelope.maxDb);
}

TEST(tolerance_test, same_seed_same_results_for_any_thread_count) {
    Designed d(FilterType::ChebyshevButterworth, "8", "20");
    ToleranceJob job = jobFor(d, 500);
    job.spreads.fsHz = {40, Distribution::Normal};
    job.spreads.capPct = {5, Distribution::Uniform};
    job.spreads.termPct = {2, Distribution::Normal};
    job.standard = StandardChoice{ESeries::E24, true};
    job.limits.rippleMaxDb = 1.5;
    job.limits.bw3Pct = 5;
    job.threads = 1;
    const ToleranceResult one = runTolerance(job);
    EXPECT_GT(one.stats[kBw3].std, 0);
    EXPECT_GT(one.passed, 0);
    EXPECT_LT(one.passed, one.completed);
    for (int threads : {2, 4}) {
        job.threads = threads;
        const ToleranceResult r = runTolerance(job);
        EXPECT_EQ(r.threads, threads);
        EXPECT_EQ(r.passed, one.passed);
        EXPECT_EQ(r.failed, one.failed);
        EXPECT_EQ(r.samples, one.samples);
        EXPECT_EQ(r.envelope.minDb, one.envelope.minDb);
        EXPECT_EQ(r.envelope.medianDb, one.envelope.medianDb);
        EXPECT_EQ(r.envelope.maxDb, one.envelope.maxDb);
        for (int f = 0; f < kFigureCount; ++f) EXPECT_EQ(r.stats[f].p95, one.stats[f].p95);
    }
    job.seed += 1;
    EXPECT_NE(runTolerance(job).samples[kBw3], one.samples[kBw3]);
}

// With small crystal spreads the centre shift is nearly linear in the n
// frequency deviations: sigma = sigma_fs * sqrt(sum of squared partial
// derivatives), each found by moving one crystal alone.
TEST(tolerance_test, centre_shift_spread_follows_the_sensitivity) {
    Designed d(FilterType::ChebyshevButterworth, "6", "20");
    const double sigmaHz = 5, stepHz = 2;
    const auto nominal = ladderFigures(d.design, d.design.ladder, 0);
    ASSERT_TRUE(nominal);
    double sumSquares = 0;
    for (std::size_t i = 0; i < d.design.ladder.arms.size(); ++i) {
        LadderModel moved = d.design.ladder;
        Crystal& x = moved.arms[i].crystals[0];
        const double fs = 1 / (2 * std::acos(-1.0) * std::sqrt(x.lmH * x.cmF));
        x.cmF /= std::pow(1 + stepHz / fs, 2);
        const auto shifted = ladderFigures(d.design, moved, nominal->centreHz);
        ASSERT_TRUE(shifted);
        const double slope = *shifted->value[kCentreShift] / stepHz;
        sumSquares += slope * slope;
    }
    const double expected = sigmaHz * std::sqrt(sumSquares);
    ToleranceJob job = jobFor(d, 4000);
    job.spreads.fsHz = {sigmaHz, Distribution::Normal};
    const ToleranceResult r = runTolerance(job);
    EXPECT_NEAR(r.stats[kCentreShift].std, expected, 0.1 * expected);
    EXPECT_NEAR(r.stats[kCentreShift].mean, 0, 0.2 * expected);
}

TEST(tolerance_test, bad_inputs_are_refused_and_faulting_trials_counted) {
    Designed d(FilterType::ChebyshevButterworth, "8", "20");
    const struct {
        const char* what;
        void (*spoil)(ToleranceJob&);
    } refused[] = {
        {"no trials", [](ToleranceJob& j) { j.trials = 0; }},
        {"too many trials", [](ToleranceJob& j) { j.trials = kMaxTrials + 1; }},
        {"negative spread", [](ToleranceJob& j) { j.spreads.lmPct.amount = -1; }},
        {"500 %", [](ToleranceJob& j) { j.spreads.capPct.amount = 500; }},
        {"fs sigma above the bandwidth", [](ToleranceJob& j) { j.spreads.fsHz.amount = 5000; }},
        {"nan spread", [](ToleranceJob& j) { j.spreads.rmPct.amount = std::nan(""); }},
        {"zero bandwidth limit", [](ToleranceJob& j) { j.limits.bw3Pct = 0.0; }},
        {"no design", [](ToleranceJob& j) { j.design.ladder.arms.clear(); }},
        {"span inside the band",
         [](ToleranceJob& j) { j.design.frequencies.resize(j.design.frequencies.size() / 2); }},
    };
    for (const auto& c : refused) {
        ToleranceJob job = jobFor(d, 10);
        c.spoil(job);
        EXPECT_FALSE(validateJob(job).empty()) << c.what;
        EXPECT_THROW(runTolerance(job), std::invalid_argument) << c.what;
    }

    // Normal capacitor spreads of 60 % drive some capacitors negative.
    ToleranceJob job = jobFor(d, 300);
    job.spreads.capPct = {60, Distribution::Normal};
    const ToleranceResult r = runTolerance(job);
    EXPECT_GT(r.failed, 0);
    EXPECT_LT(r.failed, r.completed);
    for (const auto& s : r.stats) {
        EXPECT_TRUE(std::isfinite(s.mean) && std::isfinite(s.std) && std::isfinite(s.p95));
    }
    for (double v : r.envelope.maxDb) EXPECT_TRUE(std::isfinite(v));

    std::atomic<bool> cancel{true};
    const ToleranceResult none = runTolerance(job, {&cancel, {}});
    EXPECT_TRUE(none.cancelled);
    EXPECT_EQ(none.completed, 0);
}

TEST(tolerance_test, standard_values_snap_every_capacitor) {
    Designed d(FilterType::ChebyshevButterworth, "8", "20");
    const StandardLadder std12 = standardLadder(d.design.ladder, {ESeries::E12, false});
    ASSERT_EQ(std12.coupling.size(), 7u);
    for (std::size_t i = 0; i < std12.coupling.size(); ++i) {
        EXPECT_EQ(std12.ladder.couplingF[i],
                  nearestValue(d.design.ladder.couplingF[i], ESeries::E12));
        EXPECT_EQ(std12.coupling[i].smallerF, 0);
    }
    for (std::size_t i = 0; i < std12.tuning.size(); ++i)
        EXPECT_EQ(std12.ladder.arms[i].csF == 0, d.design.ladder.arms[i].csF == 0) << i;
    const StandardLadder pairs = standardLadder(d.design.ladder, {ESeries::E96, true});
    const auto ideal = ladderFigures(d.design, d.design.ladder, 0);
    const auto snapped = ladderFigures(d.design, pairs.ladder, ideal->centreHz);
    ASSERT_TRUE(snapped);
    // E96 pairs are within a fraction of a percent: the filter barely moves.
    EXPECT_NEAR(*snapped->value[kBw3], *ideal->value[kBw3], 0.01 * *ideal->value[kBw3]);
}

} // namespace
