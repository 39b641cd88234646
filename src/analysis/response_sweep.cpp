#include "analysis/response_sweep.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace korvan::analysis {

std::optional<std::string> spanProblem(const SweepSpan& span) {
    if (span.points < kMinResponsePoints || span.points > kMaxResponsePoints)
        return "the number of points must be 2 to 100001";
    if (!std::isfinite(span.startHz) || !std::isfinite(span.stopHz))
        return "the frequencies must be numbers";
    if (span.startHz <= 0 || span.stopHz <= 0) return "the frequencies must be above 0";
    if (span.startHz >= span.stopHz) return "the start must lie below the stop";
    if (span.startHz < kMinResponseHz || span.stopHz > kMaxResponseHz)
        return "the frequencies must lie between 1 Hz and 1 PHz";
    if (span.stopHz - span.startHz < (span.points - 1) * span.stopHz * kMinRelativeStep)
        return "the span is too narrow for " + std::to_string(span.points) +
               " distinct frequencies";
    return std::nullopt;
}

SweepSpan displaySpan(const DesignState& state, int points) {
    const double half = 1000.0 * static_cast<double>(state.Span) * 0.5;
    return {state.fm - half, state.fm + half, points};
}

double spanFrequency(const SweepSpan& span, int k) {
    if (k >= span.points - 1) return span.stopHz;
    // Computed from the index, not accumulated: no drift over 100001 points.
    return span.startHz + (span.stopHz - span.startHz) * k / (span.points - 1);
}

bool ComplexResponse::finite() const {
    return std::all_of(s.begin(), s.end(), [](const SParameters& p) { return isFinite(p); });
}

std::string notFiniteReason(const ComplexResponse& response, const LadderModel& model) {
    std::size_t bad = 0, first = response.size();
    for (std::size_t k = 0; k < response.size(); ++k)
        if (!isFinite(response.s[k])) {
            ++bad;
            first = std::min(first, k);
        }
    if (bad == 0) return {};
    char where[64];
    std::snprintf(where, sizeof where, "%.10g Hz", response.fHz[first]);
    std::string text = "the response is not finite at " + std::to_string(bad) + " of " +
                       std::to_string(response.size()) + " frequencies, the first at " + where;
    bool lossless = false;
    for (const SeriesArm& arm : model.arms)
        for (const Crystal& x : arm.crystals) lossless = lossless || x.rmOhm == 0;
    text += lossless ? " (a lossless crystal hit exactly at its resonance?)"
                     : " (values beyond what the analysis can take there)";
    return text;
}

ComplexResponse sweepLadder(const LadderModel& model, const SweepSpan& span,
                            const PortReference& reference) {
    ComplexResponse out;
    out.reference = reference;
    const int n = std::clamp(span.points, 0, kMaxResponsePoints);
    out.fHz.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) out.fHz.push_back(spanFrequency(span, k));
    out.s = analyseLadder(model, out.fHz, reference);
    return out;
}

double vswr(Complex s11) {
    const double rho = std::min(std::abs(s11), 0.999999);
    return (1 + rho) / (1 - rho);
}

double phaseDeg(Complex x) {
    return std::arg(x) * 180.0 / std::numbers::pi;
}

} // namespace korvan::analysis
