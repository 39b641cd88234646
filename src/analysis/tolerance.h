#pragma once
// Tolerance analysis of a designed ladder: the design built from standard
// capacitor values, and a Monte Carlo run over random deviations of every
// crystal, capacitor and termination. Each trial draws from its own random
// stream, derived from the seed and the trial's number, and its results are
// kept by that number: the outcome for a seed does not depend on the number
// of threads or on which thread ran which trial.

#include "analysis/design_outcome.h"
#include "analysis/e_series.h"
#include "analysis/ladder_model.h"
#include "analysis/tolerance_figures.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvan::analysis {

enum class Distribution { Normal, Uniform };

// A normal spread with standard deviation `amount`, or a uniform one over
// +-`amount`.
struct Spread {
    double amount = 0;
    Distribution distribution = Distribution::Normal;
};

struct ToleranceSpreads {
    Spread fsHz;    // each crystal's series frequency, Hz
    Spread lmPct;   // each crystal's Lm, % (at that crystal's fs)
    Spread rmPct;   // each crystal's Rm, %
    Spread cpPct;   // each crystal's Cp, %
    Spread capPct;  // each Ck and Cs, % of its (snapped) value
    Spread termPct; // source and load resistance, each on its own, %
};

struct StandardChoice {
    ESeries series = ESeries::E12;
    bool pairs = false; // two values in parallel per capacitor
};
std::string standardChoiceName(const StandardChoice& choice); // "E12", "E24 pairs"

// One capacitor before and after snapping (F); `smallerF` is 0 unless pairs.
struct SnappedCapacitor {
    double designedF = 0;
    double largerF = 0;
    double smallerF = 0;
    double snappedF() const { return largerF + smallerF; }
};

struct StandardLadder {
    LadderModel ladder;
    std::vector<SnappedCapacitor> coupling; // per couplingF
    std::vector<SnappedCapacitor> tuning;   // per arm; designedF 0 where none
};
StandardLadder standardLadder(const LadderModel& ideal, const StandardChoice& choice);

// The design as the tolerance analysis sees it: its ladder, the sweep's
// frequencies and the loss allowance the sweep adds.
struct ToleranceDesign {
    LadderModel ladder;
    std::vector<double> frequencies;
    double allowanceDb = 0;
    // What the design was asked for: its 3 dB bandwidth, and the ripple
    // entered (none for types that take none, as Cohn and QER).
    double askedBw3Hz = 0;
    std::optional<double> askedRippleDb;
};
// The outcome's ladder, sweep frequencies and allowance, and what its
// inputs asked for.
ToleranceDesign toleranceDesign(const DesignOutcome& outcome);

// Yield limits; an empty one is not checked.
struct ToleranceLimits {
    std::optional<double> rippleMaxDb;
    std::optional<double> bw3Pct; // within +- of bw3ReferenceHz
    // What the 3 dB bandwidth is measured against: the one the design was
    // asked for (B3db), or, when empty, the nominal design's own.
    std::optional<double> bw3ReferenceHz;
    std::optional<double> ilMaxDb;
    std::optional<double> centreShiftHz; // within +-
};

// Limits from what the user asked of the design: the ripple entered plus
// 0.5 dB (Chebyshev/Butterworth; 1 dB for Cohn and QER, which take no
// ripple), and the 3 dB bandwidth within 5 % of the one asked (B3db).
ToleranceLimits suggestedLimits(const ToleranceDesign& design);

enum class LimitKind { Ripple, Bw3, Il, CentreShift };

// The 3 dB bandwidths [Hz] the bandwidth limit lets through, {low, high};
// the limit must be set.
std::pair<double, double> bw3Window(const ToleranceLimits& limits, double nominalBw3Hz);

// Whether figures keep one limit; nullopt when that limit is not set.
std::optional<bool> keepsLimit(const ResponseFigures& figures, const ToleranceLimits& limits,
                               LimitKind kind, double nominalBw3Hz);

struct ToleranceJob {
    ToleranceDesign design;
    std::optional<StandardChoice> standard; // trials start from snapped values
    ToleranceSpreads spreads;
    ToleranceLimits limits;
    long long trials = 1000;
    std::uint64_t seed = 1;
    int threads = 0; // 0: all cores
};

inline constexpr long long kMaxTrials = 1'000'000;
// The envelope's median is taken over the first this many trials, so that
// its memory stays bounded (20 000 x 501 floats); minimum and maximum cover
// every trial.
inline constexpr long long kMedianTrials = 20'000;

// Every reason why a job cannot run, as messages for the user; empty when
// it can.
std::vector<std::string> validateJob(const ToleranceJob& job);

struct FigureStats {
    long long count = 0; // trials in which the figure was reached
    double mean = 0, std = 0, p5 = 0, p50 = 0, p95 = 0;
};

struct Envelope {
    std::vector<double> f, minDb, medianDb, maxDb; // loss in dB, positive
};

struct ToleranceResult {
    long long trials = 0;    // asked for
    long long completed = 0; // run (less than trials after a cancel)
    long long failed = 0;    // faulting ladder or a response without figures
    long long passed = 0;    // within every limit
    bool cancelled = false;
    std::uint64_t seed = 0;
    int threads = 0;
    ResponseFigures nominal;
    double allowanceDb = 0;                  // in every loss, as the design's sweep adds it
    std::vector<double> nominalLossDb;       // the nominal design at the envelope's frequencies
    std::optional<ResponseFigures> standard; // the snapped design, when chosen
    std::array<FigureStats, kFigureCount> stats{};
    // The reached values of each figure over the good trials, in trial order.
    std::array<std::vector<double>, kFigureCount> samples;
    Envelope envelope;
    double yield() const { return completed > 0 ? static_cast<double>(passed) / completed : 0; }
};

struct RunControl {
    const std::atomic<bool>* cancel = nullptr;
    // (trials done, trials asked), from the calling thread, a few times a
    // second and once at the end.
    std::function<void(long long, long long)> progress;
};

// Runs a job that validateJob() accepts (throws std::invalid_argument
// otherwise) and blocks until it is done or cancelled.
ToleranceResult runTolerance(const ToleranceJob& job, const RunControl& control = {});

// The figures of one ladder over the design's frequencies, nullopt when it
// has none (3 dB band not inside the span, non-finite loss).
std::optional<ResponseFigures> ladderFigures(const ToleranceDesign& design,
                                             const LadderModel& ladder, double nominalCentreHz);

// Counts of `values` in `bins` equal bins from the smallest to the largest
// value (one bin of width 1 around them when all are equal); empty for no
// values.
struct Histogram {
    double lowest = 0, width = 0;
    std::vector<long long> counts;
};
Histogram histogram(const std::vector<double>& values, int bins);

} // namespace korvan::analysis
