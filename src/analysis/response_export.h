#pragma once
// The complex response as files for other RF tools: Touchstone 1.1 (.s2p)
// and CSV. Numbers are written with "." whatever the locale, in the shortest
// text that reads back to the same double. Write the text with
// writeFileAtomically (model/text_file.h).

#include "analysis/response_sweep.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvan::analysis {

enum class TouchstoneFormat { DB, MA, RI };

// "db", "ma" or "ri" in any case; nullopt otherwise.
std::optional<TouchstoneFormat> parseTouchstoneFormat(std::string_view text);

// Comment lines that name the program and the design the response belongs
// to (without the comment mark). rmOhm is the converted loss field.
std::vector<std::string> designDescription(const DesignState& state, double rmOhm);

// One line that names the design of a saved picture: type, poles, fm,
// the 3 dB bandwidth asked, the termination, and the reference of the
// chart when it is not the termination.
std::string pictureCaption(const DesignState& state, double referenceOhm, char separator);

// Touchstone 1.1 two-port: comments, "# Hz S DB R <ref>", then per line
// f, S11, S21, S12, S22. Both ports must share one reference resistance.
std::string touchstoneText(const ComplexResponse& response, TouchstoneFormat format,
                           const std::vector<std::string>& comments);

// Touchstone 2.0 two-port for ports with their own reference resistances
// ([Reference] R1 R2), in the same number formats; Touchstone 1.1 cannot
// carry two. Data order 21_12: f, S11, S21, S12, S22 as in version 1.
std::string touchstone2Text(const ComplexResponse& response, TouchstoneFormat format,
                            const std::vector<std::string>& comments);

// Header row, then f [Hz], S21 [dB], S21 phase [deg], S11 [dB], VSWR and
// group delay [s] per row.
std::string responseCsvText(const ComplexResponse& response);

// Shortest round-trip text of a finite double, "." as separator; a
// single-precision value as the float it is (Zterm 820.50635, not its
// double expansion).
std::string exactNumber(double value);
std::string exactNumber(float value);

} // namespace korvan::analysis
