#pragma once
// The build sheet as one A4 page of PDF: the schematic with position
// numbers, the parts position by position, the couplings, the matching,
// the figures and the response picture of the ideal ladder and of the
// ladder with standard values.

#include "designer/build_sheet.h"

#include <string>

namespace korvan::designer {

// The PDF file's bytes.
std::string buildSheetPdf(const LadderDesign& design, const BuildSheet& sheet);

} // namespace korvan::designer
