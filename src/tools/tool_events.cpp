#include "tools/tool_events.h"

#include "numeric/errors.h"
#include "numeric/fp_check.h"
#include "numeric/number_text.h"

namespace korvan::tools {

void runToolEvent(MessageSink& messages, const std::function<void()>& event) {
    try {
        const fp::GuardedCalculation calculation;
        event();
    } catch (const std::exception& e) {
        messages.show(errorReport(e.what()));
    }
}

bool readFields(const FormModel& form, char separator, std::initializer_list<FieldRead> reads) {
    for (const FieldRead& read : reads) {
        try {
            fp::clearFlags();
            read.target =
                fp::toDouble(numeric::toNumber(form.text(read.field), separator) * read.scale);
        } catch (const CalcError&) {
            fp::clearFlags();
            return false;
        }
    }
    return true;
}

Message okBox(std::string title, std::string text, MsgIcon icon) {
    return {std::move(title), std::move(text), MsgButtons::Ok, icon, MsgAnswer::Ok};
}

} // namespace korvan::tools
