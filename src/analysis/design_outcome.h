#pragma once
// What one completed calculation leaves behind, for every view to read and
// none to recompute. Data flow one way: inputs -> calculation -> outcome ->
// views.
//
// The main form builds one outcome at the end of every calculation that ran
// to its end (none after a rejected input or a fault) and hands it out as
// std::shared_ptr<const DesignOutcome>: it never changes afterwards, and a
// view may keep it as long as it likes, also while the main form calculates
// the next design. Windows follow the outcomes through an OutcomeFeed
// (analysis/outcome_feed.h); the CLI asks the main form for the last one.
//
// Contents:
//   state()          the design state as the calculation left it: inputs,
//                    synthesis, the 501-sample sweep, ILmin, UltAttn, Qu
//   rmOhm()          the crystal loss the sweep used (the loss field read)
//   ladder()         the designed ladder with that loss, Ck and Cs as stored
//   parts()          the parts list, input to output
//   sweepHz()        the frequencies of the 501 sweep samples
//   lossAllowanceDb() what the sweep adds to the plain ladder's loss
//   labelBandwidthsHz(), labelOffsetsHz(), meshOffsetsHz()
//                    the unrounded values behind the result labels that show
//                    a number
//   exact()          the exact figures of the continuous response, searched
//                    on the first call and then kept: once per calculation,
//                    however many views read them

#include "analysis/exact_figures.h"
#include "analysis/ladder_model.h"
#include "analysis/parts_list.h"
#include "model/design_state.h"
#include "model/form_model.h"

#include <array>
#include <mutex>
#include <optional>
#include <vector>

namespace korvan::analysis {

// Index 0 is the 6 dB level, then 20, 40, 60, 80 and 100 dB.
inline constexpr std::array<int, 6> kLabelLevelsDb{6, 20, 40, 60, 80, 100};
using LabelValues = std::array<std::optional<double>, 6>;

// The values behind the bandwidth labels (Label21..26, by kLabelLevelsDb)
// and the offset labels (Label46..51: Cs1, Cs3, Cs4, ...) that show a
// number on `form`, as the state holds them; nullopt where a label shows
// none. Offsets only for Chebyshev/Butterworth. Also for a calculation that
// stopped part-way, where some labels were filled and others not.
LabelValues labelBandwidthsHz(const DesignState& state, const FormModel& form, char separator);
LabelValues labelOffsetsHz(const DesignState& state, const FormModel& form, char separator);

class DesignOutcome {
  public:
    // `state` and `form` as a completed calculation left them; `rmOhm` the
    // crystal loss its sweep used. Builds the ladder and the parts list; the
    // exact figures wait for their first reader.
    DesignOutcome(const DesignState& state, double rmOhm, const FormModel& form, char separator);
    DesignOutcome(const DesignOutcome&) = delete;
    DesignOutcome& operator=(const DesignOutcome&) = delete;

    const DesignState& state() const { return state_; }
    double rmOhm() const { return rmOhm_; }
    const LadderModel& ladder() const { return ladder_; }
    const std::vector<Part>& parts() const { return parts_; }
    const std::vector<double>& sweepHz() const { return sweepHz_; }
    double lossAllowanceDb() const { return allowanceDb_; }
    // The decimal separator the calculation read and wrote its texts with.
    char separator() const { return separator_; }

    const LabelValues& labelBandwidthsHz() const { return bandwidthsHz_; }
    const LabelValues& labelOffsetsHz() const { return offsetsHz_; }
    // The offsets by mesh 1..n: each tuning label's offset at its mesh and
    // at the mirror mesh; nullopt where no offset is shown.
    std::vector<std::optional<double>> meshOffsetsHz() const;

    // nullopt when the ladder gives no finite response near fm. Safe from
    // any thread; the caller's floating-point status flags are left as they
    // were.
    const std::optional<ExactFigures>& exact() const;

    // How many exact-figure searches all outcomes have run so far (for the
    // tests and benchmarks that hold the count to one per calculation).
    static long long exactSearches();

  private:
    DesignState state_;
    double rmOhm_;
    LadderModel ladder_;
    std::vector<Part> parts_;
    std::vector<double> sweepHz_;
    double allowanceDb_;
    char separator_;
    LabelValues bandwidthsHz_;
    LabelValues offsetsHz_;
    mutable std::once_flag exactOnce_;
    mutable std::optional<ExactFigures> exact_;
};

} // namespace korvan::analysis
