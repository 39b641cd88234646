#pragma once
// The build sheet: what the builder solders, position by position, and what
// the ladder will do, with the designed values and with the nearest
// standard ones side by side. Plain data; buildSheetCsv() and the PDF
// writer only print it.

#include "analysis/e_series.h"
#include "analysis/exact_figures.h"
#include "analysis/tolerance.h"
#include "designer/end_matching.h"
#include "designer/ladder_design.h"

#include <optional>
#include <string>
#include <vector>

namespace korvan::designer {

// A trimmer (min..max) with a fixed capacitor in parallel (0: none).
struct Trimmer {
    double fixedF = 0;
    double minF = 0, maxF = 0;
};

// The trimmers offered, smallest first [F]: film/ceramic 2-6, 3-10, 4.5-20,
// 6.5-30, 8.5-50 pF and a compression mica 9-180 pF.
const std::vector<std::pair<double, double>>& trimmerRanges();

// A trim range must cover the capacitance that moves the mesh by this share
// of the bandwidth either way (crystal measurement, strays), with the fixed
// part anywhere within its own tolerance.
inline constexpr double kTrimDetune = 0.01;
inline constexpr double kFixedTolerance = 0.05;

struct CapacitorLine {
    std::string label;    // "Cs1", "Ck12"
    double designedF = 0; // 0: none (a mesh without a Cs)
    double nearestF = 0;  // nearest value of the series
    analysis::ParallelPair pair;
    // Cs only: what the trimmer must cover, and the trimmer chosen (nullopt
    // when no offered trimmer spans it).
    double coverLowF = 0, coverHighF = 0;
    std::optional<Trimmer> trimmer;
};

struct BuildOptions {
    analysis::StandardChoice standard{analysis::ESeries::E24, false};
    double systemOhm = 50;
    int points = 401; // of the response picture
};

struct BuildSheet {
    BuildOptions options;
    std::vector<CapacitorLine> tuning;   // per position
    std::vector<CapacitorLine> coupling; // Ck12 ...
    EndMatch source, load;
    analysis::LadderModel ideal, standard; // both with each crystal's Rm
    analysis::ExactFigures idealFigures;
    std::optional<analysis::ExactFigures> standardFigures; // nullopt: no finite response
    // The response picture: loss [dB] of both ladders over the same points.
    std::vector<double> fHz, idealLossDb, standardLossDb;
};

// The ideal ladder is the design as built (with Rm); the standard one has
// every Ck and Cs replaced by the nearest value (or pair) of the series.
BuildSheet buildSheet(const LadderDesign& design, const BuildOptions& options);

// Blocks separated by an empty line, each with its own header: the design,
// the positions, the couplings, the matching, the figures. '.' decimals.
std::string buildSheetCsv(const LadderDesign& design, const BuildSheet& sheet);

} // namespace korvan::designer
