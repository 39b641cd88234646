#include "tools/tool_form.h"

#include "numeric/errors.h"
#include "numeric/fp_check.h"
#include "numeric/number_text.h"

#include <cmath>
#include <limits>

namespace korvan::tools {

void ToolForm::runHandler(const std::function<void()>& handler) {
    // A handler that runs another one (a mode switch that calculates) reports
    // through the outer one.
    if (handlerDepth_ > 0) {
        handler();
        return;
    }
    ++handlerDepth_;
    try {
        const fp::GuardedCalculation calculation;
        handler();
    } catch (const std::exception& e) {
        messages_.show(errorReport(e.what()));
    }
    --handlerDepth_;
}

void ToolForm::showError(const std::string& text) {
    messages_.show({"Error", text, MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok});
}

std::optional<long double> ToolForm::readField(std::string_view field) const {
    const auto value = numeric::parseNumber(form_.text(field), separator_);
    // Beyond double range the value could not be stored: a failed read, not
    // an infinity that would reach a label later.
    if (!value || std::fabs(*value) > std::numeric_limits<double>::max()) return std::nullopt;
    return value;
}

long double ToolForm::readUnguarded(std::string_view control) const {
    return numeric::toNumber(form_.text(control), separator_);
}

std::string ToolForm::fixed(long double value, int precision, int decimals) const {
    return numeric::formatFixed(value, precision, decimals, separator_);
}

int roundToInt32(long double value) {
    const long double r = std::nearbyint(fp::checked(value));
    if (r > std::numeric_limits<int>::max() || r < std::numeric_limits<int>::min())
        throw FloatingPointError(fp::kInvalidOperation);
    return static_cast<int>(r);
}

} // namespace korvan::tools
