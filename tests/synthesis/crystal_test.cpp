#include "design_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvan::testing {
namespace {

struct CrystalCase {
    const char* name;
    Inputs in;
    const char* label7;  // Lm
    const char* label8;  // Cm
    const char* label9;  // fs
    const char* label10; // fp
    const char* lmText;
    const char* cmText;
};

Inputs crystal(std::string motional, bool cm, std::string fs = "4998", std::string cp = "4",
               char sep = '.') {
    Inputs in;
    in.motional = std::move(motional);
    in.cmEntered = cm;
    in.fsKHz = std::move(fs);
    in.cpPF = std::move(cp);
    in.separator = sep;
    return in;
}

TEST(synthesis_test, crystal_labels_and_texts) {
    const CrystalCase cases[] = {
        {"defaults", crystal("62", false), "62 mH", "16.35521  fF", "4998.000 kHz", "5008.207 kHz",
         "62", "16.35521"},
        {"defaults comma", crystal("62", false, "4998", "4", ','), "62 mH", "16,35521  fF",
         "4998,000 kHz", "5008,207 kHz", "62", "16,35521"},
        {"Cm entered", crystal("20", true), "50.70114 mH", "20  fF", "4998.000 kHz", "5010.479 kHz",
         "50.70114", "20"},
        {"Cm entered comma", crystal("20,0", true, "4998,5", "4", ','), "50,69100 mH", "20,0  fF",
         "4998,500 kHz", "5010,981 kHz", "50,69100", "20,0"},
        // Below 10 fF six decimals, from 1 pF on three.
        {"small Cm", crystal("620", false), "620 mH", "1.635521  fF", "4998.000 kHz",
         "4999.022 kHz", "620", "1.635521"},
        {"large Cm", crystal("0.62", false), "0.62 mH", "1635.521  fF", "4998.000 kHz",
         "5932.439 kHz", "0.62", "1635.521"},
        // Lm from Cm: from 1000 mH on three decimals, below 10 mH six.
        {"large Lm", crystal("1", true), "1014.023 mH", "1  fF", "4998.000 kHz", "4998.625 kHz",
         "1014.023", "1"},
        {"above 1 H", crystal("0.5", true, "7000"), "1033.890 mH", "0.5  fF", "7000.000 kHz",
         "7000.437 kHz", "1033.890", "0.5"},
        {"small Lm", crystal("200", true), "5.070114 mH", "200  fF", "4998.000 kHz", "5121.426 kHz",
         "5.070114", "200"},
        // A holder capacitance of 0 leaves no parallel resonance to show.
        {"no holder", crystal("62", false, "4998", "0"), "62 mH", "16.35521  fF", "4998.000 kHz",
         "----      ", "62", "16.35521"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Design d;
        applyInputs(d, c.in);
        auto ctx = d.context();
        synthesis::calcXtalParms(ctx);
        EXPECT_EQ(d.text(7), c.label7);
        EXPECT_EQ(d.text(8), c.label8);
        EXPECT_EQ(d.text(9), c.label9);
        EXPECT_EQ(d.text(10), c.label10);
        EXPECT_EQ(d.state.LmText, c.lmText);
        EXPECT_EQ(d.state.CmText, c.cmText);
        // The two motional values always describe the same resonance.
        const long double w = 2 * 3.14159265358979323846L * d.state.fs;
        EXPECT_NEAR(static_cast<double>(w * w * d.state.Lm * d.state.Cm), 1.0, 1e-12);
    }
}

TEST(synthesis_test, crystal_without_holder_still_computes_fp) {
    Design d;
    applyInputs(d, crystal("62", false, "4998", "0"));
    auto ctx = d.context();
    synthesis::calcXtalParms(ctx);
    EXPECT_EQ(d.state.Cp, 1e-30);
    // About fs * sqrt(Cm * 1e30).
    EXPECT_NEAR(d.state.fp / (d.state.fs * std::sqrt(d.state.Cm * 1e30)), 1.0, 1e-12);
}

TEST(synthesis_test, prototype_terms_from_ripple) {
    struct Row {
        double ripple;
        int poles;
        const char* eps2;
        const char* epsInv;
    };
    const Row rows[] = {
        {3, 8, "0.99526", "1.00238"}, {1, 8, "0.25893", "1.96523"}, {0.1, 4, "0.02329", "6.55220"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.ripple);
        DesignState s;
        s.PBripple = r.ripple;
        s.Poles = r.poles;
        const fp::GuardedCalculation calculation;
        synthesis::calcBasicParms(s);
        EXPECT_EQ(digits(s.eps2, 5), r.eps2);
        EXPECT_EQ(digits(s.epsInv, 5), r.epsInv);
        // coshTerm^2 - sinhTerm^2 is not 1 here: the two come from different
        // inverse functions, but both follow the same 1/n scaling.
        EXPECT_NEAR(s.sinhTerm, std::sinh(std::asinh(s.epsInv) / r.poles), 1e-12);
        EXPECT_NEAR(s.coshTerm, std::cosh(std::acosh(s.epsInv) / r.poles), 1e-12);
    }
}

TEST(synthesis_test, hyperbolic_helpers_invert_each_other) {
    for (long double x : {0.25L, 1.0L, 1.96523L, 7.5L}) {
        EXPECT_NEAR(static_cast<double>(synthesis::ArcSinh(synthesis::Sinh(x)) - x), 0, 1e-15);
        EXPECT_NEAR(static_cast<double>(synthesis::ArcCosh(synthesis::Cosh(x)) - x), 0, 1e-15);
    }
    EXPECT_EQ(synthesis::ArcCosh(1), 0);
}

} // namespace
} // namespace korvan::testing
