#include "response/figures.h"

#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "response/sweep.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace korvan::response {

namespace {

// Levels in dB above the insertion loss: 1..6 for the lower skirt (falling),
// 7..12 for the upper skirt (rising); entry 13-k mirrors entry k.
constexpr std::array<float, 13> kLevels{0, 100, 80, 60, 40, 20, 6, 6, 20, 40, 60, 80, 100};
constexpr int kLastLower = 249; // the lower skirt is searched below the centre
constexpr int kCentre = 250;    // sample at fm
constexpr int kLastUpper = 498;
constexpr double kUltimateOffset = 200000; // Hz either side of fm
constexpr double kNoHolderCp = 1e-20;

} // namespace

void insertionLoss(StageContext& ctx) {
    DesignState& s = ctx.state;
    s.ILmin = s.RespS21[0];
    for (int k = 1; k <= 499; ++k)
        if (s.RespS21[k] < s.ILmin) s.ILmin = s.RespS21[k];
    ctx.form.setText("Label91", "Insertion Loss= " +
                                    numeric::formatFixed(s.ILmin, 12, 2, ctx.separator) + " db");
}

void findBandwidths(StageContext& ctx) {
    const DesignState& s = ctx.state;
    const auto& loss = s.RespS21;
    if (loss[0] < 6) return; // the span lies inside the filter's skirts

    int kStart = 1;
    while (kLevels[kStart] > loss[0]) ++kStart;
    const int kEnd = 13 - kStart;

    const SweepGrid grid = sweepGrid(s);
    const auto f = [&](int sample) -> long double {
        return grid.fStart + static_cast<long double>(sample) * grid.fStep;
    };

    std::array<float, 13> edge{};
    std::array<bool, 13> found{};

    // Lower skirt, from the edge of the span towards the centre; each level
    // continues where the previous one stopped.
    int pos = 0;
    for (int k = kStart; k <= 6; ++k) {
        const long double level = kLevels[k] + s.ILmin;
        while (pos <= kLastLower && loss[pos] > level) ++pos;
        if (pos > kLastLower) break; // never reached: nor will a lower level be
        if (pos == 0) continue;      // no sample above the level to pair with
        const int p = pos - 1;
        edge[k] =
            static_cast<float>(f(p) + (f(pos) - f(p)) * (loss[p] - level) / (loss[p] - loss[pos]));
        found[k] = true;
    }

    // Upper skirt, from the centre outwards.
    pos = kCentre;
    for (int k = 7; k <= kEnd; ++k) {
        const long double level = kLevels[k] + s.ILmin;
        while (pos <= kLastUpper && loss[pos] < level) ++pos;
        if (pos > kLastUpper) break;
        if (pos == kCentre) continue;
        const int p = pos - 1;
        edge[k] =
            static_cast<float>(f(p) + (f(pos) - f(p)) * (level - loss[p]) / (loss[pos] - loss[p]));
        found[k] = true;
    }

    for (int k = kStart; k <= 6; ++k) {
        if (!found[k] || !found[13 - k]) continue;
        const float bandwidth =
            static_cast<float>(static_cast<long double>(edge[13 - k]) - edge[k]);
        if (!(bandwidth > 0)) continue;
        // Label21 is the 6 dB level (k = 6), Label26 the 100 dB level (k = 1).
        ctx.state.BandwidthHz[static_cast<std::size_t>(7 - k)] = bandwidth;
        ctx.form.setText(FormModel::label(27 - k),
                         numeric::formatFixed(bandwidth * 0.001L, 10, 3, ctx.separator) + "   ");
    }
}

int ultAttnLineRow(float ultAttn) {
    // Far beyond the plot the row only has to stay off the area.
    const long double scaled = std::clamp(5.0L * ultAttn, -1e6L, 1e6L);
    return static_cast<int>(std::nearbyint(scaled)) + 3;
}

void ultimateAttenuation(StageContext& ctx) {
    DesignState& s = ctx.state;
    fp::check();
    const long double rm = crystalLoss(ctx);
    s.fEval = s.fm + kUltimateOffset;
    calcCLadder(s, rm);
    const long double above = s.S21dB;
    s.fEval = s.fm - kUltimateOffset;
    calcCLadder(s, rm);
    const long double below = s.S21dB;
    fp::check();
    s.UltAttn = fp::toSingle(-(above + below) * 0.5L - s.ILmin);

    if (s.Cp <= kNoHolderCp)
        ctx.form.setText("Label86", "  ------");
    else
        ctx.form.setText("Label86", numeric::formatFixed(-s.UltAttn, 10, 1, ctx.separator) + " db");
    ctx.form.setColor("Label84", s.colours.ultAttn);
    ctx.form.setColor("Label85", s.colours.ultAttn);
    ctx.form.setColor("Label86", s.colours.ultAttn);
    s.UltAttnLineY = ultAttnLineRow(s.UltAttn);
}

} // namespace korvan::response
