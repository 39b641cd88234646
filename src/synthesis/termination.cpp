#include "synthesis/termination.h"

#include "numeric/errors.h"
#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "synthesis/coupling.h"
#include "synthesis/extended.h"

#include <cmath>

namespace korvan::synthesis {

namespace {

std::string kHzText(long double hertz, char separator) {
    return numeric::formatFixed(hertz * 0.001L, 12, 3, separator);
}

// The centre frequency under the plot and the ends of its frequency axis.
void writePlotLabels(StageContext& ctx) {
    auto& s = ctx.state;
    const char sep = ctx.separator;
    ctx.form.setText("Label79", "fm = " + kHzText(s.fm, sep) + " kHz");
    const long double halfSpan = static_cast<long double>(s.Span) / 2;
    ctx.form.setText("Label80", numeric::formatFixed(-halfSpan, 6, 2, sep) + " kHz");
    ctx.form.setText("Label81", numeric::formatFixed(halfSpan, 6, 2, sep) + " kHz");
}

} // namespace

long double maximumBandwidth(long double S, long double D, bool equalCouplings) {
    if (equalCouplings) return (2 * S - std::sqrt(4 * S * S - 1)) * D;
    return (S - std::sqrt(S * S - 1)) * D;
}

void calcFmImp(StageContext& ctx) {
    auto& s = ctx.state;
    auto& f = ctx.form;
    const char sep = ctx.separator;
    const bool equalCouplings = s.IsCohn || s.IsQER;

    if (s.Poles == 2) s.k[2] = s.k[1];
    const long double D = static_cast<long double>(s.fp) - s.fs;
    const long double S =
        equalCouplings ? equalCoupling(s) : static_cast<long double>(s.k[1]) + s.k[2];

    s.Bmax = fp::toSingle(maximumBandwidth(S, D, equalCouplings));
    maxBandwidth(ctx);

    // For Cohn and QER the rest is provisional: calcCplImp replaces it.
    const long double B = s.B3db;
    s.fm = fp::toDouble(s.fs + (D - std::sqrt(D * D - (2 * S * B * D - B * B))) / 2);
    f.setText("Label19", kHzText(s.fm, sep));
    s.xNorm = fp::toDouble(2 * (static_cast<long double>(s.fp) - s.fm) / B);
    const long double xNorm = s.xNorm;
    const long double detune = 1 - S / xNorm;
    const long double R0 = 1 / (detune * detune * 2 * kPi * s.fs * s.Cm);
    s.Zterm = fp::toSingle((1 - 1 / (xNorm * xNorm)) * s.q1inv * R0 * B / s.fm);
    f.setColor("Label20", s.Zterm > 3000 ? colors::red : colors::blue);
    f.setText("Label20", numeric::formatFixed(s.Zterm, 6, 1, sep));
    writePlotLabels(ctx);
}

void maxBandwidth(StageContext& ctx) {
    auto& s = ctx.state;
    auto& f = ctx.form;
    const char sep = ctx.separator;

    // The limit applied is 1 Hz below Bmax, to the Hz, so it is always below.
    const std::string N = numeric::formatFixed((s.Bmax - 1.0L) * 0.001L, 15, 3, sep);
    const std::string T = s.Cp < 1e-19 ? std::string(" infinite") : N + " kHz";
    f.setHint("AEdit4", "Maximum bandwidth: \r  -->   " + T);
    f.setText("Label87", "Bmax=" + T);

    if (s.B3db > s.Bmax) {
        // Crystals this close to their parallel resonance leave no usable
        // bandwidth: writing a limit of zero or below into the field would
        // only carry a meaningless design on.
        if (numeric::toNumber(N, sep) <= 0) throw FloatingPointError(fp::kInvalidOperation);
        ctx.messages.show({"Info",
                           "The selected 3db-bandwidth exceeds the\rmaximum bandwidth of   < " + N +
                               " kHz >.   This" + "\r" +
                               "max. bandwidth will be inserted into the input field" + "\r" +
                               "and used for the following calculations" + "\r",
                           MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok});
        f.setText("AEdit4", N);
        s.B3db = fp::toSingle(numeric::toNumber(f.text("AEdit4"), sep) * 1000);
    }
}

void calcCplImp(StageContext& ctx) {
    auto& s = ctx.state;
    auto& f = ctx.form;
    const char sep = ctx.separator;
    const int n = s.Poles;

    const long double S = equalCoupling(s);
    const long double D = static_cast<long double>(s.fp) - s.fs;
    const long double B = s.B3db;
    s.fm = fp::toDouble(s.fs + (D - std::sqrt(D * D - (4 * S * B * D - B * B))) / 2);
    s.xNorm = fp::toDouble(2 * (static_cast<long double>(s.fp) - s.fm) / B);
    const long double xNorm = s.xNorm;
    const long double detune = 1 - 2 * S / xNorm;
    const long double R0 = 1 / (detune * detune * 2 * kPi * s.fs * s.Cm);
    s.Zterm = fp::toSingle((1 - 1 / (xNorm * xNorm)) * S * R0 * B / s.fm);
    // The coupling follows from the Cohn-style termination, before the QER
    // divisor is applied.
    s.Ck[1] = fp::toSingle(1 / (2 * kPi * s.fm * s.Zterm));
    if (s.IsQER) s.Zterm = fp::toSingle(s.Zterm / s.QerZ.at(static_cast<std::size_t>(n)));
    s.fMesh = fp::toSingle(s.fs * std::sqrt(s.Cm / (s.Ck[1] / 2.0L + s.Cp) + 1));

    const std::string meshHint = "Mesh frequency = " + kHzText(s.fMesh, sep) + " kHz";
    f.setHint("Label19", meshHint);
    f.setHint("Label79", meshHint);
    f.setText("Label15", s.IsQER ? "Type:     QER" : "Type:     Cohn");
    f.setText("Label16", "PB-Ripple:   ---   db");
    f.setEnabled("Label16", false);
    f.setText("Label19", kHzText(s.fm, sep));
    f.setText("Label20", numeric::formatFixed(s.Zterm, 6, 1, sep));
    f.setColor("Label20", s.Zterm > 2999 ? colors::red : colors::blue);
    writePlotLabels(ctx);

    if (s.IsCohn) f.setText("Label40", capacitorText(s.Ck[1], 6, sep));
    for (int i = 2; i <= n - 1; ++i) s.Ck[static_cast<std::size_t>(i)] = s.Ck[1];
    if (s.IsQER) {
        s.Cs[1] = 0;
        s.Cs[static_cast<std::size_t>(n)] = 0;
        f.setText("Label40", "----   ");
    } else {
        s.Cs[1] = s.Ck[1];
        s.Cs[static_cast<std::size_t>(n)] = s.Ck[1];
    }

    const bool small = static_cast<long double>(s.Ck[1]) < 1e-11L;
    for (int i = 1; i <= n / 2; ++i) {
        const std::string coupling = FormModel::label(32 + i);
        if (small) {
            f.setColor(coupling, colors::red);
            f.setColor("Label40", colors::red);
        } else {
            f.setColor(coupling, colors::blue);
            f.setColor(FormModel::label(39 + i), colors::maroon);
        }
        f.setText(coupling, capacitorText(s.Ck[static_cast<std::size_t>(i)], 8, sep));
    }
}

} // namespace korvan::synthesis
