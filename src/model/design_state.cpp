#include "model/stage_context.h"

namespace korvan {

namespace {
constexpr const char* kNoValue = "----   ";
}

void clearAllFields(FormModel& form) {
    for (int i = 7; i <= 10; ++i) form.setText(FormModel::label(i), kNoValue);
    for (int i = 21; i <= 26; ++i) form.setText(FormModel::label(i), kNoValue);
    for (int i = 33; i <= 51; ++i) {
        form.setText(FormModel::label(i), kNoValue);
        form.setColor(FormModel::label(i), colors::blue);
    }
}

void clearArrays(DesignState& state) {
    state.k.fill(0);
    state.Ck.fill(0);
    state.Cs.fill(0);
}

} // namespace korvan
