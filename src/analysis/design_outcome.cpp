#include "analysis/design_outcome.h"

#include "numeric/number_text.h"
#include "response/sweep.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <exception>

namespace korvan::analysis {

namespace {

constexpr int kFirstBandwidthLabel = 21; // the 6 dB level
constexpr int kFirstOffsetLabel = 46;    // Cs1's offset

std::atomic<long long> searches{0};

bool showsNumber(const FormModel& form, int label, char separator) {
    return numeric::parseNumber(form.text(FormModel::label(label)), separator).has_value();
}

} // namespace

LabelValues labelBandwidthsHz(const DesignState& s, const FormModel& form, char separator) {
    LabelValues out;
    for (std::size_t i = 0; i < out.size(); ++i)
        if (showsNumber(form, kFirstBandwidthLabel + static_cast<int>(i), separator))
            out[i] = s.BandwidthHz[i + 1];
    return out;
}

LabelValues labelOffsetsHz(const DesignState& s, const FormModel& form, char separator) {
    LabelValues out;
    if (s.IsCohn || s.IsQER) return out;
    for (std::size_t i = 0; i < out.size(); ++i)
        if (showsNumber(form, kFirstOffsetLabel + static_cast<int>(i), separator))
            out[i] = s.OffsetHz[i + 1];
    return out;
}

DesignOutcome::DesignOutcome(const DesignState& state, double rmOhm, const FormModel& form,
                             char separator)
    : state_(state), rmOhm_(rmOhm), ladder_(ladderFromDesign(state, rmOhm)),
      parts_(partsList(ladder_, state.fs)), sweepHz_(response::sweepFrequencies(state)),
      allowanceDb_(static_cast<double>(response::lossAllowanceDb(state.Qu))), separator_(separator),
      bandwidthsHz_(analysis::labelBandwidthsHz(state, form, separator)),
      offsetsHz_(analysis::labelOffsetsHz(state, form, separator)) {}

std::vector<std::optional<double>> DesignOutcome::meshOffsetsHz() const {
    // Tuning label 1 belongs to mesh 1, labels 2, 3, ... to meshes 3, 4, ...
    // (mesh 2 is the reference and has none); the second half mirrors the
    // first.
    const int n = polesWithinArrays(state_);
    std::vector<std::optional<double>> out;
    for (int mesh = 1; mesh <= n; ++mesh) {
        const int first = std::min(mesh, n + 1 - mesh);
        int slot = 0;
        if (first == 1)
            slot = 1;
        else if (first >= 3)
            slot = first - 1;
        const bool has = slot >= 1 && static_cast<std::size_t>(slot) <= offsetsHz_.size();
        out.push_back(has ? offsetsHz_[static_cast<std::size_t>(slot - 1)] : std::nullopt);
    }
    return out;
}

const std::optional<ExactFigures>& DesignOutcome::exact() const {
    std::call_once(exactOnce_, [this] {
        ++searches;
        // The search meets overflows far out in the stop band that mean
        // nothing; they must not be taken for a fault of whatever the caller
        // computes next.
        std::fexcept_t flags;
        std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
        try {
            exact_ = exactFigures(ladder_, state_.fm);
        } catch (const std::exception&) {
            exact_.reset(); // no figures rather than a failed view
        }
        std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
    });
    return exact_;
}

long long DesignOutcome::exactSearches() {
    return searches.load();
}

} // namespace korvan::analysis
