#pragma once
// The diagnosis of a built filter as fixed-width text lines, the same for
// korvan-cli diagnose and the windows' diagnosis panel: the fitted values
// beside the designed ones, each mesh's error, the suggestions; and the
// figures of design and measurement that both show side by side.

#include "analysis/ladder_model.h"
#include "measurement/deembedding.h"
#include "measurement/ladder_diagnosis.h"

#include <optional>
#include <string>
#include <vector>

namespace korvan::measurement {

// A number by a printf pattern; "-" where it is not finite, 0 (not -0)
// for a value that rounds to zero.
std::string fixedText(const char* pattern, double v);

// "-6.8 +- 0.5 Hz", marked where the data leave the value open.
std::string withUncertainty(const FittedValue& v, double scale, const char* pattern,
                            const char* unit);

// Terminations, strays and couplings, designed and fitted; each mesh's
// resonance as designed, its error as built and its tuning capacitors; the
// common shift.
std::vector<std::string> fittedValueLines(const LadderDiagnosis& d);

// The suggestions numbered, largest effect first, or the line that says
// there are none.
std::vector<std::string> suggestionLines(const LadderDiagnosis& d);

// IL, ripple, the 3, 6 and 60 dB bandwidths and the centre.
struct ComparedFigures {
    std::optional<double> il, ripple, bw3, bw6, bw60, centre;
};
// Of the ladder (its continuous response, exact) and of the measurement (its
// samples); empty where a figure cannot be read.
ComparedFigures designFigures(const analysis::LadderModel& ladder, double centreHz);
ComparedFigures measurementFigures(const FilterMeasurement& m, double centreHz);

} // namespace korvan::measurement
