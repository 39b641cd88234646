#include "analysis/ladder_analysis.h"
#include "analysis/ladder_chain.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace korvan;
using namespace korvan::analysis;
using Cx = std::complex<long double>;

LadderModel designedLadder(FilterType type, const char* poles) {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, std::filesystem::temp_directory_path(), '.');
    form.setExportEnabled(false);
    form.form().setText("AEdit6", poles);
    form.filterTypeClicked(type);
    return ladderFromDesign(form.state(), 20);
}

// S11, S21, S22 of the ladder from an independent chain product in extended
// precision, with the ABCD matrix formed in full.
struct Reference {
    Cx s11, s21, s22;
};
Reference reference(const LadderModel& m, long double f, long double z1, long double z2) {
    const Cx j{0, 1};
    const long double w = 2 * std::numbers::pi_v<long double> * f;
    Cx a = 1, b = 0, c = 0, d = 1;
    for (std::size_t i = 0; i < m.arms.size(); ++i) {
        Cx y = 0;
        for (const Crystal& x : m.arms[i].crystals)
            y += 1.0L / (static_cast<long double>(x.rmOhm) + j * w * (long double)x.lmH +
                         1.0L / (j * w * (long double)x.cmF)) +
                 j * w * (long double)x.cpF;
        Cx z = 1.0L / y;
        if (m.arms[i].csF != 0) z += 1.0L / (j * w * (long double)m.arms[i].csF);
        b += a * z;
        d += c * z;
        if (i + 1 < m.arms.size()) {
            const Cx yk = j * w * (long double)m.couplingF[i];
            a += b * yk;
            c += d * yk;
        }
    }
    const Cx den = a * z2 + b + c * z1 * z2 + d * z1;
    return {(a * z2 + b - c * z1 * z2 - d * z1) / den, 2 * std::sqrt(z1 * z2) / den,
            (-a * z2 + b - c * z1 * z2 + d * z1) / den};
}

// The vectorised sweep over pass band, skirts and far stop band, against the
// extended-precision chain, for unequal terminations and doubled end crystals.
TEST(ladder_chain_test, batch_matches_an_extended_precision_chain) {
    const struct {
        FilterType type;
        const char* poles;
    } cases[] = {{FilterType::ChebyshevButterworth, "8"},
                 {FilterType::Qer, "10"},
                 {FilterType::ChebyshevButterworth, "14"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.poles);
        const LadderModel m = designedLadder(c.type, c.poles);
        const PortReference ref{m.sourceOhm * 0.8, m.loadOhm * 1.3};
        std::vector<double> f;
        for (int k = 0; k <= 10000; ++k) f.push_back(4.97e6 + 6.0 * k); // 4.97 to 5.03 MHz
        f.push_back(1e5);
        f.push_back(4e7);
        const auto s = analyseLadder(m, f, ref);
        for (std::size_t k = 0; k < f.size(); ++k) {
            const Reference r = reference(m, f[k], ref.port1Ohm, ref.port2Ohm);
            const double mag = static_cast<double>(std::abs(r.s21));
            // 1e-9: at the crystals' parallel resonance |S21| is 1e-28, and
            // the inputs' rounding alone moves it that much.
            ASSERT_NEAR(std::abs(Cx(s[k].s21) - r.s21), 0, 1e-9 * mag) << f[k];
            ASSERT_NEAR(std::abs(Cx(s[k].s11) - r.s11), 0, 1e-10) << f[k];
            ASSERT_NEAR(std::abs(Cx(s[k].s22) - r.s22), 0, 1e-10) << f[k];
            ASSERT_EQ(s[k].s12, s[k].s21);
            // One point alone gives what the batch gives.
            const SParameters one = analyseLadder(m, f[k], ref);
            ASSERT_EQ(one.s21, s[k].s21);
            ASSERT_EQ(one.groupDelayS, s[k].groupDelayS);
        }
    }
}

// The sensitivities against central differences of the transmission pass,
// for every stage (changed as a fit changes it: a series elastance, a shunt
// capacitance) and both terminations.
TEST(ladder_chain_test, sensitivities_match_central_differences) {
    const LadderModel m = designedLadder(FilterType::Qer, "6");
    ChainPlan plan = chainPlan(m);
    // End strays, as the diagnosis adds them.
    ChainStage stray;
    stray.series = false;
    stray.capacitanceF = 3e-12;
    plan.stages.insert(plan.stages.begin(), stray);
    plan.stages.push_back(stray);
    std::vector<double> f;
    for (double x = 4.9962e6; x < 5.0034e6; x += 397) f.push_back(x);
    const ChainGrid grid(f);
    const double z1 = m.sourceOhm * 1.1, z2 = m.loadOhm * 0.9;
    ChainSensitivities sens;
    chainSensitivities(plan, grid, z1, z2, sens);

    const std::size_t n = f.size();
    std::vector<std::complex<double>> up21(n), up11(n), down21(n), down11(n);
    const auto check = [&](const std::string& what, auto&& analytic) {
        for (std::size_t i = 0; i < n; ++i) {
            const auto fd21 = std::log(up21[i] / down21[i]);
            const auto fd11 = up11[i] - down11[i];
            const auto [a21, a11] = analytic(i);
            EXPECT_NEAR(std::abs(fd21 - a21), 0, 1e-5 * std::abs(a21) + 1e-12) << what << " " << i;
            EXPECT_NEAR(std::abs(fd11 - a11), 0, 1e-5 * std::abs(a11) + 1e-12) << what << " " << i;
        }
    };
    for (std::size_t k = 0; k < plan.stages.size(); ++k) {
        ChainStage& st = plan.stages[k];
        double& value = st.series ? st.elastance : st.capacitanceF;
        const double v0 = value;
        const double h = st.series ? 1e-4 * (v0 != 0 ? std::abs(v0) : 1e10) : 1e-4 * v0;
        value = v0 + h;
        chainTransmission(plan, grid, z1, z2, up21, up11);
        value = v0 - h;
        chainTransmission(plan, grid, z1, z2, down21, down11);
        value = v0;
        check("stage " + std::to_string(k), [&](std::size_t i) {
            const double w = 2 * std::numbers::pi * f[i];
            // dE for the change 2h: series -j 2h / omega, shunt j omega 2h.
            const std::complex<double> dE = st.series ? std::complex<double>(0, -2 * h / w)
                                                      : std::complex<double>(0, 2 * h * w);
            return std::pair{sens.dLnS21[k * n + i] * dE, sens.dS11[k * n + i] * dE};
        });
    }
    // A shift of a series stage's crystals (their motional elastance).
    for (std::size_t k = 0; k < plan.stages.size(); ++k) {
        const ChainStage& st = plan.stages[k];
        if (!st.series) continue;
        const double h = 1e-7 * plan.crystals[st.firstCrystal].invCmF;
        const auto shift = [&](double by) {
            for (std::uint32_t j = 0; j < st.crystalCount; ++j)
                plan.crystals[st.firstCrystal + j].invCmF += by;
        };
        shift(h);
        chainTransmission(plan, grid, z1, z2, up21, up11);
        shift(-2 * h);
        chainTransmission(plan, grid, z1, z2, down21, down11);
        shift(h);
        check("crystals of stage " + std::to_string(k), [&](std::size_t i) {
            const auto dE = sens.dMotional[k * n + i] * (2 * h);
            return std::pair{sens.dLnS21[k * n + i] * dE, sens.dS11[k * n + i] * dE};
        });
    }
    const double h = 1e-5;
    chainTransmission(plan, grid, z1 * std::exp(h), z2, up21, up11);
    chainTransmission(plan, grid, z1 * std::exp(-h), z2, down21, down11);
    check("z1", [&](std::size_t i) {
        return std::pair{sens.dLnS21dLnZ1[i] * (2 * h), sens.dS11dLnZ1[i] * (2 * h)};
    });
    chainTransmission(plan, grid, z1, z2 * std::exp(h), up21, up11);
    chainTransmission(plan, grid, z1, z2 * std::exp(-h), down21, down11);
    check("z2", [&](std::size_t i) {
        return std::pair{sens.dLnS21dLnZ2[i] * (2 * h), sens.dS11dLnZ2[i] * (2 * h)};
    });
}

} // namespace
