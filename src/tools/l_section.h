#pragma once
// The L section that matches a resistance R1 to a larger R2 at one
// frequency: the reactance of its series element (at R1) and of its shunt
// element (across R2). The L-C match calculator and the ladder designer's
// end matching both take them from here.

namespace korvan::tools {

// sqrt(R1 R2 - R1^2); R1 < R2.
long double lSeriesReactance(long double r1, long double r2);

// R1 R2 / X, with X the series reactance as the caller keeps it.
long double lShuntReactance(long double r1, long double r2, long double seriesReactance);

} // namespace korvan::tools
