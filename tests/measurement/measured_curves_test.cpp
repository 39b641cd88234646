// The curves the overlay draws of a measurement, against the truth computed
// independently (extended-precision chain matrices): |S21| and |S11]
// renormalised from a pad fixture to the design's terminations, and the
// group delay from the measured phase.

#include "analysis/ladder_analysis.h"
#include "app/main_form.h"
#include "measurement/measured_curves.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "support/built_ladder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

namespace korvan::measurement {
namespace {

TEST(measured_curves_test, renormalised_curves_and_delay_match_the_truth) {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, std::filesystem::temp_directory_path(), '.');
    form.setExportEnabled(false);
    form.form().setText("AEdit6", "8");
    form.form().setText("AEdit4", "2.4");
    form.filterTypeClicked(FilterType::ChebyshevButterworth);
    const analysis::LadderModel design = analysis::ladderFromDesign(form.state(), 20);
    const double fm = form.state().fm;
    std::vector<double> f;
    for (int k = 0; k < 1601; ++k) f.push_back(fm - 5000 + 10000.0 * k / 1600);

    struct Case {
        const char* what;
        double padOhm;
        test::VnaFlaws flaws;
        double deepestDb;                   // compared down to this |S21|
        double dbTolerance, delayTolerance; // against the truth; relative for the delay
    } cases[] = {
        {"no noise, through 470 Ohm pads", 470, {0, 0, -300, -300, 1}, -120, 1e-5, 1e-6},
        {"the analyser's noise, through transformers", 0, {}, -50, 0.3, 0.3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture fixture;
        for (PortFixture* p : {&fixture.port1, &fixture.port2}) {
            p->kind = c.padOhm > 0 ? PortFixture::Kind::SeriesPad : PortFixture::Kind::Transformer;
            p->padOhm = c.padOhm;
            p->turnsRatio = std::sqrt(design.sourceOhm / 50);
        }
        const auto data =
            test::measureBuilt(design, design.sourceOhm, design.loadOhm, c.padOhm, f, c.flaws);
        const MeasuredCurves curves =
            measuredCurves(deembed(data, fixture), design.sourceOhm, design.loadOhm);
        ASSERT_TRUE(curves.atDesignTerminations);
        const auto analysed = analysis::analyseLadder(design, f, analysis::terminations(design));
        const std::size_t half = 8; // 1601 points over 100 apertures
        EXPECT_NEAR(curves.delayApertureHz, 2 * half * (f[1] - f[0]), 1e-9);
        int delays = 0;
        for (std::size_t i = half; i + half < f.size(); ++i) {
            const auto at = [&](double fi) {
                return test::sOf(test::ladderChain(design, fi), design.sourceOhm, design.loadOhm);
            };
            const auto s = at(f[i]);
            const double trueS21 = 20 * std::log10(std::abs(s[1]));
            if (trueS21 < c.deepestDb) continue;
            EXPECT_NEAR(curves.s21Db[i], trueS21, c.dbTolerance) << f[i];
            EXPECT_NEAR(curves.s11Db[i], 20 * std::log10(std::abs(s[0])), c.padOhm > 0 ? 1e-5 : 3.0)
                << f[i];
            // The delay over the aperture: the phase turn between its ends.
            const double turn = std::arg(at(f[i + half])[1] / at(f[i - half])[1]);
            const double want = -turn / (2 * std::numbers::pi * (f[i + half] - f[i - half]));
            if (trueS21 > -6 && std::isfinite(curves.delayS[i])) {
                EXPECT_NEAR(curves.delayS[i] / want, 1, c.delayTolerance) << f[i];
                // ... which the analysis's own delay (at the centre) follows closely.
                EXPECT_NEAR(curves.delayS[i] / analysed[i].groupDelayS, 1, 0.3) << f[i];
                ++delays;
            }
        }
        EXPECT_GT(delays, 200);
    }
}

} // namespace
} // namespace korvan::measurement
