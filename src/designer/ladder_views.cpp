#include "designer/ladder_views.h"

#include "analysis/ladder_analysis.h"

#include <cmath>

namespace korvan::designer {

LadderCurves ladderCurves(const BuildSheet& sheet, const analysis::SweepSpan& span) {
    LadderCurves c;
    for (int k = 0; k < span.points; ++k) {
        const double f = analysis::spanFrequency(span, k);
        const auto ideal = analysis::analyseLadder(sheet.ideal, f);
        const auto standard = analysis::analyseLadder(sheet.standard, f);
        const double idealDb = analysis::magnitudeDb(ideal.s21);
        const double standardDb = analysis::magnitudeDb(standard.s21);
        if (!std::isfinite(idealDb) || !std::isfinite(standardDb) ||
            !std::isfinite(ideal.groupDelayS) || !std::isfinite(standard.groupDelayS))
            continue;
        c.fHz.push_back(f);
        c.idealS21Db.push_back(idealDb);
        c.standardS21Db.push_back(standardDb);
        c.idealDelayS.push_back(ideal.groupDelayS);
        c.standardDelayS.push_back(standard.groupDelayS);
    }
    return c;
}

analysis::ToleranceDesign toleranceDesign(const LadderDesign& d) {
    analysis::ToleranceDesign t;
    t.ladder = d.ladder(true);
    const double half = kToleranceHalfSpanBandwidths * d.wantedBandwidthHz;
    const analysis::SweepSpan span{d.designHz - half, d.designHz + half, kTolerancePoints};
    for (int k = 0; k < span.points; ++k) t.frequencies.push_back(analysis::spanFrequency(span, k));
    t.allowanceDb = 0;
    t.askedBw3Hz = d.wantedBandwidthHz;
    // A family without a ripple parameter asks for a flat pass band.
    t.askedRippleDb = d.shape.hasRipple() ? d.shape.rippleDb : 0.0;
    return t;
}

} // namespace korvan::designer
