#include "response/gui/cursor_readout.h"

#include "numeric/number_text.h"

namespace korvan::response {

std::optional<CursorReadout> cursorReadout(const DesignState& state, int x, char separator) {
    if (x < 1 || x > kPlotW - 1) return std::nullopt;
    const long double span = static_cast<long double>(state.Span) * 1000;
    const long double step = span * 0.002L;
    const long double f = state.fm - span * 0.5L + (x - 1) * step;
    const auto s = static_cast<std::size_t>(x - 1);

    CursorReadout out;
    out.frequency = "Frequency: " + numeric::formatFixed(f / 1000, 16, 3, separator) + " kHz";
    out.s21 = "  S21 =  " + numeric::formatFixed(-state.RespS21[s], 12, 2, separator) + " db";
    out.s11 = "  S11 =  " + numeric::formatFixed(-state.RespS11[s], 12, 2, separator) + " db";
    const float vswr = state.RespVSWR[s];
    if (vswr > 200)
        out.vswr = " VSWR = >200";
    else
        out.vswr = " VSWR = " + numeric::formatFixed(vswr, 12,
                                                     static_cast<long double>(vswr) < 1.2L ? 3 : 2,
                                                     separator);
    return out;
}

CursorReadout idleCursorReadout() {
    return {"Frequency:    ----   kHz", "  S21 =    ----   db", "  S11 =    ----   db",
            " VSWR =   ----"};
}

} // namespace korvan::response
