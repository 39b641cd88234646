#include "app/design_response.h"

#include "numeric/number_text.h"

#include <cmath>

namespace korvan {

std::optional<DesignLadder> designLadder(const MainForm& form) {
    if (!form.lastCalculationComplete() || form.state().StopCalc) return std::nullopt;
    const std::string& text = form.form().text("AEdit8");
    double rm = 0;
    if (!text.empty()) {
        const auto value = numeric::parseNumber(text, form.separator());
        if (!value || !std::isfinite(static_cast<double>(*value))) return std::nullopt;
        rm = static_cast<double>(*value);
    }
    return DesignLadder{analysis::ladderFromDesign(form.state(), rm), rm};
}

} // namespace korvan
