#include "analysis/ladder_model.h"
#include "analysis/mesh_resonance.h"
#include "app/main_form.h"
#include "measurement/deembedding.h"
#include "measurement/ladder_diagnosis.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "support/built_ladder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>

namespace korvan::measurement {
namespace {

struct Design {
    analysis::LadderModel ladder;
    double fm = 0, fMesh = 0;
};

Design designed(const char* poles, const char* bandwidthKhz, FilterType type) {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, std::filesystem::temp_directory_path(), '.');
    form.setExportEnabled(false);
    form.form().setText("AEdit6", poles);
    form.form().setText("AEdit4", bandwidthKhz);
    form.filterTypeClicked(type);
    return {analysis::ladderFromDesign(form.state(), 20), form.state().fm, form.state().fMesh};
}

// Every mesh of the described design is tuned to its mesh frequency; the
// loop resonance finds them there (fMesh is kept in single precision).
TEST(ladder_diagnosis_test, mesh_resonances_of_a_design_lie_on_its_mesh_frequency) {
    for (auto type : {FilterType::ChebyshevButterworth, FilterType::Cohn, FilterType::Qer}) {
        const Design d = designed("8", "2.4", type);
        for (std::size_t i = 0; i < 8; ++i) {
            const auto f = analysis::meshResonanceHz(d.ladder, i);
            ASSERT_TRUE(f);
            EXPECT_NEAR(*f, d.fMesh, 0.5) << i;
            EXPECT_NEAR(*f, (double)test::loopResonance(d.ladder, i, d.ladder.couplingF), 1e-6);
        }
    }
}

struct BuildCase {
    const char* name;
    const char* poles;
    FilterType type;
    double padOhm;       // 0: ideal transformers to the design's terminations, as the user says
    double sourceFactor; // the terminations the filter really sees (transformers only)
    double loadFactor;
    std::size_t offCoupling;
    double couplingFactor;
    std::size_t mesh1, mesh2; // detuned meshes (0-based) and by how much [Hz]
    double detune1, detune2;
    unsigned seed;
};

const BuildCase kCases[] = {
    {"transformers_low_source_high_load", "8", FilterType::ChebyshevButterworth, 0, 0.85, 1.20, 3,
     1.05, 2, 5, -85, 150, 1},
    {"transformers_high_source_low_load", "8", FilterType::ChebyshevButterworth, 0, 1.10, 0.92, 0,
     0.95, 0, 6, 30, -120, 2},
    {"pads_470", "8", FilterType::ChebyshevButterworth, 470, 0, 0, 4, 1.05, 3, 7, -60, 100, 3},
    {"pads_470_qer_6", "6", FilterType::Qer, 470, 0, 0, 2, 0.95, 1, 4, 45, -140, 4},
};

class BuiltLadder : public ::testing::TestWithParam<BuildCase> {};

TEST_P(BuiltLadder, the_fit_finds_what_is_off) {
    const BuildCase& c = GetParam();
    const Design d = designed(c.poles, "2.4", c.type);
    const std::size_t n = d.ladder.arms.size();

    // The truth: every capacitor 1 % off at random, one Ck 5 % off, two
    // crystals whose fs is off (the mesh then with them).
    analysis::LadderModel truth = d.ladder;
    std::mt19937 random(c.seed);
    std::uniform_real_distribution<double> spread(-0.01, 0.01);
    for (auto& arm : truth.arms)
        if (arm.csF != 0) arm.csF *= 1 + spread(random);
    for (auto& ck : truth.couplingF) ck *= 1 + spread(random);
    truth.couplingF[c.offCoupling] *= c.couplingFactor;
    for (auto [mesh, hz] : {std::pair{c.mesh1, c.detune1}, std::pair{c.mesh2, c.detune2}})
        for (auto& x : truth.arms[mesh].crystals) {
            const double fs = 1 / (2 * std::numbers::pi * std::sqrt(x.lmH * x.cmF)) + hz;
            x.cmF = 1 / (std::pow(2 * std::numbers::pi * fs, 2) * x.lmH);
        }
    const double sourceOhm = c.padOhm > 0 ? 50 + c.padOhm : d.ladder.sourceOhm * c.sourceFactor;
    const double loadOhm = c.padOhm > 0 ? 50 + c.padOhm : d.ladder.loadOhm * c.loadFactor;

    std::vector<double> f;
    for (int k = 0; k < 1601; ++k) f.push_back(d.fm - 5000 + 10000.0 * k / 1600);
    const auto data = test::measureBuilt(truth, sourceOhm, loadOhm, c.padOhm, f, {.seed = c.seed});
    Fixture fixture;
    for (PortFixture* p : {&fixture.port1, &fixture.port2}) {
        if (c.padOhm > 0) {
            p->kind = PortFixture::Kind::SeriesPad;
            p->padOhm = c.padOhm;
        } else {
            p->kind = PortFixture::Kind::Transformer;
            p->turnsRatio = std::sqrt(d.ladder.sourceOhm / 50);
        }
    }
    const LadderDiagnosis got = diagnoseLadder(d.ladder, d.fm, deembed(data, fixture));

    EXPECT_TRUE(got.converged) << got.status;
    EXPECT_NEAR(got.sourceOhm.value / sourceOhm, 1, 0.03);
    EXPECT_NEAR(got.loadOhm.value / loadOhm, 1, 0.03);
    for (std::size_t i = 0; i + 1 < n; ++i)
        EXPECT_NEAR(got.couplingF[i].value / truth.couplingF[i], 1, 0.03) << "Ck " << i + 1;
    // The mesh errors against an independent loop resonance of the truth.
    const double bandwidth = 2400;
    const double meshTolerance = c.padOhm > 0 ? std::max(10.0, 0.003 * bandwidth) : 10.0;
    std::vector<bool> named(n, false);
    for (const Suggestion& s : got.suggestions)
        if (s.kind == Suggestion::Kind::Mesh) named[static_cast<std::size_t>(s.index)] = true;
    for (std::size_t i = 0; i < n; ++i) {
        const long double want = test::loopResonance(truth, i, d.ladder.couplingF) -
                                 test::loopResonance(d.ladder, i, d.ladder.couplingF);
        EXPECT_NEAR(got.meshErrorHz[i].value, (double)want, meshTolerance) << "mesh " << i + 1;
        EXPECT_TRUE(got.meshErrorHz[i].determined);
        EXPECT_GT(got.meshErrorHz[i].uncertainty, 0);
        if (i == c.mesh1 || i == c.mesh2) {
            EXPECT_TRUE(named[i]) << "mesh " << i + 1;
        }
    }
    EXPECT_LT(got.residualDb, 0.1); // the trace noise itself is 0.05 dB
}

INSTANTIATE_TEST_SUITE_P(Cases, BuiltLadder, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A built filter of the 8-pole design measured through transformers, with
// sweeps that tell the fit less or stop it early.
struct Sweep {
    double halfSpanHz;
    int points;
};
LadderDiagnosis diagnoseSweep(const Sweep& sweep, const DiagnosisOptions& options) {
    const Design d = designed("8", "2.4", FilterType::ChebyshevButterworth);
    analysis::LadderModel truth = d.ladder;
    truth.couplingF[3] *= 1.04;
    std::vector<double> f;
    for (int k = 0; k < sweep.points; ++k)
        f.push_back(d.fm - sweep.halfSpanHz + 2 * sweep.halfSpanHz * k / (sweep.points - 1));
    const auto data =
        test::measureBuilt(truth, d.ladder.sourceOhm * 0.9, d.ladder.loadOhm * 1.1, 0, f, {});
    return diagnoseLadder(d.ladder, d.fm, deembed(data, {}), options);
}

bool allFinite(const LadderDiagnosis& d) {
    std::vector<FittedValue> all{d.sourceOhm, d.loadOhm, d.sourceStrayF, d.loadStrayF, d.shiftHz};
    all.insert(all.end(), d.couplingF.begin(), d.couplingF.end());
    all.insert(all.end(), d.meshErrorHz.begin(), d.meshErrorHz.end());
    for (const auto& v : all)
        if (!std::isfinite(v.value) || !std::isfinite(v.uncertainty)) return false;
    return std::isfinite(d.residualDb);
}

// A fit cut short (by its bound or by its caller) says so and keeps its
// best state; a sweep of the pass band alone, S21 only, cannot tell the
// strays from the end meshes' tuning, and says that.
TEST(ladder_diagnosis_test, what_the_fit_cannot_tell_it_says) {
    DiagnosisOptions bounded;
    bounded.maxEvaluations = 2;
    DiagnosisOptions stopped;
    int calls = 0;
    stopped.progress = [&](int, int) { return ++calls < 3; };
    DiagnosisOptions transmissionOnly;
    transmissionOnly.useReflection = false;
    const struct {
        const char* name;
        Sweep sweep;
        const DiagnosisOptions& options;
        bool converged;
        const char* status;
    } cases[] = {
        {"bounded", {5000, 1601}, bounded, false, "did not converge within"},
        {"stopped", {5000, 1601}, stopped, false, "stopped after"},
        {"pass band alone", {1500, 201}, transmissionOnly, true, "converged after"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LadderDiagnosis d = diagnoseSweep(c.sweep, c.options);
        EXPECT_EQ(d.converged, c.converged);
        EXPECT_NE(d.status.find(c.status), std::string::npos) << d.status;
        EXPECT_TRUE(allFinite(d));
    }
    const LadderDiagnosis open = diagnoseSweep({1500, 201}, transmissionOnly);
    EXPECT_FALSE(open.sourceStrayF.determined);
    EXPECT_FALSE(open.loadStrayF.determined);
    EXPECT_FALSE(open.reflectionFitted);
    for (const Suggestion& s : open.suggestions) {
        EXPECT_NE(s.kind, Suggestion::Kind::SourceStray);
        EXPECT_NE(s.kind, Suggestion::Kind::LoadStray);
    }
}

TEST(ladder_diagnosis_test, measurements_that_cannot_be_diagnosed_are_refused) {
    const Design eight = designed("8", "2.4", FilterType::ChebyshevButterworth);
    const Design six = designed("6", "2.4", FilterType::ChebyshevButterworth);
    const auto measure = [&](double from, double to, int points = 801) {
        std::vector<double> f;
        for (int k = 0; k < points; ++k)
            f.push_back(eight.fm + from + (to - from) * k / (points - 1));
        return deembed(test::measureBuilt(eight.ladder, eight.ladder.sourceOhm,
                                          eight.ladder.loadOhm, 0, f, {}),
                       {});
    };
    const struct {
        const char* name;
        const Design& design;
        FilterMeasurement measurement;
        const char* message;
    } cases[] = {
        {"half the band", eight, measure(-5000, 0), "does not cover the ladder's pass band"},
        {"another pole count", six, measure(-5000, 5000), "as a filter of about 8 poles"},
        {"coarse", eight, measure(-5000, 5000, 41), "too few points in the pass band"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            diagnoseLadder(c.design.ladder, c.design.fm, c.measurement);
            ADD_FAILURE() << "accepted";
        } catch (const DiagnosisError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace korvan::measurement
