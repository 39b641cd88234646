#include "model/clipboard.h"
#include "app/main_form.h"
#include "model/messages.h"
#include "response/ladder_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace korvan;

// The figures of a designed ladder worked out from the chain-matrix analysis
// with exact sample frequencies and a plain crossing search.
struct Independent {
    long double ilMin = 0;
    std::array<long double, 6> bandwidthHz{}; // 6, 20, 40, 60, 80, 100 dB
    long double ultAttn = 0;
};

Independent independentFigures(const DesignState& s, long double rm, bool lowQ) {
    Independent out;
    const long double fStart = s.fm - 500.0L * s.Span;
    const long double fStep = 2.0L * s.Span;
    std::array<long double, kSweepSamples> loss{};
    for (int k = 0; k < kSweepSamples; ++k)
        loss[k] = -test::referenceAnalysis(s, rm, fStart + k * fStep).s21dB + (lowQ ? 0.05L : 0);
    out.ilMin = *std::min_element(loss.begin(), loss.begin() + 500);

    const long double levels[] = {6, 20, 40, 60, 80, 100};
    for (int i = 0; i < 6; ++i) {
        const long double level = levels[i] + out.ilMin;
        if (loss[0] < level) continue;
        // Last crossing below the centre, first crossing above it.
        int lo = 249;
        while (lo > 0 && loss[lo - 1] <= level) --lo;
        int hi = 250;
        while (hi < 499 && loss[hi] < level) ++hi;
        if (lo == 0 || loss[hi] < level) continue;
        const auto at = [&](int a, int b) {
            return fStart + fStep * (a + (level - loss[a]) / (loss[b] - loss[a]));
        };
        out.bandwidthHz[i] = at(hi - 1, hi) - at(lo - 1, lo);
    }
    const long double far = -(test::referenceAnalysis(s, rm, s.fm + 200000).s21dB +
                              test::referenceAnalysis(s, rm, s.fm - 200000).s21dB) /
                            2;
    out.ultAttn = far - out.ilMin;
    return out;
}

long double number(const std::string& text, std::size_t from) {
    return std::strtold(text.c_str() + from, nullptr);
}

// Each figure shown is the independent one to within its last digit.
void expectAgreement(const MainForm& form, long double rm) {
    const FormModel& f = form.form();
    const DesignState& s = form.state();
    const Independent ref = independentFigures(s, rm, s.Qu < 300000);
    const std::string il = f.text("Label91");
    ASSERT_EQ(il.rfind("Insertion Loss= ", 0), 0u) << il;
    EXPECT_NEAR(number(il, 16), ref.ilMin, 0.005L + 1e-4L);
    for (int i = 0; i < 6; ++i) {
        const std::string bw = f.text(FormModel::label(21 + i));
        SCOPED_TRACE(bw);
        if (ref.bandwidthHz[i] == 0) // beyond the loss at the edge of the span
            EXPECT_EQ(bw, "----   ");
        else
            EXPECT_NEAR(number(bw, 0), ref.bandwidthHz[i] / 1000, 0.0005L + 0.0005L);
    }
    EXPECT_NEAR(-number(f.text("Label86"), 0), ref.ultAttn, 0.05L + 1e-3L);
}

struct Session {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form{messages, clipboard, std::filesystem::temp_directory_path(), '.'};
    Session() { form.setExportEnabled(false); }
};

// The default design: 62 mH, 4998 kHz, 4 pF, 20 Ohm, 8 poles, Chebyshev
// 1 dB, 3 kHz, span 10 kHz.
TEST(default_design_test, labels_agree_with_an_independent_analysis) {
    Session session;
    session.form.calculateClicked();
    ASSERT_TRUE(session.form.lastCalculationComplete());
    ASSERT_TRUE(session.messages.shown().empty());
    expectAgreement(session.form, 20);

    // Pinned: 1.22 dB loss, 3.014 kHz at 6 dB, 5.002 kHz at 60 dB; the span
    // edge (88 dB) does not reach the 100 dB level.
    const FormModel& f = session.form.form();
    const DesignState& s = session.form.state();
    EXPECT_EQ(f.text("Label90"), "97350");
    EXPECT_EQ(f.text("Label91"), "Insertion Loss= 1.22 db");
    const char* bandwidths[] = {"3.014   ", "3.309   ", "3.947   ",
                                "5.002   ", "6.719   ", "----   "};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(f.text(FormModel::label(21 + i)), bandwidths[i]);
    EXPECT_EQ(f.text("Label86"), "-154.7 db");
    EXPECT_EQ(s.UltAttnLineY, 777); // nint(5*154.70...) + 3, below the plot
    for (const char* name : {"Label84", "Label85", "Label86"})
        EXPECT_EQ(f.find(name)->fontColor, s.colours.ultAttn) << name;
}

// Other types, pole counts and spans designed by the real synthesis.
TEST(default_design_test, other_designs_agree_with_an_independent_analysis) {
    struct Case {
        FilterType type;
        const char* poles;
        const char* ripple;
        const char* span;
        const char* rm;
    };
    const Case cases[] = {
        {FilterType::ChebyshevButterworth, "2", "0.1", "10", "20"},
        {FilterType::ChebyshevButterworth, "5", "0", "8", "12"},
        {FilterType::ChebyshevButterworth, "14", "0.5", "12", "20"},
        {FilterType::Cohn, "6", "1", "10", "20"},
        {FilterType::Qer, "8", "1", "10", "20"},
        {FilterType::Qer, "12", "1", "15", "5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("type ") + std::to_string(static_cast<int>(c.type)) + ", " +
                     c.poles + " poles");
        Session session;
        FormModel& f = session.form.form();
        f.setText("AEdit6", c.poles);
        f.setText("AEdit5", c.ripple);
        f.setText("AEdit7", c.span);
        f.setText("AEdit8", c.rm);
        session.form.filterTypeClicked(c.type); // calculates
        for (const auto& shown : session.messages.shown())
            ADD_FAILURE() << shown.message.title << ": " << shown.message.text;
        ASSERT_TRUE(session.form.lastCalculationComplete());
        expectAgreement(session.form, std::strtold(c.rm, nullptr));
    }
}

} // namespace
