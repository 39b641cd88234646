#pragma once
// Matching each end of the ladder to the system impedance: the L-C section
// of the L-C match calculator (low-pass, and its high-pass equivalent) and
// the turns ratio of a transformer that does the same.

namespace korvan::designer {

struct EndMatch {
    double systemOhm = 0;
    double filterOhm = 0;
    // False when the two lie within 2 % of each other (as the calculator
    // says: no network necessary); the values below are then 0.
    bool needed = false;
    // The series element sits at the smaller resistance, the shunt element
    // across the larger one.
    bool seriesAtSystem = false;
    double lowpassSeriesH = 0, lowpassShuntF = 0;   // series L, shunt C
    double highpassSeriesF = 0, highpassShuntH = 0; // series C, shunt L
    double turnsRatio = 0; // filter-side turns per system-side turn: sqrt(Rf/Rs)
};

// Both resistances above 0, f above 0.
EndMatch matchEnd(double systemOhm, double filterOhm, double fHz);

} // namespace korvan::designer
