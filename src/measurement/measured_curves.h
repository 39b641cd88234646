#pragma once
// What a window draws of a de-embedded measurement over the design: |S21|
// and |S11| in dB and the group delay from the measured phase, referred to
// the design's terminations where the file is a full two-port (else to the
// terminations the fixture presents), and the fitted ladder's |S21| at the
// same references.

#include "measurement/deembedding.h"
#include "measurement/ladder_diagnosis.h"

#include <vector>

namespace korvan::measurement {

struct MeasuredCurves {
    std::vector<double> frequencyHz;
    // NaN where a point says nothing (|S21| near the analyser's floor for
    // the delay, a zero magnitude for the dB values).
    std::vector<double> s21Db, s11Db, delayS;
    double sourceOhm = 0, loadOhm = 0; // the references of the curves
    bool atDesignTerminations = false;
    double delayApertureHz = 0; // the span each delay point is taken over
};

// `designSourceOhm`/`designLoadOhm`: the design's terminations.
MeasuredCurves measuredCurves(const FilterMeasurement& m, double designSourceOhm,
                              double designLoadOhm);

// The group delay -d(arg S21)/d(omega) over an aperture of 2 * `halfWidth`
// points (fewer at the ends); NaN where the floor share of either point is
// above `maxFloorShare` (the phase there is the analyser's noise).
std::vector<double> apertureGroupDelay(const std::vector<double>& frequencyHz,
                                       const std::vector<std::complex<double>>& s21,
                                       const std::vector<double>& floorShare, std::size_t halfWidth,
                                       double maxFloorShare = 0.1);

// The fitted ladder's |S21| [dB] at the curves' frequencies and references.
std::vector<double> fittedS21Db(const LadderDiagnosis& diagnosis, const MeasuredCurves& curves);

} // namespace korvan::measurement
