#pragma once
// Runs the synthesis stages the way the calculation does, from design inputs
// given as the texts of the entry fields, without the rest of the main form.

#include "model/design_state.h"
#include "model/form_model.h"
#include "model/messages.h"
#include "model/stage_context.h"
#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "synthesis/capacitors.h"
#include "synthesis/coupling.h"
#include "synthesis/crystal.h"

#include <string>

namespace korvan::testing {

enum class Type { Chebyshev, Cohn, Qer };

// Field texts as typed; the defaults are the reference crystal of 62 mH at
// 4998 kHz with 4 pF, 8 poles, 3 kHz, 1 dB.
struct Inputs {
    std::string motional = "62";
    bool cmEntered = false;
    std::string fsKHz = "4998";
    std::string cpPF = "4";
    std::string b3dbKHz = "3";
    std::string rippleDb = "1";
    int poles = 8;
    std::string spanKHz = "10";
    Type type = Type::Chebyshev;
    char separator = '.';
};

struct Design {
    DesignState state;
    FormModel form;
    ScriptedMessages messages;
    char separator = '.';

    StageContext context() { return StageContext{state, form, messages, separator}; }
    const std::string& text(int label) const { return form.text(FormModel::label(label)); }
    Rgb color(int label) const {
        const ControlState* c = form.find(FormModel::label(label));
        return c && c->fontColor ? *c->fontColor : Rgb{1, 2, 3};
    }
};

// Sets the design state as the input stage leaves it (same unit conversions).
inline void applyInputs(Design& d, const Inputs& in) {
    const char sep = in.separator;
    d.separator = sep;
    auto& s = d.state;
    synthesis::fillQerTables(s);
    d.form.setText("AEdit1", in.motional);
    d.form.setItemIndex("RadioGroup1", in.cmEntered ? 1 : 0);
    d.form.setText("AEdit4", in.b3dbKHz);
    s.fs = fp::toDouble(numeric::toNumber(in.fsKHz, sep) * 1000);
    s.Cp = fp::toDouble(numeric::toNumber(in.cpPF, sep) * 1e-12L);
    if (s.Cp == 0) s.Cp = 1e-30;
    s.B3db = fp::toSingle(numeric::toNumber(in.b3dbKHz, sep) * 1000);
    s.PBripple = fp::toDouble(numeric::toNumber(in.rippleDb, sep));
    s.Poles = in.poles;
    s.Span = fp::toSingle(numeric::toNumber(in.spanKHz, sep));
    s.IsCohn = in.type == Type::Cohn;
    s.IsQER = in.type == Type::Qer;
}

// The synthesis part of the calculation: crystal, coefficients (with the
// centre frequency and termination), capacitors.
inline void synthesize(Design& d, const Inputs& in) {
    applyInputs(d, in);
    clearAllFields(d.form);
    clearArrays(d.state);
    const fp::GuardedCalculation calculation;
    auto ctx = d.context();
    synthesis::calcXtalParms(ctx);
    synthesis::couplingCoefficients(ctx);
    synthesis::calcCapacitances(ctx);
}

inline constexpr const char* kNoValue = "----   ";

// The printed digits of an unprinted value, for comparing against tables.
inline std::string digits(long double value, int decimals) {
    return numeric::formatFixed(value, 18, decimals, '.');
}

} // namespace korvan::testing
