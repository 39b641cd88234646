#pragma once
// The complex response of a ladder over any span and point count: what the
// exports, the response window and the exact figures share.

#include "analysis/ladder_analysis.h"

#include <optional>
#include <string>
#include <vector>

namespace korvan::analysis {

inline constexpr int kMinResponsePoints = 2;
inline constexpr int kMaxResponsePoints = 100001;
inline constexpr int kDefaultResponsePoints = 1001;

// What a response can be asked for: 1 Hz to 1 PHz (far beyond any crystal
// filter, far below where the analysis meets the ends of double range), ports of
// 1 mOhm to 1 GOhm, and neighbouring points at least this share of the stop
// frequency apart, so that they stay distinct numbers.
inline constexpr double kMinResponseHz = 1;
inline constexpr double kMaxResponseHz = 1e15;
inline constexpr double kMinReferenceOhm = 1e-3;
inline constexpr double kMaxReferenceOhm = 1e9;
inline constexpr double kMinRelativeStep = 1e-14;

// Points equally spaced from startHz to stopHz, both included.
struct SweepSpan {
    double startHz = 0;
    double stopHz = 0;
    int points = kDefaultResponsePoints;
};

// Why a span cannot be swept ("the start must lie below the stop", ...), or
// nullopt when it can.
std::optional<std::string> spanProblem(const SweepSpan& span);

// The main plot's span around fm (Span in kHz).
SweepSpan displaySpan(const DesignState& state, int points = kDefaultResponsePoints);

// Frequency of point k: start + k*step, the last one exactly the stop.
double spanFrequency(const SweepSpan& span, int k);

struct ComplexResponse {
    PortReference reference;
    std::vector<double> fHz;
    std::vector<SParameters> s;

    std::size_t size() const { return fHz.size(); }
    // False when some point gave a non-finite value: such a response must
    // not reach a file.
    bool finite() const;
};

// Why the response is not finite, for a message: where it first fails and,
// for a ladder with a lossless crystal, the likely cause. Empty when it is.
std::string notFiniteReason(const ComplexResponse& response, const LadderModel& model);

// Sweeps the ladder; the span must pass spanProblem().
ComplexResponse sweepLadder(const LadderModel& model, const SweepSpan& span,
                            const PortReference& reference);
inline ComplexResponse sweepLadder(const LadderModel& model, const SweepSpan& span) {
    return sweepLadder(model, span, terminations(model));
}

// Input VSWR from S11, clamped as the main plot clamps it (|S11| at most
// 0.999999, a VSWR of about 2e6) so that a total mismatch stays a number.
double vswr(Complex s11);

// Phase in degrees, -180 to 180.
double phaseDeg(Complex x);

} // namespace korvan::analysis
