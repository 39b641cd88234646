#include "analysis/response_export.h"
#include "app/main_form.h"
#include "measurement/touchstone_reader.h"
#include "model/clipboard.h"
#include "model/messages.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>

namespace {

using namespace korvan;
using namespace korvan::analysis;

struct Design {
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form{messages, clipboard, std::filesystem::temp_directory_path(), '.'};
    explicit Design(FilterType type) {
        form.setExportEnabled(false);
        form.filterTypeClicked(type);
    }
    LadderModel model() const { return ladderFromDesign(form.state(), 20); }
};

using Matrix = std::array<Complex, 4>; // row major 11 12 21 22

Matrix inverse(const Matrix& m) {
    const Complex det = m[0] * m[3] - m[1] * m[2];
    return {m[3] / det, -m[1] / det, -m[2] / det, m[0] / det};
}
Matrix product(const Matrix& a, const Matrix& b) {
    return {a[0] * b[0] + a[1] * b[2], a[0] * b[1] + a[1] * b[3], a[2] * b[0] + a[3] * b[2],
            a[2] * b[1] + a[3] * b[3]};
}

// S at one real reference r0 to S at r1, through the impedance matrix:
// Z = r0 (I + S)(I - S)^-1, S' = (Z - r1 I)(Z + r1 I)^-1.
Matrix renormalised(const SParameters& s, double r0, double r1) {
    const Matrix plus{1.0 + s.s11, s.s12, s.s21, 1.0 + s.s22};
    const Matrix minus{1.0 - s.s11, -s.s12, -s.s21, 1.0 - s.s22};
    Matrix z = product(plus, inverse(minus));
    for (auto& e : z) e *= r0;
    const Matrix zm{z[0] - r1, z[1], z[2], z[3] - r1};
    const Matrix zp{z[0] + r1, z[1], z[2], z[3] + r1};
    return product(zm, inverse(zp));
}

TEST(response_export_test, reference_change_is_the_two_port_conversion) {
    Design d(FilterType::ChebyshevButterworth);
    const LadderModel m = d.model();
    const double zterm = m.sourceOhm;
    const double fm = d.form.state().fm;
    for (double offset : {-4000.0, -1200.0, 0.0, 700.0, 1500.0, 30000.0}) {
        const SParameters own = analyseLadder(m, fm + offset);
        const SParameters at50 = analyseLadder(m, fm + offset, {50, 50});
        const Matrix expected = renormalised(own, zterm, 50);
        EXPECT_NEAR(std::abs(at50.s11 - expected[0]), 0, 1e-9) << offset;
        EXPECT_NEAR(std::abs(at50.s12 - expected[1]), 0, 1e-9) << offset;
        EXPECT_NEAR(std::abs(at50.s21 - expected[2]), 0, 1e-9) << offset;
        EXPECT_NEAR(std::abs(at50.s22 - expected[3]), 0, 1e-9) << offset;
    }
}

TEST(response_export_test, spans_that_cannot_be_swept) {
    const struct {
        SweepSpan span;
        bool ok;
    } cases[] = {
        {{1e6, 2e6, 2}, true},   {{1e6, 2e6, 100001}, true},  {{1e6, 2e6, 1}, false},
        {{1e6, 2e6, 0}, false},  {{1e6, 2e6, 100002}, false}, {{2e6, 2e6, 10}, false},
        {{3e6, 2e6, 10}, false}, {{0, 2e6, 10}, false},       {{-5, 2e6, 10}, false},
        {{1e6, NAN, 10}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!spanProblem(c.span).has_value(), c.ok)
            << c.span.startHz << " " << c.span.stopHz << " " << c.span.points;
    const SweepSpan span{1e6, 2e6, 5};
    EXPECT_EQ(spanFrequency(span, 0), 1e6);
    EXPECT_EQ(spanFrequency(span, 2), 1.5e6);
    EXPECT_EQ(spanFrequency(span, 4), 2e6);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
    return lines;
}

// Read back with the project's own Touchstone reader.
TEST(response_export_test, touchstone_reads_back_in_all_formats) {
    Design d(FilterType::Qer);
    const ComplexResponse r = sweepLadder(d.model(), displaySpan(d.form.state(), 37), {50, 50});
    ASSERT_TRUE(r.finite());
    const auto comments = designDescription(d.form.state(), 20);
    const struct {
        TouchstoneFormat format;
        const char* option;
    } cases[] = {{TouchstoneFormat::DB, "# Hz S DB R 50"},
                 {TouchstoneFormat::MA, "# Hz S MA R 50"},
                 {TouchstoneFormat::RI, "# Hz S RI R 50"}};
    for (const auto& c : cases) {
        const auto lines = splitLines(touchstoneText(r, c.format, comments));
        std::size_t i = 0;
        while (i < lines.size() && lines[i].starts_with("!")) ++i;
        EXPECT_GE(i, comments.size());
        ASSERT_LT(i, lines.size());
        EXPECT_EQ(lines[i], c.option);
        EXPECT_NE(lines[0].find("KORVAN Vers. 3.0.2.3"), std::string::npos);
        EXPECT_NE(lines[1].find("QER, 8 poles"), std::string::npos);
        const auto read = measurement::parseTouchstone(touchstoneText(r, c.format, comments), 2);
        EXPECT_EQ(read.referenceOhm, 50);
        ASSERT_EQ(read.frequencyHz.size(), r.size());
        std::size_t point = 0;
        for (; point < read.frequencyHz.size(); ++point) {
            EXPECT_EQ(read.frequencyHz[point], r.fHz[point]);
            const SParameters& s = r.s[point];
            const Complex want[] = {s.s11, s.s21, s.s12, s.s22};
            for (int p = 0; p < 4; ++p)
                EXPECT_NEAR(std::abs(read.s[point][p] - want[p]), 0,
                            1e-12 + 1e-12 * std::abs(want[p]));
        }
        EXPECT_EQ(point, r.size());
    }
}

TEST(response_export_test, csv_rows) {
    Design d(FilterType::Cohn);
    const ComplexResponse r = sweepLadder(d.model(), displaySpan(d.form.state(), 3));
    const auto lines = splitLines(responseCsvText(r));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "f_Hz,S21_dB,S21_phase_deg,S11_dB,VSWR,group_delay_s");
    // The centre row, field by field.
    std::istringstream row(lines[2]);
    std::array<double, 6> v{};
    for (double& x : v) {
        std::string field;
        std::getline(row, field, ',');
        x = std::stod(field);
    }
    const SParameters& s = r.s[1];
    EXPECT_EQ(v[0], d.form.state().fm);
    EXPECT_DOUBLE_EQ(v[1], magnitudeDb(s.s21));
    EXPECT_DOUBLE_EQ(v[2], std::arg(s.s21) * 180 / std::numbers::pi);
    EXPECT_DOUBLE_EQ(v[3], magnitudeDb(s.s11));
    const double rho = std::abs(s.s11);
    EXPECT_DOUBLE_EQ(v[4], (1 + rho) / (1 - rho));
    EXPECT_DOUBLE_EQ(v[5], s.groupDelayS);
    EXPECT_NEAR(vswr(Complex(1, 0)), 1999999, 1e-3);
}

} // namespace
