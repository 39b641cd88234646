#pragma once
// What korvan-cli diagnose prints: the readable report and the JSON. Both
// print the diagnosis; neither computes beyond the figures of the design.

#include "cli/ladder_json.h"
#include "measurement/deembedding.h"
#include "measurement/ladder_diagnosis.h"

#include <ostream>
#include <string>

namespace korvan::cli {

struct DiagnoseReport {
    std::string measuredFile, ladderFile;
    const LadderFile& ladder;
    const measurement::Fixture& fixture;
    const measurement::FilterMeasurement& measurement;
    const measurement::LadderDiagnosis& diagnosis;
};

void writeDiagnoseText(std::ostream& out, const DiagnoseReport& report);
void writeDiagnoseJson(std::ostream& out, const DiagnoseReport& report);

} // namespace korvan::cli
