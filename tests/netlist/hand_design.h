#pragma once
// Designs put together by hand, field by field, the way a finished
// calculation leaves them, so the writers can be checked without running
// the synthesis.

#include "model/design_state.h"
#include "model/form_model.h"
#include "netlist/value_texts.h"

#include <algorithm>

#include <string>
#include <vector>

namespace korvan::test {

struct HandDesign {
    DesignState state;
    FormModel form;
    netlist::ValueTexts texts() const { return netlist::readValueTexts(form, state); }
};

// The reference crystal (62 mH at 4998 kHz, 4 pF, 20 Ohm) in a Chebyshev
// 1 dB ladder of n poles, B3db 3 kHz, span 10 kHz. The capacitor labels and
// arrays are filled from the values given (pF), first half only; the arrays
// are mirrored the way the synthesis leaves them.
inline HandDesign chebyshevDesign(int n, const std::vector<float>& ckHalfPf,
                                  const std::vector<float>& csShownPf,
                                  const std::vector<std::string>& ckLabels,
                                  const std::vector<std::string>& csLabels) {
    HandDesign d;
    auto& s = d.state;
    s.fs = 4998000;
    s.Lm = 0.062;
    s.Cm = 1.635521e-14;
    s.LmText = "62";
    s.CmText = "16.35521";
    s.Cp = 4e-12;
    s.PBripple = 1;
    s.B3db = 3000;
    s.Poles = n;
    s.Span = 10;
    s.fm = 4999865.4;
    s.Zterm = 820.5f;
    for (int j = 1; j <= n - 1; ++j) {
        const int m = std::min(j, n - j);
        s.Ck[static_cast<std::size_t>(j)] = ckHalfPf[static_cast<std::size_t>(m - 1)] * 1e-12f;
    }
    // csShownPf: mesh 1, then meshes 3, 4, ... (mesh 2 has none).
    for (int k = 1; k <= n; ++k) {
        const int m = std::min(k, n + 1 - k);
        float v = 0;
        if (n == 2 || m == 1)
            v = csShownPf[0];
        else if (m >= 3)
            v = csShownPf[static_cast<std::size_t>(m - 2)];
        s.Cs[static_cast<std::size_t>(k)] = v * 1e-12f;
    }

    auto& f = d.form;
    const std::string fields[] = {"62", "4998", "4", "3", "1", std::to_string(n), "10", "20"};
    for (int i = 1; i <= 8; ++i) f.setText(FormModel::edit(i), fields[i - 1]);
    f.setText("Label90", "97350");
    f.setText("Label20", "820.5");
    for (int i = 33; i <= 45; ++i) f.setText(FormModel::label(i), "----   ");
    for (std::size_t i = 0; i < ckLabels.size(); ++i)
        f.setText(FormModel::label(33 + static_cast<int>(i)), ckLabels[i]);
    for (std::size_t i = 0; i < csLabels.size(); ++i)
        f.setText(FormModel::label(40 + static_cast<int>(i)), csLabels[i]);
    return d;
}

// The 8-pole reference design: Ck 27.8, 33.2, 34.2, 34.4 pF; Cs 33.2, 147.7,
// 127.8 pF (meshes 1, 3, 4).
inline HandDesign chebyshev8() {
    return chebyshevDesign(8, {27.8f, 33.2f, 34.2f, 34.4f}, {33.2f, 147.7f, 127.8f},
                           {"27.8 ", "33.2 ", "34.2 ", "34.4 "}, {"33.2 ", "147.7 ", "127.8 "});
}

// Cohn or QER: one coupling value everywhere, shown in Label33.
inline HandDesign equalCapacitorDesign(bool qer, int n) {
    HandDesign d = chebyshevDesign(n, std::vector<float>(7, 33.7f), {33.7f, 0, 0, 0, 0, 0}, {}, {});
    auto& s = d.state;
    s.IsCohn = !qer;
    s.IsQER = qer;
    s.fm = qer ? 4999598.2 : 4999697.7;
    s.Zterm = qer ? 679.4f : 945.9f;
    for (int k = 1; k <= n; ++k) s.Cs[static_cast<std::size_t>(k)] = 0;
    if (!qer) s.Cs[1] = s.Cs[static_cast<std::size_t>(n)] = 33.7e-12f;
    for (int m = 1; m <= n / 2; ++m) d.form.setText(FormModel::label(32 + m), "33.7 ");
    d.form.setText("Label20", qer ? "679.4" : "945.9");
    d.form.setText("Label40", qer ? "----   " : "33.7 ");
    return d;
}

// Every line of the text, split at CR LF (the file form).
inline std::vector<std::string> splitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
        lines.push_back(text.substr(start, pos - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

} // namespace korvan::test
