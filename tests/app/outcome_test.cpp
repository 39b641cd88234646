// The outcome of each calculation and the feed that carries it to the views:
// one immutable outcome per completed calculation, none after a stop, the
// loss the sweep used, and the exact figures searched once per calculation.

#include "analysis/outcome_feed.h"
#include "app/main_form.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using namespace korvan;
using analysis::DesignOutcome;
using analysis::OutcomeFeed;
using analysis::OutcomePtr;

class OutcomeTest : public ::testing::Test {
  protected:
    explicit OutcomeTest(char separator = '.') : form(messages, clipboard, dir.path(), separator) {
        form.setExportEnabled(false);
    }

    test::TempDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form;
};

// What every calculation leaves: an outcome exactly when it ran to its end,
// never the one of an earlier calculation.
TEST_F(OutcomeTest, one_outcome_per_completed_calculation_none_after_a_stop) {
    const struct {
        const char* field;
        const char* text;
        bool yes; // answer to the plausibility question
        bool complete;
    } steps[] = {
        {"AEdit6", "8", false, true},      {"AEdit2", "", false, false},  // rejected input
        {"AEdit2", "4998", false, true},                                  // complete again
        {"AEdit2", "1e999", false, false},                                // overflow: a fault
        {"AEdit2", "4998", false, true},   {"AEdit4", "0", false, false}, // zero bandwidth
    };
    OutcomePtr previous;
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.field) + " = '" + step.text + "'");
        form.form().setText(step.field, step.text);
        form.calculateClicked();
        EXPECT_EQ(form.lastCalculationComplete(), step.complete);
        EXPECT_EQ(form.outcome() != nullptr, step.complete);
        EXPECT_EQ(form.outcomes().current(), form.outcome());
        if (form.outcome()) {
            EXPECT_NE(form.outcome(), previous);
            EXPECT_EQ(form.outcome()->state().fm, form.state().fm);
            EXPECT_EQ(form.outcome()->state().RespS21, form.state().RespS21);
            previous = form.outcome();
        }
    }
}

// The outcome keeps the loss the calculation's sweep read and what the
// sweep drew, whatever the live state does afterwards: a repaint re-sweeps
// with whatever the loss field holds now.
TEST_F(OutcomeTest, outcome_stays_as_calculated_while_the_plot_follows_the_field) {
    const struct {
        const char* typed;
        double rmOhm;
    } cases[] = {{"20", 20}, {"", 0}, {"12.5", 12.5}, {"0", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("Rm '") + c.typed + "'");
        form.form().setText("AEdit8", c.typed);
        form.calculateClicked();
        const OutcomePtr outcome = form.outcome();
        ASSERT_TRUE(outcome);
        EXPECT_EQ(outcome->rmOhm(), c.rmOhm);
        for (const auto& arm : outcome->ladder().arms)
            for (const auto& crystal : arm.crystals) EXPECT_EQ(crystal.rmOhm, c.rmOhm);
        const auto s21 = outcome->state().RespS21;
        const double ilMin = outcome->state().ILmin;

        form.form().setText("AEdit8", "80");
        form.repaint();
        form.traceCheckBoxClicked(1, true);
        EXPECT_NE(form.state().ILmin, ilMin);
        EXPECT_EQ(outcome->state().RespS21, s21);
        EXPECT_EQ(outcome->state().ILmin, ilMin);
        EXPECT_EQ(outcome->rmOhm(), c.rmOhm);
        EXPECT_EQ(form.outcome(), outcome); // no calculation, no new outcome
    }
}

class CommaOutcomeTest : public OutcomeTest {
  protected:
    CommaOutcomeTest() : OutcomeTest(',') {}
};

TEST_F(CommaOutcomeTest, loss_is_read_with_the_separator_in_use) {
    form.form().setText("AEdit8", "12,5");
    form.calculateClicked();
    ASSERT_TRUE(form.outcome());
    EXPECT_EQ(form.outcome()->rmOhm(), 12.5);
    // The labels show "3,014   "-style numbers: still read as shown.
    EXPECT_TRUE(form.outcome()->labelBandwidthsHz()[0]);
    EXPECT_TRUE(form.outcome()->labelOffsetsHz()[0]);
}

// However many views ask, the search runs once per calculation; from
// several threads at once too.
TEST_F(OutcomeTest, exact_figures_are_searched_once_per_calculation) {
    for (int calculation = 0; calculation < 2; ++calculation) {
        form.calculateClicked();
        const OutcomePtr outcome = form.outcome();
        ASSERT_TRUE(outcome);
        const long long before = DesignOutcome::exactSearches();
        std::vector<std::thread> readers;
        for (int t = 0; t < 4; ++t)
            readers.emplace_back([&outcome] {
                for (int i = 0; i < 3; ++i) (void)outcome->exact();
            });
        for (auto& r : readers) r.join();
        EXPECT_EQ(DesignOutcome::exactSearches() - before, 1);
        ASSERT_TRUE(outcome->exact());
        EXPECT_EQ(&*outcome->exact(), &*outcome->exact());
        // The figures are those of the outcome's own ladder.
        EXPECT_NEAR(outcome->exact()->ilHz, outcome->state().fm, 2000);
    }
}

// The feed tells its listeners once per event that changed the outcome, in
// order, and never after a subscription ended (also one ended from within).
TEST_F(OutcomeTest, feed_tells_each_change_once) {
    std::vector<std::pair<char, OutcomePtr>> heard;
    OutcomeFeed::Subscription b;
    auto a = form.outcomes().subscribe([&](const OutcomePtr& o) { heard.emplace_back('a', o); });
    b = form.outcomes().subscribe([&](const OutcomePtr& o) {
        heard.emplace_back('b', o);
        if (!o) b.reset(); // ends itself on the first stop
    });

    form.calculateClicked();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0], std::make_pair('a', form.outcome()));
    EXPECT_EQ(heard[1], std::make_pair('b', form.outcome()));

    // Events that calculate nothing change nothing.
    form.lmCmClicked(1);
    form.lmCmClicked(0);
    form.traceCheckBoxClicked(2, true);
    form.repaint();
    EXPECT_EQ(heard.size(), 2u);

    form.form().setText("AEdit4", "");
    form.calculateClicked(); // stopped: both hear null, b leaves
    form.calculateClicked(); // stopped again: no change
    form.form().setText("AEdit4", "3");
    form.calculateClicked();
    ASSERT_EQ(heard.size(), 5u);
    EXPECT_EQ(heard[2], std::make_pair('a', OutcomePtr{}));
    EXPECT_EQ(heard[3], std::make_pair('b', OutcomePtr{}));
    EXPECT_EQ(heard[4], std::make_pair('a', form.outcome()));

    a.reset();
    form.calculateClicked();
    EXPECT_EQ(heard.size(), 5u);
}

TEST(outcome_feed_test, a_subscription_may_outlive_its_feed) {
    OutcomeFeed::Subscription kept;
    int calls = 0;
    {
        OutcomeFeed feed;
        kept = feed.subscribe([&](const OutcomePtr&) { ++calls; });
        OutcomeFeed::Subscription moved = std::move(kept);
        kept = std::move(moved);
        feed.publish(nullptr); // current already
        EXPECT_EQ(calls, 0);
    }
    kept.reset();
    kept.reset();
    EXPECT_EQ(calls, 0);
}

} // namespace
