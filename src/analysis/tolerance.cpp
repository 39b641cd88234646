#include "analysis/tolerance.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace korvan::analysis {

namespace {

// SplitMix64: a fast generator with a full 64-bit state whose outputs pass
// the usual batteries; one per trial, so nothing is shared between threads.
std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

class TrialRandom {
  public:
    TrialRandom(std::uint64_t seed, std::uint64_t trial)
        : state_(mix(seed + 0x9E3779B97F4A7C15ULL) ^ mix(trial * 0xD1B54A32D192ED03ULL + 1)) {}

    // One deviate of the spread; every draw is made even when the amount is
    // 0, so that a spread switched on or off leaves the other draws alone.
    double deviate(const Spread& spread) {
        if (spread.distribution == Distribution::Uniform)
            return (2 * uniform() - 1) * spread.amount;
        // Box-Muller; 1 - u lies in (0, 1], so the logarithm is finite.
        const double r = std::sqrt(-2 * std::log(1 - uniform()));
        return r * std::cos(2 * std::numbers::pi * uniform()) * spread.amount;
    }

  private:
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    std::uint64_t next() {
        state_ += 0x9E3779B97F4A7C15ULL;
        return mix(state_);
    }
    std::uint64_t state_;
};

bool finitePositive(double v) {
    return std::isfinite(v) && v > 0;
}
bool finiteNonNegative(double v) {
    return std::isfinite(v) && v >= 0;
}

// Whether the ladder can be analysed: every value finite, reactances and
// terminations positive, losses and holder capacitances not negative.
bool ladderUsable(const LadderModel& m) {
    if (m.poles() < 2 || m.couplingF.size() + 1 != m.arms.size()) return false;
    if (!finitePositive(m.sourceOhm) || !finitePositive(m.loadOhm)) return false;
    for (const SeriesArm& arm : m.arms) {
        if (arm.crystals.empty() || !finiteNonNegative(arm.csF)) return false;
        for (const Crystal& x : arm.crystals)
            if (!finitePositive(x.lmH) || !finitePositive(x.cmF) || !finiteNonNegative(x.rmOhm) ||
                !finiteNonNegative(x.cpF))
                return false;
    }
    return std::all_of(m.couplingF.begin(), m.couplingF.end(), finitePositive);
}

// The trial's ladder from the starting one, in a fixed order of draws.
void drawTrial(const LadderModel& start, const ToleranceSpreads& sp, TrialRandom& rng,
               LadderModel& trial) {
    for (std::size_t i = 0; i < start.arms.size(); ++i) {
        const auto& from = start.arms[i].crystals;
        auto& to = trial.arms[i].crystals;
        for (std::size_t j = 0; j < from.size(); ++j) {
            const Crystal& x = from[j];
            const double fs0 = 1 / (2 * std::numbers::pi * std::sqrt(x.lmH * x.cmF));
            const double fsFactor = 1 + rng.deviate(sp.fsHz) / fs0;
            const double lmFactor = 1 + rng.deviate(sp.lmPct) / 100;
            to[j].lmH = x.lmH * lmFactor;
            // Lm' Cm' (2 pi fs')^2 = 1 with fs' = fs0 * fsFactor.
            to[j].cmF = x.cmF / (lmFactor * fsFactor * fsFactor);
            to[j].rmOhm = x.rmOhm * (1 + rng.deviate(sp.rmPct) / 100);
            to[j].cpF = x.cpF * (1 + rng.deviate(sp.cpPct) / 100);
        }
    }
    for (std::size_t i = 0; i < start.arms.size(); ++i)
        trial.arms[i].csF = start.arms[i].csF * (1 + rng.deviate(sp.capPct) / 100);
    for (std::size_t i = 0; i < start.couplingF.size(); ++i)
        trial.couplingF[i] = start.couplingF[i] * (1 + rng.deviate(sp.capPct) / 100);
    trial.sourceOhm = start.sourceOhm * (1 + rng.deviate(sp.termPct) / 100);
    trial.loadOhm = start.loadOhm * (1 + rng.deviate(sp.termPct) / 100);
}

bool withinLimits(const ResponseFigures& r, const ToleranceLimits& lim, double nominalBw3) {
    for (const LimitKind kind :
         {LimitKind::Ripple, LimitKind::Il, LimitKind::Bw3, LimitKind::CentreShift})
        if (keepsLimit(r, lim, kind, nominalBw3) == false) return false;
    return true;
}

FigureStats statistics(std::vector<double> values) {
    FigureStats s;
    s.count = static_cast<long long>(values.size());
    if (values.empty()) return s;
    // About the first value, so that equal values give exactly their value
    // and a spread of exactly 0.
    const double origin = values.front();
    double sum = 0;
    for (double v : values) sum += v - origin;
    s.mean = origin + sum / static_cast<double>(values.size());
    double squares = 0;
    for (double v : values) squares += (v - s.mean) * (v - s.mean);
    s.std = values.size() > 1 ? std::sqrt(squares / static_cast<double>(values.size() - 1)) : 0;
    std::sort(values.begin(), values.end());
    // Linear between the order statistics around (count - 1) * p.
    const auto quantile = [&](double p) {
        const double h = static_cast<double>(values.size() - 1) * p;
        const auto lo = static_cast<std::size_t>(std::floor(h));
        const std::size_t hi = std::min(lo + 1, values.size() - 1);
        return values[lo] + (h - static_cast<double>(lo)) * (values[hi] - values[lo]);
    };
    s.p5 = quantile(0.05);
    s.p50 = quantile(0.5);
    s.p95 = quantile(0.95);
    return s;
}

std::string spreadProblem(const char* what, const Spread& s, double max, const char* unit) {
    std::ostringstream out;
    if (!std::isfinite(s.amount) || s.amount < 0)
        out << "The spread of " << what << " must be 0 or more.";
    else if (s.amount > max)
        out << "The spread of " << what << " (" << s.amount << unit << ") is larger than " << max
            << unit << ", which makes no sense for a built filter.";
    return out.str();
}

} // namespace

ToleranceLimits suggestedLimits(const ToleranceDesign& d) {
    ToleranceLimits lim;
    lim.rippleMaxDb = (d.askedRippleDb ? std::max(0.0, *d.askedRippleDb) : 0.5) + 0.5;
    lim.bw3Pct = 5;
    if (d.askedBw3Hz > 0) lim.bw3ReferenceHz = d.askedBw3Hz;
    return lim;
}

std::pair<double, double> bw3Window(const ToleranceLimits& lim, double nominalBw3) {
    const double reference = lim.bw3ReferenceHz.value_or(nominalBw3);
    const double half = lim.bw3Pct.value_or(0) / 100 * reference;
    return {reference - half, reference + half};
}

std::optional<bool> keepsLimit(const ResponseFigures& r, const ToleranceLimits& lim, LimitKind kind,
                               double nominalBw3) {
    const auto& v = r.value;
    switch (kind) {
    case LimitKind::Ripple:
        if (!lim.rippleMaxDb) return std::nullopt;
        return v[kRipple] && *v[kRipple] <= *lim.rippleMaxDb;
    case LimitKind::Il:
        if (!lim.ilMaxDb) return std::nullopt;
        return v[kIL] && *v[kIL] <= *lim.ilMaxDb;
    case LimitKind::Bw3: {
        if (!lim.bw3Pct) return std::nullopt;
        const auto [low, high] = bw3Window(lim, nominalBw3);
        return v[kBw3] && *v[kBw3] >= low && *v[kBw3] <= high;
    }
    case LimitKind::CentreShift:
        if (!lim.centreShiftHz) return std::nullopt;
        return v[kCentreShift] && std::abs(*v[kCentreShift]) <= *lim.centreShiftHz;
    }
    return std::nullopt;
}

std::string standardChoiceName(const StandardChoice& choice) {
    return std::string(seriesName(choice.series)) + (choice.pairs ? " pairs" : "");
}

StandardLadder standardLadder(const LadderModel& ideal, const StandardChoice& choice) {
    const auto snap = [&](double c) {
        SnappedCapacitor s{c, 0, 0};
        if (c <= 0) return s;
        if (choice.pairs) {
            const ParallelPair p = nearestPair(c, choice.series);
            s.largerF = p.larger;
            s.smallerF = p.smaller;
        } else {
            s.largerF = nearestValue(c, choice.series);
        }
        return s;
    };
    StandardLadder out{ideal, {}, {}};
    for (std::size_t i = 0; i < ideal.couplingF.size(); ++i) {
        out.coupling.push_back(snap(ideal.couplingF[i]));
        out.ladder.couplingF[i] = out.coupling.back().snappedF();
    }
    for (std::size_t i = 0; i < ideal.arms.size(); ++i) {
        out.tuning.push_back(snap(ideal.arms[i].csF));
        out.ladder.arms[i].csF = out.tuning.back().snappedF();
    }
    return out;
}

ToleranceDesign toleranceDesign(const DesignOutcome& outcome) {
    const DesignState& s = outcome.state();
    const bool rippleEntered = !s.IsCohn && !s.IsQER;
    return {outcome.ladder(), outcome.sweepHz(), outcome.lossAllowanceDb(), s.B3db,
            rippleEntered ? std::optional<double>(s.PBripple) : std::nullopt};
}

std::optional<ResponseFigures> ladderFigures(const ToleranceDesign& design,
                                             const LadderModel& ladder, double nominalCentreHz) {
    if (!ladderUsable(ladder)) return std::nullopt;
    LossSweep sweep(design.frequencies, design.allowanceDb);
    std::vector<double> loss(design.frequencies.size());
    if (!sweep.run(ladder, loss)) return std::nullopt;
    return responseFigures(loss, design.frequencies, nominalCentreHz);
}

std::vector<std::string> validateJob(const ToleranceJob& job) {
    std::vector<std::string> problems;
    const auto add = [&](std::string text) {
        if (!text.empty()) problems.push_back(std::move(text));
    };
    const auto& freqs = job.design.frequencies;
    std::optional<ResponseFigures> nominal;
    if (!ladderUsable(job.design.ladder) || freqs.size() < 3 ||
        !std::all_of(freqs.begin(), freqs.end(), finitePositive))
        add("The design is not complete: calculate a filter first.");
    else if (!(nominal = ladderFigures(job.design, job.design.ladder, 0)))
        add("The designed filter's 3 dB band does not lie inside the span: widen the span and "
            "calculate again.");
    if (job.trials < 1 || job.trials > kMaxTrials)
        add("The number of trials must lie between 1 and " + std::to_string(kMaxTrials) + ".");
    if (job.threads < 0 || job.threads > 256)
        add("The number of threads must lie between 0 (all cores) and 256.");
    const ToleranceSpreads& sp = job.spreads;
    const double bw3 = nominal ? *nominal->value[kBw3] : std::numeric_limits<double>::infinity();
    add(spreadProblem("the crystal frequency", sp.fsHz, bw3, " Hz"));
    add(spreadProblem("Lm", sp.lmPct, 100, " %"));
    add(spreadProblem("Rm", sp.rmPct, 100, " %"));
    add(spreadProblem("Cp", sp.cpPct, 100, " %"));
    add(spreadProblem("the capacitors", sp.capPct, 100, " %"));
    add(spreadProblem("the terminations", sp.termPct, 100, " %"));
    const auto limit = [&](const std::optional<double>& v, const char* what, bool zeroOk) {
        if (v && (!std::isfinite(*v) || *v < 0 || (!zeroOk && *v == 0)))
            add(std::string("The limit of ") + what +
                (zeroOk ? " must be 0 or more." : " must be more than 0."));
    };
    limit(job.limits.rippleMaxDb, "the ripple", true);
    limit(job.limits.bw3Pct, "the 3 dB bandwidth", false);
    limit(job.limits.bw3ReferenceHz, "the asked 3 dB bandwidth", false);
    limit(job.limits.ilMaxDb, "the insertion loss", true);
    limit(job.limits.centreShiftHz, "the centre shift", true);
    return problems;
}

ToleranceResult runTolerance(const ToleranceJob& job, const RunControl& control) {
    if (const auto problems = validateJob(job); !problems.empty()) {
        std::string text;
        for (const auto& p : problems) text += (text.empty() ? "" : "\n") + p;
        throw std::invalid_argument(text);
    }
    const ToleranceDesign& design = job.design;
    const std::size_t points = design.frequencies.size();
    const long long n = job.trials;

    ToleranceResult result;
    result.trials = n;
    result.seed = job.seed;
    result.nominal = *ladderFigures(design, design.ladder, 0);
    result.allowanceDb = design.allowanceDb;
    result.nominalLossDb.resize(points);
    LossSweep(design.frequencies, design.allowanceDb).run(design.ladder, result.nominalLossDb);
    const double centre = result.nominal.centreHz;
    result.nominal.value[kCentreShift] = 0.0;
    const double nominalBw3 = *result.nominal.value[kBw3];

    LadderModel start = design.ladder;
    if (job.standard) {
        start = standardLadder(design.ladder, *job.standard).ladder;
        result.standard = ladderFigures(design, start, centre);
    }

    int threads =
        job.threads > 0 ? job.threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = static_cast<int>(std::clamp<long long>(threads, 1, n));
    result.threads = threads;

    // Per trial, written only by the thread that runs it.
    enum : std::uint8_t { kNotRun, kGood, kFailed };
    std::vector<std::uint8_t> status(static_cast<std::size_t>(n), kNotRun);
    std::vector<std::array<double, kFigureCount>> values(static_cast<std::size_t>(n));
    std::vector<std::uint8_t> reached(static_cast<std::size_t>(n), 0);
    const auto medianTrials = static_cast<std::size_t>(std::min(n, kMedianTrials));
    // The losses kept for the medians, in blocks of 16 frequencies, each
    // block holding all trials one after the other: a trial writes whole
    // cache lines, and a block's medians read one contiguous stretch.
    constexpr std::size_t kColumns = 16;
    const std::size_t blocks = (points + kColumns - 1) / kColumns;
    std::vector<float> kept(blocks * medianTrials * kColumns);
    const auto keptAt = [&](std::size_t trial, std::size_t k) {
        return ((k / kColumns) * medianTrials + trial) * kColumns + k % kColumns;
    };
    std::vector<std::vector<double>> lowest(static_cast<std::size_t>(threads)),
        highest(static_cast<std::size_t>(threads));

    std::atomic<long long> next{0}, done{0};
    std::atomic<bool> failed{false};
    std::atomic<int> running{threads};
    std::mutex mutex;
    std::condition_variable finished;
    constexpr long long kBlock = 16;

    const auto work = [&](std::size_t worker) {
        LossSweep sweep(design.frequencies, design.allowanceDb);
        std::vector<double> loss(points);
        LadderModel trial = start;
        auto& lo = lowest[worker];
        auto& hi = highest[worker];
        lo.assign(points, std::numeric_limits<double>::infinity());
        hi.assign(points, -std::numeric_limits<double>::infinity());
        bool stop = false;
        while (!stop) {
            const long long first = next.fetch_add(kBlock);
            if (first >= n) break;
            for (long long t = first; t < std::min(first + kBlock, n); ++t) {
                if (failed.load(std::memory_order_relaxed) ||
                    (control.cancel && control.cancel->load(std::memory_order_relaxed))) {
                    stop = true;
                    break;
                }
                const auto index = static_cast<std::size_t>(t);
                TrialRandom rng(job.seed, static_cast<std::uint64_t>(t));
                drawTrial(start, job.spreads, rng, trial);
                std::optional<ResponseFigures> figures;
                if (ladderUsable(trial) && sweep.run(trial, loss))
                    figures = responseFigures(loss, design.frequencies, centre);
                if (figures) {
                    status[index] = kGood;
                    for (int f = 0; f < kFigureCount; ++f)
                        if (const auto& v = figures->value[static_cast<std::size_t>(f)]) {
                            values[index][static_cast<std::size_t>(f)] = *v;
                            reached[index] |= static_cast<std::uint8_t>(1u << f);
                        }
                    for (std::size_t k = 0; k < points; ++k) {
                        lo[k] = std::min(lo[k], loss[k]);
                        hi[k] = std::max(hi[k], loss[k]);
                    }
                    if (index < medianTrials)
                        for (std::size_t k = 0; k < points; ++k)
                            kept[keptAt(index, k)] = static_cast<float>(loss[k]);
                } else {
                    status[index] = kFailed;
                }
                done.fetch_add(1, std::memory_order_relaxed);
            }
        }
    };
    // Nothing may leave a thread's function: the first failure stops the
    // others and is thrown again here once all have ended.
    std::exception_ptr failure;
    const auto guardedWork = [&](std::size_t worker) {
        try {
            work(worker);
        } catch (...) {
            const std::lock_guard lock(mutex);
            if (!failure) failure = std::current_exception();
            failed = true;
        }
        if (running.fetch_sub(1) == 1) {
            std::lock_guard lock(mutex);
            finished.notify_all();
        }
    };

    std::vector<std::thread> pool;
    for (int w = 0; w < threads; ++w) pool.emplace_back(guardedWork, static_cast<std::size_t>(w));
    {
        std::unique_lock lock(mutex);
        while (running.load() > 0) {
            finished.wait_for(lock, std::chrono::milliseconds(100));
            lock.unlock();
            if (control.progress) control.progress(done.load(), n);
            lock.lock();
        }
    }
    for (auto& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
    if (control.progress) control.progress(done.load(), n);

    // Everything below goes in trial order, whatever thread ran a trial.
    std::array<std::vector<double>, kFigureCount> samples;
    for (long long t = 0; t < n; ++t) {
        const auto i = static_cast<std::size_t>(t);
        if (status[i] == kNotRun) continue;
        ++result.completed;
        if (status[i] == kFailed) {
            ++result.failed;
            continue;
        }
        ResponseFigures r;
        for (std::size_t f = 0; f < kFigureCount; ++f)
            if (reached[i] & (1u << f)) {
                r.value[f] = values[i][f];
                samples[f].push_back(values[i][f]);
            }
        if (withinLimits(r, job.limits, nominalBw3)) ++result.passed;
    }
    result.cancelled = result.completed < n;
    for (std::size_t f = 0; f < kFigureCount; ++f) {
        result.stats[f] = statistics(samples[f]);
        result.samples[f] = std::move(samples[f]);
    }

    std::vector<std::size_t> good;
    for (std::size_t t = 0; t < medianTrials; ++t)
        if (status[t] == kGood) good.push_back(t);
    // Without a good trial in the median's window (possible only after a
    // cancel) there is no honest median, and no envelope is given.
    if (!good.empty()) {
        Envelope& e = result.envelope;
        e.f = design.frequencies;
        e.minDb.assign(points, std::numeric_limits<double>::infinity());
        e.maxDb.assign(points, -std::numeric_limits<double>::infinity());
        for (int w = 0; w < threads; ++w)
            for (std::size_t k = 0; k < points; ++k) {
                e.minDb[k] = std::min(e.minDb[k], lowest[static_cast<std::size_t>(w)][k]);
                e.maxDb[k] = std::max(e.maxDb[k], highest[static_cast<std::size_t>(w)][k]);
            }
        // The blocks are shared out among the threads (each median is its
        // own column's alone, so the split does not change it).
        e.medianDb.resize(points);
        std::atomic<std::size_t> nextBlock{0};
        const auto medians = [&] {
            std::vector<std::vector<float>> columns(kColumns);
            for (std::size_t k0; (k0 = nextBlock.fetch_add(kColumns)) < points;) {
                const std::size_t width = std::min(kColumns, points - k0);
                for (auto& c : columns) c.clear();
                for (std::size_t t : good)
                    for (std::size_t j = 0; j < width; ++j)
                        columns[j].push_back(kept[keptAt(t, k0 + j)]);
                for (std::size_t j = 0; j < width; ++j) {
                    auto& c = columns[j];
                    const auto mid = c.begin() + static_cast<std::ptrdiff_t>(c.size() / 2);
                    std::nth_element(c.begin(), mid, c.end());
                    double m = *mid;
                    if (c.size() % 2 == 0) m = (m + *std::max_element(c.begin(), mid)) / 2;
                    e.medianDb[k0 + j] = m;
                }
            }
        };
        std::exception_ptr helperFailure;
        const auto guardedMedians = [&] {
            try {
                medians();
            } catch (...) {
                const std::lock_guard lock(mutex);
                if (!helperFailure) helperFailure = std::current_exception();
            }
        };
        std::vector<std::thread> helpers;
        for (int w = 1; w < threads; ++w) helpers.emplace_back(guardedMedians);
        guardedMedians();
        for (auto& t : helpers) t.join();
        if (helperFailure) std::rethrow_exception(helperFailure);
    }
    return result;
}

Histogram histogram(const std::vector<double>& values, int bins) {
    Histogram h;
    if (values.empty() || bins < 1) return h;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    h.width = *hi > *lo ? (*hi - *lo) / bins : 1.0;
    h.lowest = *hi > *lo ? *lo : *lo - 0.5;
    if (*hi == *lo) bins = 1;
    h.counts.assign(static_cast<std::size_t>(bins), 0);
    for (double v : values) {
        const auto bin = static_cast<long long>((v - h.lowest) / h.width);
        ++h.counts[static_cast<std::size_t>(std::clamp<long long>(bin, 0, bins - 1))];
    }
    return h;
}

} // namespace korvan::analysis
