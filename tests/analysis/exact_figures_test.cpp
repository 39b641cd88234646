#include "analysis/exact_figures.h"
#include "analysis/response_sweep.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace korvan;
using namespace korvan::analysis;

struct Design {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form{messages, clipboard, std::filesystem::temp_directory_path(), '.'};
    Design(FilterType type, const char* poles, const char* ripple, const char* rm,
           const char* fsKHz, const char* bwKHz) {
        form.setExportEnabled(false);
        form.form().setText("AEdit2", fsKHz);
        form.form().setText("AEdit4", bwKHz);
        form.form().setText("AEdit6", poles);
        form.form().setText("AEdit5", ripple);
        form.form().setText("AEdit8", rm);
        form.filterTypeClicked(type);
    }
};

double loss(const LadderModel& m, double f) {
    return -magnitudeDb(analyseLadder(m, f).s21);
}

// Every figure checked against the analysis itself: the edges lie on their
// level, nothing between them reaches it, no sample is below the insertion
// loss, no pass-band sample has more delay than the peak. A lossless
// Chebyshev ladder shows the ripple it was designed for.
TEST(exact_figures_test, figures_agree_with_a_dense_sweep) {
    const struct {
        FilterType type;
        const char *poles, *ripple, *rm;
        double expectedRippleDb, rippleTolDb;
        const char* fsKHz = "4998";
        const char* bwKHz = "3";
    } cases[] = {
        {FilterType::ChebyshevButterworth, "8", "1", "0", 1.0, 0.01},
        {FilterType::ChebyshevButterworth, "6", "0", "0", 0.0, 0.0},
        {FilterType::ChebyshevButterworth, "14", "0.1", "20", -1, 0},
        {FilterType::Cohn, "6", "1", "20", -1, 0},
        {FilterType::Qer, "10", "1", "12", -1, 0},
        // A crystal below 200 kHz: the search reaches down to 0 Hz.
        {FilterType::ChebyshevButterworth, "6", "1", "0", 1.0, 0.01, "60", "0.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.poles) + " poles, ripple " + c.ripple + ", Rm " + c.rm);
        Design d(c.type, c.poles, c.ripple, c.rm, c.fsKHz, c.bwKHz);
        ASSERT_TRUE(d.form.lastCalculationComplete());
        const LadderModel m = ladderFromDesign(d.form.state(), std::strtod(c.rm, nullptr));
        const double fm = d.form.state().fm;
        const auto figures = exactFigures(m, fm);
        ASSERT_TRUE(figures);
        const ExactFigures& x = *figures;
        EXPECT_NEAR(loss(m, x.ilHz), x.ilDb, 1e-9);
        EXPECT_GT(x.ilHz, 0);
        if (c.expectedRippleDb >= 0) {
            ASSERT_TRUE(x.rippleDb);
            EXPECT_NEAR(*x.rippleDb, c.expectedRippleDb, c.rippleTolDb);
        }

        for (std::size_t l = 0; l < kExactLevelsDb.size(); ++l) {
            const LevelEdges& e = x.levels[l];
            const double level = x.ilDb + kExactLevelsDb[l];
            if (!e.lowHz || !e.highHz) continue;
            EXPECT_GT(*e.lowHz, 0) << kExactLevelsDb[l];
            // Each edge within 0.01 Hz of its crossing.
            EXPECT_GT(loss(m, *e.lowHz - 0.01), level) << kExactLevelsDb[l];
            EXPECT_LT(loss(m, *e.lowHz + 0.01), level) << kExactLevelsDb[l];
            EXPECT_LT(loss(m, *e.highHz - 0.01), level) << kExactLevelsDb[l];
            EXPECT_GT(loss(m, *e.highHz + 0.01), level) << kExactLevelsDb[l];
            if (l > 0) {
                EXPECT_GT(*e.bandwidthHz(), *x.levels[l - 1].bandwidthHz());
            }
        }
        ASSERT_TRUE(x.levels[1].bandwidthHz());
        const double low = *x.levels[1].lowHz, high = *x.levels[1].highHz;
        const SweepSpan span{low, high, 20001};
        const ComplexResponse r = sweepLadder(m, span);
        for (std::size_t i = 1; i + 1 < r.size(); ++i) {
            const double l = -magnitudeDb(r.s[i].s21);
            ASSERT_GE(l, x.ilDb - 1e-6) << r.fHz[i]; // lossless minima tie to rounding
            ASSERT_LT(l, x.ilDb + 6) << r.fHz[i];
            ASSERT_LE(r.s[i].groupDelayS, *x.groupDelayPeakS * (1 + 1e-9)) << r.fHz[i];
        }
    }
}

} // namespace
