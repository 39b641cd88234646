#pragma once
// What the ladder designer's views take from a design: the response of the
// ideal ladder and of the one built from standard values with their group
// delay, and the ladder as the tolerance analysis sees it.

#include "analysis/response_sweep.h"
#include "analysis/tolerance.h"
#include "designer/build_sheet.h"

#include <vector>

namespace korvan::designer {

// The response curves; a point whose analysis is not finite is left out of
// both ladders' curves (the vectors stay parallel).
struct LadderCurves {
    std::vector<double> fHz;
    std::vector<double> idealS21Db, standardS21Db; // S21 [dB], at most 0
    std::vector<double> idealDelayS, standardDelayS;
};

inline constexpr int kCurvePoints = 801;

// Over the span (defaultLadderSpan by default), each crystal with its Rm.
LadderCurves ladderCurves(const BuildSheet& sheet, const analysis::SweepSpan& span);

// Half the span the tolerance analysis sweeps, in wanted bandwidths: wide
// enough for the 60 dB bandwidth of four poles and more.
inline constexpr double kToleranceHalfSpanBandwidths = 4;
inline constexpr int kTolerancePoints = 501;

// The ladder as built (each crystal with its Rm), swept like the main plot
// (501 points) over design_Hz +- kToleranceHalfSpanBandwidths wanted
// bandwidths, with no display allowance.
analysis::ToleranceDesign toleranceDesign(const LadderDesign& design);

} // namespace korvan::designer
