#include "design_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

namespace korvan::testing {
namespace {

std::string labelTexts(const Design& d, int first, int last) {
    std::string out;
    for (int i = first; i <= last; ++i) out += (i > first ? "|" : "") + d.text(i);
    return out;
}

std::string picofarads(const std::array<float, kArraySize + 1>& c, int count) {
    std::ostringstream out;
    for (int i = 1; i <= count; ++i)
        out << (i > 1 ? " " : "") << digits(static_cast<long double>(c[i]) * 1e12L, 1);
    return out.str();
}

struct CapacitorTable {
    int poles;
    char sep;
    const char* coupling; // Label33..Label39
    const char* tuning;   // Label40..Label45
    const char* offsets;  // Label46..Label51
    const char* meshHint;
    const char* label19;
    const char* label20;
};

TEST(synthesis_test, capacitor_reference_tables) {
    const CapacitorTable rows[] = {
        {8, '.', "27.8 |33.2 |34.2 |34.4 |----   |----   |----   ",
         "33.2 |147.7 |127.8 |----   |----   |----   ", "850  |177  |205  |----   |----   |----   ",
         "Mesh frequency = 5000.135 kHz", "4999.865", "820.5"},
        {8, ',', "27,8 |33,2 |34,2 |34,4 |----   |----   |----   ",
         "33,2 |147,7 |127,8 |----   |----   |----   ", "850  |177  |205  |----   |----   |----   ",
         "Mesh frequency = 5000,135 kHz", "4999,865", "820,5"},
        // Its own centre and termination; fMesh is exactly 5000147.5 Hz in
        // single precision and prints rounded half away from zero.
        {5, '.', "27.7 |32.8 |----   |----   |----   |----   |----   ",
         "32.8 |177.0 |----   |----   |----   |----   ",
         "859  |147  |----   |----   |----   |----   ", "Mesh frequency = 5000.148 kHz", "4999.877",
         "821.4"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.poles) + r.sep);
        Design d;
        Inputs in;
        in.poles = r.poles;
        in.separator = r.sep;
        synthesize(d, in);
        EXPECT_EQ(labelTexts(d, 33, 39), r.coupling);
        EXPECT_EQ(labelTexts(d, 40, 45), r.tuning);
        EXPECT_EQ(labelTexts(d, 46, 51), r.offsets);
        EXPECT_EQ(d.form.at("Label19").hint, r.meshHint);
        EXPECT_EQ(d.form.at("Label79").hint, r.meshHint);
        EXPECT_EQ(d.text(19), r.label19);
        EXPECT_EQ(d.text(20), r.label20);
    }
}

TEST(synthesis_test, mesh_frequency_of_five_poles) {
    Design d;
    Inputs in;
    in.poles = 5;
    synthesize(d, in);
    EXPECT_EQ(d.state.fMesh, 5000147.5f);
    EXPECT_EQ(digits(d.state.fm * 0.001L, 3), "4999.877");
    EXPECT_EQ(digits(d.state.Zterm, 1), "821.4");
}

TEST(synthesis_test, final_arrays_along_the_ladder) {
    struct Row {
        int poles;
        const char* ck; // Ck[1..n-1]
        const char* cs; // Cs[1..n]
    };
    const Row rows[] = {
        {8, "27.8 33.2 34.2 34.4 34.2 33.2 27.8", "33.2 0.0 147.7 127.8 127.8 147.7 0.0 33.2"},
        {5, "27.7 32.8 32.8 27.7", "32.8 0.0 177.0 0.0 32.8"},
    };
    for (const auto& r : rows) {
        Design d;
        Inputs in;
        in.poles = r.poles;
        synthesize(d, in);
        EXPECT_EQ(picofarads(d.state.Ck, r.poles - 1), r.ck);
        EXPECT_EQ(picofarads(d.state.Cs, r.poles), r.cs);
        for (int i = r.poles; i <= kArraySize; ++i) EXPECT_EQ(d.state.Ck[i], 0.0f);
        for (int i = r.poles + 1; i <= kArraySize; ++i) EXPECT_EQ(d.state.Cs[i], 0.0f);
    }
}

// Which labels a Chebyshev/Butterworth design fills, by pole count: the
// last coupling, tuning and offset label in use.
struct LabelsInUse {
    int poles, lastCoupling, lastTuning, lastOffset;
};
const LabelsInUse kLabelsInUse[] = {
    {2, 33, 40, 46},  {3, 33, 40, 46},  {4, 34, 40, 46},  {5, 34, 41, 47},  {6, 35, 41, 47},
    {7, 35, 42, 48},  {8, 36, 42, 48},  {9, 36, 43, 49},  {10, 37, 43, 49}, {11, 37, 44, 50},
    {12, 38, 44, 50}, {13, 38, 45, 51}, {14, 39, 45, 51},
};

void expectFilled(const Design& d, int first, int lastFilled, int last, const char* tail,
                  Rgb filledColour, bool capacitors) {
    for (int i = first; i <= last; ++i) {
        SCOPED_TRACE("Label" + std::to_string(i));
        const std::string& t = d.text(i);
        if (i <= lastFilled) {
            ASSERT_GT(t.size(), std::string(tail).size());
            EXPECT_EQ(t.substr(t.size() - std::string(tail).size()), tail);
            const auto value = numeric::parseNumber(t, d.separator);
            ASSERT_TRUE(value.has_value()) << t;
            // Capacitors below 10 pF are flagged; offsets never are.
            const bool flagged = capacitors && *value < 10;
            EXPECT_EQ(d.color(i), flagged ? colors::red : filledColour);
        } else {
            EXPECT_EQ(t, kNoValue);
            EXPECT_EQ(d.color(i), colors::blue);
        }
    }
}

TEST(synthesis_test, labels_filled_by_pole_count) {
    for (const char* ripple : {"1", "0", "3"}) {
        for (const auto& r : kLabelsInUse) {
            SCOPED_TRACE(std::string("ripple ") + ripple + ", n = " + std::to_string(r.poles));
            Design d;
            Inputs in;
            in.rippleDb = ripple;
            in.poles = r.poles;
            synthesize(d, in);
            expectFilled(d, 33, r.lastCoupling, 39, " ", colors::blue, true);
            expectFilled(d, 40, r.lastTuning, 45, " ", colors::maroon, true);
            expectFilled(d, 46, r.lastOffset, 51, "  ", colors::blue, false);

            // The final arrays are symmetric, with no tuning capacitor in
            // the meshes next to the ends (two poles: both ends get Ck[1]).
            const auto& s = d.state;
            const int n = r.poles;
            for (int i = 1; i <= n - 1; ++i) EXPECT_EQ(s.Ck[i], s.Ck[n - i]);
            for (int i = 1; i <= n; ++i) EXPECT_EQ(s.Cs[i], s.Cs[n + 1 - i]);
            if (n == 2) {
                EXPECT_EQ(s.Cs[1], s.Ck[1]);
            } else {
                EXPECT_EQ(s.Cs[1], s.Ck[2]);
                EXPECT_EQ(s.Cs[2], 0.0f);
                for (int i = 3; i <= n - 2; ++i) EXPECT_GT(s.Cs[i], 0.0f);
            }
            // Every offset is a positive shift below the mesh frequency.
            for (int i = 46; i <= r.lastOffset; ++i)
                EXPECT_GT(*numeric::parseNumber(d.text(i), '.'), 0) << i;
        }
    }
}

TEST(synthesis_test, three_poles_tune_the_ends_to_the_middle) {
    Design d;
    Inputs in;
    in.poles = 3;
    synthesize(d, in);
    const auto& s = d.state;
    EXPECT_EQ(s.Ck[2], s.Ck[1]);
    EXPECT_EQ(s.Cs[1], s.Ck[1]);
    EXPECT_EQ(s.Cs[2], 0.0f);
    EXPECT_EQ(s.Cs[3], s.Ck[1]);
    EXPECT_EQ(d.text(40), d.text(33));
    // The reference mesh is closed by Ck[1]/2.
    const long double expected = s.fs * std::sqrt(s.Cm / (s.Ck[1] / 2.0L + s.Cp) + 1);
    EXPECT_EQ(s.fMesh, static_cast<float>(expected));
}

TEST(synthesis_test, small_and_large_capacitors) {
    // 1 kHz at 30 MHz needs couplings below 10 pF: red, tuning red too.
    {
        Design d;
        Inputs in;
        in.fsKHz = "30000";
        in.b3dbKHz = "1"; // lowered to the limit, 0.967 kHz
        synthesize(d, in);
        for (int i = 33; i <= 36; ++i) EXPECT_EQ(d.color(i), colors::red) << i;
        EXPECT_EQ(d.color(40), colors::red);
        EXPECT_EQ(d.text(33), "4.1 ");
    }
    // A stiff crystal with a wide filter: above 1000 pF without decimals.
    {
        Design d;
        Inputs in;
        in.motional = "0.5";
        in.b3dbKHz = "0.2";
        in.cpPF = "100";
        synthesize(d, in);
        const std::string& t = d.text(33);
        EXPECT_EQ(t.find('.'), std::string::npos) << t;
        EXPECT_GT(*numeric::parseNumber(t, '.'), 1000) << t;
    }
}

TEST(synthesis_test, cohn_and_qer_eight_pole_capacitors) {
    struct Row {
        Type type;
        const char* ck;
        const char* cs1;
        const char* meshHint;
    };
    for (const Row r : {Row{Type::Cohn, "33.7 ", "33.7 ", "Mesh frequency = 4999.962 kHz"},
                        Row{Type::Qer, "36.0 ", kNoValue, "Mesh frequency = 4999.860 kHz"}}) {
        Design d;
        Inputs in;
        in.type = r.type;
        synthesize(d, in);
        EXPECT_EQ(labelTexts(d, 33, 39), std::string(r.ck) + "|" + r.ck + "|" + r.ck + "|" + r.ck +
                                             "|----   |----   |----   ");
        EXPECT_EQ(d.text(40), r.cs1);
        EXPECT_EQ(d.form.at("Label19").hint, r.meshHint);
    }
}

// Cohn and QER: everything is cleared and refilled with the equal-capacitor
// ladder; the offsets stay empty.
TEST(synthesis_test, cohn_and_qer_refill) {
    for (Type type : {Type::Cohn, Type::Qer}) {
        for (int n = type == Type::Qer ? 4 : 2; n <= kMaxPoles; ++n) {
            SCOPED_TRACE((type == Type::Qer ? "QER n = " : "Cohn n = ") + std::to_string(n));
            Design d;
            Inputs in;
            in.type = type;
            in.poles = n;
            in.rippleDb = n % 2 ? "0" : "2"; // the hidden ripple field plays no part
            synthesize(d, in);
            const auto& s = d.state;

            EXPECT_EQ(d.text(7), "62 mH");
            EXPECT_EQ(d.text(8), "16.35521  fF");
            EXPECT_EQ(d.text(9), "4998.000 kHz");
            EXPECT_EQ(d.text(10), "5008.207 kHz");
            EXPECT_EQ(d.text(15), type == Type::Qer ? "Type:     QER" : "Type:     Cohn");
            EXPECT_EQ(d.text(16), "PB-Ripple:   ---   db");
            EXPECT_FALSE(d.form.at("Label16").enabled);

            const std::string ck = d.text(33);
            for (int i = 33; i <= 39; ++i) {
                SCOPED_TRACE(i);
                if (i <= 32 + n / 2) {
                    EXPECT_EQ(d.text(i), ck);
                    EXPECT_EQ(d.color(i), colors::blue);
                } else {
                    EXPECT_EQ(d.text(i), kNoValue);
                }
            }
            EXPECT_NEAR(*numeric::parseNumber(ck, '.'), s.Ck[1] * 1e12, 0.05);
            if (type == Type::Cohn)
                EXPECT_EQ(d.text(40), ck);
            else
                EXPECT_EQ(d.text(40), kNoValue);
            EXPECT_EQ(d.color(40), colors::maroon);
            for (int i = 41; i <= 51; ++i) EXPECT_EQ(d.text(i), kNoValue) << i;

            for (int i = 1; i <= n - 1; ++i) EXPECT_EQ(s.Ck[i], s.Ck[1]);
            for (int i = n; i <= kArraySize; ++i) EXPECT_EQ(s.Ck[i], 0.0f);
            const float end = type == Type::Cohn ? s.Ck[1] : 0.0f;
            EXPECT_EQ(s.Cs[1], end);
            EXPECT_EQ(s.Cs[n], end);
            for (int i = 2; i <= n - 1; ++i) EXPECT_EQ(s.Cs[i], 0.0f);
            for (int i = 1; i <= kArraySize; ++i) EXPECT_EQ(s.k[i], 0.0);

            const std::string hint =
                "Mesh frequency = " + numeric::formatFixed(s.fMesh * 0.001L, 12, 3, '.') + " kHz";
            EXPECT_EQ(d.form.at("Label19").hint, hint);
            EXPECT_EQ(d.form.at("Label79").hint, hint);
            EXPECT_EQ(d.text(79), "fm = " + d.text(19) + " kHz");
        }
    }
}

} // namespace
} // namespace korvan::testing
