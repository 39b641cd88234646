#include "synthesis/capacitors.h"

#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "synthesis/crystal.h"
#include "synthesis/extended.h"
#include "synthesis/termination.h"

#include <cmath>
#include <cstddef>

namespace korvan::synthesis {

namespace {

constexpr long double kSmallCapacitor = 1e-11L; // 10 pF: flagged in red

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

// Shunt coupling capacitor between meshes i and i+1.
float couplingCapacitor(const DesignState& s, int i) {
    return fp::toSingle(s.q1inv /
                        (2 * kPi * s.fm * static_cast<long double>(s.Zterm) * s.k[at(i)]));
}

long double inv(float c) {
    return 1 / static_cast<long double>(c);
}

long double meshFrequency(const DesignState& s, long double loopCapacitance) {
    return s.fs * std::sqrt(s.Cm / (loopCapacitance + s.Cp) + 1);
}

} // namespace

void calcCapacitances(StageContext& ctx) {
    auto& s = ctx.state;
    auto& f = ctx.form;
    const int n = s.Poles;
    const int h = n / 2;

    for (int i = 1; i <= h; ++i) {
        s.Ck[at(i)] = couplingCapacitor(s, i);
        const std::string name = FormModel::label(32 + i);
        f.setColor(name, s.Ck[at(i)] < kSmallCapacitor ? colors::red : colors::blue);
        f.setText(name, capacitorText(s.Ck[at(i)], 8, ctx.separator));
    }

    // Display layout of Cs: slot 1 is mesh 1, slot j >= 2 is mesh j+1; mesh 2
    // is the reference and needs no tuning capacitor. Mesh 1 must match the
    // loop capacitance of mesh 2, which lies between Ck[1] and Ck[2].
    s.Cs[1] = n > 3 ? s.Ck[2] : s.Ck[1];
    for (int j = 2; j <= h - 1; ++j)
        s.Cs[at(j)] = fp::toSingle(
            1 / (inv(s.Ck[1]) + inv(s.Ck[2]) - inv(s.Ck[at(j)]) - inv(s.Ck[at(j + 1)])));
    if (n > 3 && n % 2 == 1)
        s.Cs[at(h)] = fp::toSingle(1 / (inv(s.Ck[1]) + inv(s.Ck[2]) - 2 * inv(s.Ck[at(h)])));

    displayCs(ctx);
}

void displayCs(StageContext& ctx) {
    auto& s = ctx.state;
    auto& f = ctx.form;
    const char sep = ctx.separator;
    const int n = s.Poles;

    int m = n / 2;
    if (n == 2) m = 2;
    if (n % 2 == 1) m = m + 1;

    for (int d = 1; d <= m - 1; ++d) {
        const std::string name = FormModel::label(39 + d);
        f.setColor(name, s.Cs[at(d)] < kSmallCapacitor ? colors::red : colors::maroon);
        f.setText(name, capacitorText(s.Cs[at(d)], 8, sep));
    }

    // All meshes are tuned to the reference mesh 2.
    const long double C1 = n < 4 ? s.Ck[1] / 2.0L : 1 / (inv(s.Ck[1]) + inv(s.Ck[2]));
    s.fMesh = fp::toSingle(meshFrequency(s, C1));
    const std::string meshHint =
        "Mesh frequency = " + numeric::formatFixed(s.fMesh * 0.001L, 12, 3, sep) + " kHz";
    f.setHint("Label19", meshHint);
    f.setHint("Label79", meshHint);

    if (n % 2 == 1) s.Ck[at(m)] = s.Ck[at(m - 1)];

    // How far each mesh would resonate below fMesh without its capacitor.
    for (int i = 1; i <= m - 1; ++i) {
        const long double C = i == 1 ? s.Ck[1] : 1 / (inv(s.Ck[at(i)]) + inv(s.Ck[at(i + 1)]));
        const long double offset = s.fMesh - meshFrequency(s, C);
        s.OffsetHz[static_cast<std::size_t>(i)] = static_cast<double>(offset);
        f.setText(FormModel::label(45 + i), numeric::formatFixed(offset, 8, 0, sep) + "  ");
    }

    // Final layout along the whole ladder, for the analysis and the netlists.
    for (int i = 1; i <= n - 1; ++i) s.Ck[at(i)] = couplingCapacitor(s, i);
    s.Cs[1] = s.Ck[1];
    s.Cs[2] = s.Ck[1];
    if (n > 2) {
        s.Cs[1] = s.Ck[2];
        s.Cs[2] = 0;
        for (int i = 3; i <= n - 2; ++i)
            s.Cs[at(i)] = fp::toSingle(
                1 / (inv(s.Ck[1]) + inv(s.Ck[2]) - inv(s.Ck[at(i - 1)]) - inv(s.Ck[at(i)])));
        s.Cs[at(n - 1)] = 0;
        s.Cs[at(n)] = s.Ck[2];
    }

    if (s.IsCohn || s.IsQER) {
        clearArrays(s);
        clearAllFields(f);
        calcXtalParms(ctx);
        calcCplImp(ctx);
    }
}

} // namespace korvan::synthesis
