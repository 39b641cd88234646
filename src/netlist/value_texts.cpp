#include "netlist/value_texts.h"

#include <charconv>
#include <cmath>

namespace korvan::netlist {

Ladder ladderOf(const DesignState& state) {
    if (state.IsCohn) return Ladder::Cohn;
    if (state.IsQER) return Ladder::Qer;
    return Ladder::ChebyshevButterworth;
}

ValueTexts readValueTexts(const FormModel& form, const DesignState& state) {
    ValueTexts t;
    t.poles = form.text("AEdit6");
    t.fs = form.text("AEdit2");
    t.cp = form.text("AEdit3");
    t.b3 = form.text("AEdit4");
    t.ripple = form.text("AEdit5");
    t.rm = form.text("AEdit8");
    t.qu = form.text("Label90");
    t.z = form.text("Label20");
    t.lm = state.LmText;
    t.cm = state.CmText;
    for (int m = 1; m <= kMaxHalfElements; ++m) {
        const auto i = static_cast<std::size_t>(m);
        t.ck[i] = form.text(FormModel::label(32 + m)); // Label33..Label39
        // Cs1 is Label40; Cs3..Cs7 are Label41..Label45.
        if (m == 1)
            t.cs[i] = form.text(FormModel::label(40));
        else if (m >= 3)
            t.cs[i] = form.text(FormModel::label(38 + m));
    }
    return t;
}

std::string strReplace(std::string_view s, std::string_view f, std::string_view r) {
    std::string out(s);
    if (f.empty()) return out;
    const auto pos = out.find(f);
    if (pos != std::string::npos) out.replace(pos, f.size(), r);
    return out;
}

std::string dot(std::string_view text) {
    return strReplace(text, ",", ".");
}

std::string bare(std::string_view text) {
    if (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

long double nint(long double x) {
    // Not std::rint: the result must not depend on the current rounding mode.
    const long double down = std::floor(x);
    const long double diff = x - down;
    if (diff < 0.5L) return down;
    if (diff > 0.5L) return down + 1;
    return std::fmod(down, 2.0L) == 0 ? down : down + 1;
}

std::string integerText(long double value) {
    // Plain digits of any extended value (up to 4933 of them), never through
    // the process locale.
    std::string out(5000, '\0');
    const auto res =
        std::to_chars(out.data(), out.data() + out.size(), value, std::chars_format::fixed, 0);
    out.resize(static_cast<std::size_t>(res.ptr - out.data()));
    if (out == "-0") out = "0";
    return out;
}

std::string name8(std::string_view name) {
    std::string out(name.substr(0, 8));
    out.resize(8, ' ');
    return out;
}

std::string ruler(std::string_view lead, std::size_t stars, std::size_t titleLength) {
    std::string out(lead);
    out.append(stars, '*');
    if (titleLength < out.size()) out.resize(titleLength);
    return out;
}

} // namespace korvan::netlist
