#include "designer/build_sheet.h"
#include "designer/build_sheet_pdf.h"
#include "designer/crystal_csv.h"
#include "designer/designer_support.h"
#include "measurement/crystal_report.h"
#include "model/csv_table.h"

#include <gtest/gtest.h>

#include <complex>
#include <numbers>

namespace korvan::designer {
namespace {

using test::crystalAt;

LadderDesign sixPoleDesign() {
    const double fs[] = {8000120, 7999950, 8000010, 8000030, 7999940, 8000090};
    DesignRequest r;
    for (int i = 0; i < 6; ++i)
        r.crystals.push_back({"x" + std::to_string(i), crystalAt(fs[i], 0.015, 5e-12, 12)});
    r.shape = test::chebyshev(0.1);
    r.bandwidthHz = 2400;
    r.reference = {ReferenceRule::Kind::Position, 5};
    return designLadder(r);
}

// The decade mantissas written out here, apart from the program's table.
std::vector<double> standardValues(bool e24) {
    const double e12[] = {1.0, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};
    const double e24only[] = {1.1, 1.3, 1.6, 2.0, 2.4, 3.0, 3.6, 4.3, 5.1, 6.2, 7.5, 9.1};
    std::vector<double> out;
    for (double decade = 1e-14; decade < 1e-8; decade *= 10) {
        for (double m : e12) out.push_back(m * decade);
        if (e24)
            for (double m : e24only) out.push_back(m * decade);
    }
    return out;
}

TEST(build_sheet_test, standardValuesAreTheNearestAndTrimmersCover) {
    const LadderDesign d = sixPoleDesign();
    for (const bool e24 : {false, true}) {
        BuildOptions o;
        o.standard.series = e24 ? analysis::ESeries::E24 : analysis::ESeries::E12;
        const BuildSheet s = buildSheet(d, o);
        const auto values = standardValues(e24);
        std::vector<CapacitorLine> lines = s.tuning;
        lines.insert(lines.end(), s.coupling.begin(), s.coupling.end());
        for (const auto& l : lines) {
            if (l.designedF == 0) continue;
            double nearest = 0, pairError = 1e300;
            for (double a : values) {
                if (std::fabs(a - l.designedF) < std::fabs(nearest - l.designedF)) nearest = a;
                for (double b : values)
                    if (b <= a * (1 + 1e-9) && b * 10 >= a * (1 - 1e-9))
                        pairError = std::min(pairError, std::fabs(a + b - l.designedF));
            }
            EXPECT_NEAR(l.nearestF, nearest, 1e-6 * nearest) << l.label;
            EXPECT_NEAR(std::fabs(l.pair.sum() - l.designedF), pairError, 1e-6 * l.designedF)
                << l.label;
        }
        for (const auto& l : s.tuning) {
            if (l.designedF == 0 || !l.trimmer) continue;
            EXPECT_LE(l.coverLowF, l.designedF);
            EXPECT_GE(l.coverHighF, l.designedF);
            const auto& t = *l.trimmer;
            EXPECT_LE(t.fixedF * (1 + kFixedTolerance) + t.minF, l.coverLowF * (1 + 1e-12))
                << l.label;
            EXPECT_GE(t.fixedF * (1 - kFixedTolerance) + t.maxF, l.coverHighF * (1 - 1e-12))
                << l.label;
        }
        ASSERT_TRUE(s.standardFigures);
    }
}

// Each end's L section, seen from the system side with the filter's
// termination at the other, is the system resistance.
TEST(build_sheet_test, matchingNetworksPresentTheSystemImpedance) {
    using C = std::complex<double>;
    for (const auto& [system, filter] : {std::pair{50.0, 239.4}, {50.0, 12.5}, {75.0, 300.0}}) {
        const double f = 8e6, w = 2 * std::numbers::pi * f;
        const EndMatch m = matchEnd(system, filter, f);
        ASSERT_TRUE(m.needed);
        const auto parallel = [](C a, C b) { return a * b / (a + b); };
        const C j{0, 1};
        // Series element at the smaller resistance, shunt across the larger.
        const double small = std::min(system, filter), large = std::max(system, filter);
        const C lowpass =
            j * w * m.lowpassSeriesH + parallel(large, 1.0 / (j * w * m.lowpassShuntF));
        const C highpass =
            1.0 / (j * w * m.highpassSeriesF) + parallel(large, j * w * m.highpassShuntH);
        EXPECT_NEAR(std::abs(lowpass - small), 0, 1e-9 * small);
        EXPECT_NEAR(std::abs(highpass - small), 0, 1e-9 * small);
        EXPECT_NEAR(m.turnsRatio * m.turnsRatio * system, filter, 1e-9 * filter);
        EXPECT_EQ(m.seriesAtSystem, system < filter);
    }
    EXPECT_FALSE(matchEnd(50, 50.9, 8e6).needed);
}

TEST(build_sheet_test, csvAndPdfCarryTheDesign) {
    const LadderDesign d = sixPoleDesign();
    const BuildSheet s = buildSheet(d, {});
    const auto lines = readCsvLines(buildSheetCsv(d, s));
    std::size_t header = 0;
    while (header < lines.size() &&
           (lines[header].cells.empty() || lines[header].cells[0] != "position"))
        ++header;
    ASSERT_LT(header + 6, lines.size());
    for (std::size_t i = 0; i < 6; ++i) {
        const auto& cells = lines[header + 1 + i].cells;
        ASSERT_GE(cells.size(), 6u);
        EXPECT_EQ(cells[1], d.positions[i].crystal.name);
        if (d.positions[i].csF > 0)
            EXPECT_NEAR(std::stod(cells[5]), d.positions[i].csF * 1e12, 0.006);
        else
            EXPECT_EQ(cells[5], "");
    }
    const std::string pdf = buildSheetPdf(d, s);
    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    std::size_t pages = 0;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1))
        if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
    EXPECT_EQ(pages, 1u);
}

TEST(crystal_csv_test, readsWhatTheCrystalFitWrites) {
    measurement::Batch batch;
    for (int i = 0; i < 3; ++i) {
        measurement::MeasuredCrystal c;
        c.file = i == 1 ? "a, \"quoted\" name.s2p" : "x" + std::to_string(i) + ".s2p";
        const auto x = crystalAt(4998000 + 37.5 * i, 0.062 + 0.001 * i, 3.9e-12, 14 + i);
        c.fit.fitted = {x.lmH, x.cmF, x.rmOhm, x.cpF};
        batch.crystals.push_back(c);
    }
    const CrystalList list = parseCrystalCsv(measurement::crystalsCsv(batch, {}));
    ASSERT_TRUE(list.errors.empty()) << list.errors.front();
    ASSERT_EQ(list.crystals.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& want = batch.crystals[i].fit.fitted;
        const auto& got = list.crystals[i].model;
        EXPECT_EQ(list.crystals[i].name, batch.crystals[i].file);
        EXPECT_NEAR(got.lmH, want.Lm_H, 1e-8 * want.Lm_H);
        EXPECT_NEAR(got.cmF, want.Cm_F, 1e-8 * want.Cm_F);
        EXPECT_NEAR(got.cpF, want.Cp_F, 1e-5 * want.Cp_F);
        EXPECT_NEAR(got.rmOhm, want.Rm_Ohm, 1e-5 * want.Rm_Ohm);
    }
}

TEST(crystal_csv_test, badListsNameTheLineAndValue) {
    const std::string header = "file,fs_Hz,fp_Hz,Lm_H,Cm_F,Rm_Ohm,Cp_F\n";
    const struct {
        std::string text, message;
    } cases[] = {
        {"", "holds no crystal"},
        {header, "holds no crystal"},
        {"file,fs_Hz,Lm_H\nx,1,1\n", "lacks the column(s) Rm_Ohm, Cp_F"},
        {header + "a,4998000,,-0.06,,20,4e-12\n", "line 2: crystal 'a': Lm_H must be above 0"},
        {header + "b,4998000,,0.062,,2O,4e-12\n",
         "line 2: crystal 'b': Rm_Ohm '2O' is not a number"},
        {header + "c,4998000,,0.062,1e-14,20,4e-12\n", "Cm_F does not agree"},
        {header + "d,4998000,,0.062,,20,-4e-12\n", "Cp must be 0 F or more"},
    };
    for (const auto& c : cases) {
        const CrystalList list = parseCrystalCsv(c.text);
        ASSERT_FALSE(list.errors.empty()) << c.text;
        EXPECT_NE(list.errors.front().find(c.message), std::string::npos) << list.errors.front();
    }
}

} // namespace
} // namespace korvan::designer
