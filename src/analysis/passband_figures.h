#pragma once
// One definition of the figures of a band-pass response, whether its loss
// comes as samples (a measured sweep, the span of a tolerance trial) or as
// a function that can be evaluated anywhere (the analysis of a ladder):
//
//  - insertion loss IL: the least loss;
//  - band at X dB: from the lowest to the highest frequency where the loss
//    crosses IL + X dB, the outermost crossings, as the main window's scan
//    finds them from the lower edge of its span. A level counts as reached
//    only when the loss at both ends of the samples lies above it;
//  - ripple: the largest loss between the lowest and the highest local
//    minimum of the loss inside the 3 dB band, less IL;
//  - dips: each stretch inside the 3 dB band where the loss rises above
//    IL + 3 dB, with its deepest point. A filter with a dip has a pass band
//    in pieces, and its ripple is above 3 dB.
//
// From samples alone a crossing is interpolated linearly between the two
// samples around it and an extremum is the sample's own value. Given the
// function, the samples only bracket each crossing and extremum, which is
// then found by bisection or golden section (see bracket_search.h).
//
// Measured samples carry trace noise, and every wiggle of it is a local
// minimum: smooth a measured sweep first when the filter's ripple rather
// than the trace's is wanted.

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace korvan::analysis {

// Where the loss crosses one level on the way down (lowHz) and on the way
// up again (highHz).
struct BandEdges {
    double lowHz = 0;
    double highHz = 0;
    double widthHz() const { return highHz - lowHz; }
    double centreHz() const { return (lowHz + highHz) / 2; }
};

// A stretch inside the 3 dB band where the loss exceeds IL + 3 dB.
struct PassbandDip {
    double hz = 0;      // its deepest point: the largest loss
    double depthDb = 0; // that loss less IL (more than 3)
    BandEdges edges;    // where the loss is back at IL + 3 dB on either side
};

struct Passband {
    double ilDb = 0;
    double ilHz = 0;
    // Outermost crossings of IL + 3 dB; without them (the samples end
    // inside the band) there is no ripple and there are no dips to tell.
    std::optional<BandEdges> band3;
    double rippleDb = 0;
    std::vector<PassbandDip> dips; // from low to high frequency
};

// The loss [dB, positive] of a response at increasing frequencies [Hz],
// every value finite; `exact`, when given, is the loss at any frequency
// between the first and the last sample.
struct LossCurve {
    std::span<const double> fHz;
    std::span<const double> lossDb;
    const std::function<double(double)>* exact = nullptr;
};

// The pass band; nullopt for fewer than three samples, samples that are not
// finite or not as many as frequencies.
std::optional<Passband> readPassband(const LossCurve& curve);

// The outermost crossings of an absolute loss level [dB]; nullopt when the
// loss at either end of the samples is not above it or no sample is below.
std::optional<BandEdges> outerCrossings(const LossCurve& curve, double levelDb);

} // namespace korvan::analysis
