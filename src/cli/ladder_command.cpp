#include "cli/ladder_command.h"

#include "analysis/response_export.h"
#include "analysis/response_sweep.h"
#include "app/program_info.h"
#include "cli/cli_options.h"
#include "cli/exact_report.h"
#include "designer/build_sheet.h"
#include "designer/build_sheet_pdf.h"
#include "designer/crystal_csv.h"
#include "designer/crystal_placement.h"
#include "designer/crystal_reactance.h"
#include "designer/ladder_files.h"
#include "designer/ladder_job.h"
#include "designer/response_shape.h"
#include "model/text_file.h"
#include "prototype/family.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;
using namespace designer;

constexpr const char* kProgram = "korvan-cli ladder";

struct Inputs {
    std::string crystalsFile;
    std::string family, reference = "lowest", compensate = "bandwidth", series = "E24";
    std::optional<double> ripple;
    int poles = 0;
    double bwKhz = 0;
    double matchOhm = 50;
    bool keepOrder = false, json = false, pairs = false;
    std::optional<double> lmMh, cmFf;
    double fsKhz = 4998, cpPf = 4, rmOhm = 20; // the main window's defaults
    std::vector<std::string> buildSheets;
    ResponseOptions response;
};

int fail(const std::string& message, int code) {
    std::cerr << kProgram << ": " << message << '\n';
    return code;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::optional<ReferenceRule> parseReference(const std::string& text) {
    const std::string t = lower(text);
    if (t == "lowest") return ReferenceRule{ReferenceRule::Kind::Lowest, 0};
    if (t == "middle") return ReferenceRule{ReferenceRule::Kind::Middle, 0};
    if (t.empty() || t.size() > 3 ||
        !std::all_of(t.begin(), t.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return ReferenceRule{ReferenceRule::Kind::Position, std::stoi(t)};
}

std::optional<Compensation> parseCompensation(const std::string& text) {
    const std::string t = lower(text);
    if (t == "none") return Compensation::None;
    if (t == "bandwidth") return Compensation::Bandwidth;
    if (t == "predistort") return Compensation::Predistort;
    return std::nullopt;
}

json matchJson(const EndMatch& m) {
    json out = {{"system_Ohm", m.systemOhm},
                {"filter_Ohm", m.filterOhm},
                {"needed", m.needed},
                {"series_element_at", m.seriesAtSystem ? "system" : "filter"},
                {"turns_ratio", m.turnsRatio}};
    if (m.needed) {
        out["lowpass"] = {{"Lseries_H", m.lowpassSeriesH}, {"Cparallel_F", m.lowpassShuntF}};
        out["highpass"] = {{"Cseries_F", m.highpassSeriesF}, {"Lparallel_H", m.highpassShuntH}};
    }
    return out;
}

json capacitorJson(const CapacitorLine& l) {
    json out = {{"designed_F", l.designedF > 0 ? json(l.designedF) : json(nullptr)},
                {"nearest_F", l.nearestF > 0 ? json(l.nearestF) : json(nullptr)},
                {"pair_F",
                 l.pair.larger > 0 ? json::array({l.pair.larger, l.pair.smaller}) : json(nullptr)}};
    if (l.trimmer)
        out["trimmer"] = {
            {"fixed_F", l.trimmer->fixedF}, {"min_F", l.trimmer->minF}, {"max_F", l.trimmer->maxF}};
    return out;
}

json designJson(const LadderDesign& d, const BuildSheet& sheet,
                const std::optional<Placement>& placement) {
    json positions = json::array();
    for (const auto& p : d.positions) {
        const auto& c = p.crystal.model;
        positions.push_back({{"crystal", p.crystal.name},
                             {"fs_Hz", seriesResonanceHz(c)},
                             {"Lm_H", c.lmH},
                             {"Cm_F", c.cmF},
                             {"Rm_Ohm", c.rmOhm},
                             {"Cp_F", c.cpF},
                             {"Cs_F", p.csF > 0 ? json(p.csF) : json(nullptr)},
                             {"mesh_Hz", p.meshHz},
                             {"mesh_offset_Hz", p.meshOffsetHz}});
        if (p.leftOffHz != 0) positions.back()["left_off_Hz"] = p.leftOffHz;
    }
    json out = {
        {"design_Hz", d.designHz},
        {"source_Ohm", d.sourceOhm},
        {"load_Ohm", d.loadOhm},
        {"family", shapeName(d.shape)},
        {"compensate", compensationName(d.compensation)},
        {"positions", positions},
        {"Ck_F", d.couplingF},
        {"matching", {{"source", matchJson(sheet.source)}, {"load", matchJson(sheet.load)}}},
        {"exact", exactFiguresJson(d.asBuilt, 0)}};
    if (d.shape.hasRipple()) out["ripple_dB"] = d.shape.rippleDb;
    if (d.predistortion) {
        const auto& p = *d.predistortion;
        out["predistortion"] = {{"qo", p.meanQo},
                                {"Qu", p.meanQu},
                                {"qo_min", p.minimumQo},
                                {"IL_dB", p.prototypeLossDb}};
        if (const auto note = predistortionNote(d)) out["predistortion"]["note"] = *note;
    }
    out["bandwidth_Hz"] = d.wantedBandwidthHz;
    out["reference_position"] = d.referencePosition;
    if (d.compensation == Compensation::None) out["exact_lossless"] = exactFiguresJson(d.aimed, 0);
    out["refinement"] = {{"design_bandwidth_Hz", d.designBandwidthHz},
                         {"exact_analyses", d.refineSteps}};
    out["slope_method"] = {{"design_Hz", d.slope.designHz},
                           {"source_Ohm", d.slope.sourceOhm},
                           {"load_Ohm", d.slope.loadOhm},
                           {"Ck_F", d.slope.couplingF}};
    json standard = {{"series", analysis::standardChoiceName(sheet.options.standard)}};
    standard["Cs"] = json::array();
    for (const auto& l : sheet.tuning) standard["Cs"].push_back(capacitorJson(l));
    standard["Ck"] = json::array();
    for (const auto& l : sheet.coupling) standard["Ck"].push_back(capacitorJson(l));
    standard["exact"] =
        sheet.standardFigures ? exactFiguresJson(*sheet.standardFigures, 0) : json(nullptr);
    out["standard_values"] = standard;
    if (placement) {
        json unused = json::array();
        for (const auto& c : placement->unused) unused.push_back(c.name);
        out["placement"] = {{"objective", placementObjective()},
                            {"largest_offset_Hz", placement->largestOffsetHz},
                            {"minimum_Cs_kept", placement->minimumCsKept},
                            {"unused", unused}};
    }
    return out;
}

std::string pfText(double f) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", f * 1e12);
    return text;
}

void writeReport(std::ostream& out, const LadderDesign& d, const BuildSheet& sheet,
                 const std::optional<Placement>& placement) {
    char line[256];
    out << "Ladder from " << d.positions.size() << " crystals, " << shapeText(d.shape)
        << ", compensation: " << compensationName(d.compensation) << "\n";
    std::snprintf(line, sizeof line,
                  "Centre (3 dB band middle) %.1f Hz; wanted 3 dB bandwidth %.1f Hz\n"
                  "Terminations: source %.2f Ohm, load %.2f Ohm; no Cs at position %d\n",
                  d.designHz, d.wantedBandwidthHz, d.sourceOhm, d.loadOhm, d.referencePosition);
    out << line;
    if (d.predistortion) {
        const auto& p = *d.predistortion;
        std::snprintf(line, sizeof line,
                      "Predistorted for the crystals' mean qo %.3f (Qu %.0f; the family's minimum "
                      "qo %.3f): it costs %.2f dB of loss\n",
                      p.meanQo, p.meanQu, p.minimumQo, p.prototypeLossDb);
        out << line;
        if (const auto note = predistortionNote(d)) out << "Note: " << *note << '\n';
    }
    if (placement) {
        out << "Placement objective: " << placementObjective() << "\n";
        std::snprintf(line, sizeof line, "Largest mesh offset (estimated): %.1f Hz%s\n",
                      placement->largestOffsetHz,
                      placement->minimumCsKept ? "" : "; some Cs below 10 pF: no choice avoids it");
        out << line;
        if (!placement->unused.empty()) {
            out << "Not used:";
            for (const auto& c : placement->unused) out << ' ' << c.name;
            out << '\n';
        }
    }
    out << "\n pos crystal                      fs [Hz]       mesh [Hz]  offset [Hz]    Cs [pF]\n";
    for (std::size_t i = 0; i < d.positions.size(); ++i) {
        const auto& p = d.positions[i];
        std::snprintf(line, sizeof line, "%4zu %-24.24s %14.3f %15.3f %12.1f %10s%s\n", i + 1,
                      p.crystal.name.c_str(), seriesResonanceHz(p.crystal.model), p.meshHz,
                      p.meshOffsetHz, p.csF > 0 ? pfText(p.csF).c_str() : "none",
                      p.leftOffHz > 0   ? "  (left above: no Cs lowers a mesh)"
                      : p.leftOffHz < 0 ? "  (left below: a Cs would be too large)"
                                        : "");
        out << line;
    }
    out << "\n";
    for (std::size_t i = 0; i < d.couplingF.size(); ++i) {
        std::snprintf(line, sizeof line, "%-8s %9.2f pF\n",
                      analysis::couplingName(static_cast<int>(i) + 1).c_str(),
                      d.couplingF[i] * 1e12);
        out << line;
    }
    for (const auto& [name, m] : {std::pair{"source", &sheet.source}, {"load", &sheet.load}}) {
        if (m->needed)
            std::snprintf(
                line, sizeof line,
                "Matching %s to %.0f Ohm: series L %.3f uH + shunt C %.1f pF, or series C "
                "%.1f pF + shunt L %.3f uH; turns ratio 1 : %.3f\n",
                name, m->systemOhm, m->lowpassSeriesH * 1e6, m->lowpassShuntF * 1e12,
                m->highpassSeriesF * 1e12, m->highpassShuntH * 1e6, m->turnsRatio);
        else
            std::snprintf(line, sizeof line, "Matching %s to %.0f Ohm: no network necessary\n",
                          name, m->systemOhm);
        out << line;
    }
    const auto& x = d.asBuilt;
    const auto bw = [](const analysis::ExactFigures& f, std::size_t l) {
        const auto v = f.levels[l].bandwidthHz();
        return v ? *v : 0.0;
    };
    std::snprintf(
        line, sizeof line,
        "\nExact response as built (each crystal with its Rm): IL %.3f dB, ripple %.3f dB, "
        "BW 3 dB %.1f Hz, 6 dB %.1f Hz, 60 dB %.1f Hz\n",
        x.ilDb, x.rippleDb.value_or(0), bw(x, 0), bw(x, 1), bw(x, 4));
    out << line;
    if (sheet.standardFigures) {
        const auto& s = *sheet.standardFigures;
        std::snprintf(line, sizeof line,
                      "With %s values: IL %.3f dB, ripple %.3f dB, BW 3 dB %.1f Hz\n",
                      analysis::standardChoiceName(sheet.options.standard).c_str(), s.ilDb,
                      s.rippleDb.value_or(0), bw(s, 0));
        out << line;
    }
}

bool write(const std::string& path, const std::string& bytes, const char* what) {
    try {
        writeFileAtomically(path, bytes);
        return true;
    } catch (const std::exception& e) {
        std::cerr << kProgram << ": the " << what << " '" << path
                  << "' could not be written: " << e.what() << '\n';
        return false;
    }
}

int writeResponseFiles(const Inputs& in, const LadderDesign& d) {
    const auto& o = in.response;
    if (o.touchstone.empty() && o.csv.empty() && o.ngspice.empty()) return kExitDone;
    analysis::SweepSpan span = defaultLadderSpan(d, o.points);
    if (o.startKHz) span.startHz = *o.startKHz * 1000;
    if (o.stopKHz) span.stopHz = *o.stopKHz * 1000;
    if (const auto problem = analysis::spanProblem(span))
        return fail("the response span cannot be swept: " + *problem, kExitUsage);
    const std::string program = versionLine("KORVAN");
    int code = kExitDone;
    try {
        if (!o.ngspice.empty() &&
            !write(o.ngspice, ladderNgspiceDeck(d, span, o.refOhm, o.ngspice, program),
                   "ngspice deck"))
            code = kExitFault;
        if (!o.touchstone.empty()) {
            const auto format = *analysis::parseTouchstoneFormat(o.format);
            if (!write(o.touchstone, ladderTouchstone(d, span, o.refOhm, format, program),
                       "Touchstone file"))
                code = kExitFault;
        }
        if (!o.csv.empty() && !write(o.csv, ladderResponseCsv(d, span, o.refOhm), "CSV file"))
            code = kExitFault;
    } catch (const DesignError& e) {
        return fail(e.what(), kExitFault);
    }
    return code;
}

} // namespace

int runLadderCommand(int argc, const char* const* argv) {
    CLI::App app{"A crystal ladder designed from measured crystals: every mesh its own crystal "
                 "and tuning capacitor, refined on the exact analysis of the ladder, with a build "
                 "sheet to solder from.",
                 argv[0]};
    Inputs in;
    app.add_option(
           "--crystals", in.crystalsFile,
           "Crystal list as korvan-cli xtalfit --csv writes it (one crystal per row, named "
           "by \"file\"); without it, n identical crystals from --lm/--cm, --fs, --cp, --rm")
        ->type_name("FILE.csv");
    app.add_option("--family", in.family, "Response family: " + prototype::familyNames())
        ->type_name("F")
        ->required();
    app.add_option("--ripple", in.ripple,
                   "Pass-band ripple of the chebyshev family [dB], 0.001 to 3 (default 0.1); the "
                   "other families take none")
        ->type_name("DB");
    app.add_option("--poles", in.poles, "Number of crystals in the ladder, 2 to 14")
        ->type_name("N")
        ->required();
    app.add_option("--bw", in.bwKhz, "Wanted 3 dB bandwidth [kHz]")->type_name("KHZ")->required();
    app.add_option("--reference", in.reference,
                   "The mesh without a tuning capacitor: lowest (the lowest crystal's; default), "
                   "middle, or a position 1..N")
        ->type_name("lowest|middle|K");
    app.add_option("--compensate", in.compensate,
                   "Loss compensation: none (lossless design), bandwidth (the lossy filter keeps "
                   "the 3 dB bandwidth; default) or predistort (the family's coefficients "
                   "predistorted for the crystals' mean qo: the lossy filter keeps the family's "
                   "shape, at the cost of loss)")
        ->type_name("none|bandwidth|predistort");
    app.add_option("--match", in.matchOhm,
                   "System impedance both ends are matched to [Ohm] "
                   "(default 50)")
        ->type_name("OHM");
    app.add_flag("--keep-order", in.keepOrder,
                 "Use the first N rows of --crystals as positions 1..N instead of choosing");
    auto* lm = app.add_option("--lm", in.lmMh,
                              "Identical crystals: motional inductance [mH] "
                              "(default 62)")
                   ->type_name("MH");
    auto* cm = app.add_option("--cm", in.cmFf, "Identical crystals: motional capacitance [fF]")
                   ->type_name("FF");
    lm->excludes(cm);
    auto* fs = app.add_option("--fs", in.fsKhz,
                              "Identical crystals: series frequency [kHz] "
                              "(default 4998)")
                   ->type_name("KHZ");
    auto* cp = app.add_option("--cp", in.cpPf,
                              "Identical crystals: holder capacitance [pF] "
                              "(default 4)")
                   ->type_name("PF");
    auto* rm = app.add_option("--rm", in.rmOhm,
                              "Identical crystals: loss resistance [Ohm] "
                              "(default 20)")
                   ->type_name("OHM");
    app.add_option("--build-sheet", in.buildSheets,
                   "Write the build sheet as CSV or as a one-page PDF (by the extension); may be "
                   "given twice")
        ->type_name("FILE.csv|FILE.pdf");
    app.add_option("--series", in.series, "Standard values of the build sheet (default E24)")
        ->type_name("E12|E24");
    app.add_flag("--pairs", in.pairs,
                 "The standard-value ladder uses the nearest pair in parallel per capacitor");
    app.add_flag("--json", in.json, "Print one JSON object (see docs/json.md)");
    auto& o = in.response;
    app.add_option("--touchstone", o.touchstone,
                   "Write the response of the ladder as built as a Touchstone two-port file "
                   "(version 2.0 with [Reference] when the terminations differ)")
        ->type_name("FILE");
    app.add_option("--response-csv", o.csv,
                   "Write the response as CSV: f [Hz], S21 [dB], S21 phase [deg], S11 [dB], "
                   "VSWR, group delay [s]")
        ->type_name("FILE");
    app.add_option("--ngspice", o.ngspice, "Write an ngspice deck of the ladder as built")
        ->type_name("FILE");
    app.add_option("--points", o.points, "Points of the response, 2 to 100001 (default 1001)")
        ->type_name("N");
    app.add_option("--start", o.startKHz,
                   "First frequency of the response [kHz] (default: 2.5 bandwidths below the "
                   "centre)")
        ->type_name("KHZ");
    app.add_option("--stop", o.stopKHz,
                   "Last frequency of the response [kHz] (default: 2.5 bandwidths above)")
        ->type_name("KHZ");
    app.add_option("--ref", o.refOhm,
                   "Reference resistance of both ports [Ohm] (default: the source and the load "
                   "termination)")
        ->type_name("OHM");
    app.add_option("--format", o.format, "Touchstone number format (default db)")
        ->type_name("db|ma|ri");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, std::cout, std::cerr) == 0 ? kExitDone : kExitUsage;
    }

    // Values the options cannot take.
    ResponseShape shape;
    try {
        shape = parseResponseShape(in.family, in.ripple);
    } catch (const DesignError& e) {
        return fail(std::string("--family/--ripple: ") + e.what(), kExitUsage);
    }
    if (in.poles < 2 || in.poles > 14) return fail("--poles must be 2 to 14", kExitUsage);
    if (!(std::isfinite(in.bwKhz) && in.bwKhz > 0))
        return fail("--bw must be above 0 kHz", kExitUsage);
    if (!(std::isfinite(in.matchOhm) && in.matchOhm > 0))
        return fail("--match must be above 0 Ohm", kExitUsage);
    const auto reference = parseReference(in.reference);
    if (!reference)
        return fail("--reference must be lowest, middle or a position 1.." +
                        std::to_string(in.poles),
                    kExitUsage);
    if (reference->kind == ReferenceRule::Kind::Position &&
        (reference->position < 1 || reference->position > in.poles))
        return fail("--reference " + in.reference + ": the ladder has positions 1.." +
                        std::to_string(in.poles),
                    kExitUsage);
    const auto compensation = parseCompensation(in.compensate);
    if (!compensation)
        return fail("--compensate must be none, bandwidth or predistort", kExitUsage);
    const auto series = analysis::seriesFromName(in.series);
    if (!series || (*series != analysis::ESeries::E12 && *series != analysis::ESeries::E24))
        return fail("--series must be E12 or E24", kExitUsage);
    for (const auto& sheet : in.buildSheets) {
        const std::string ext = lower(std::filesystem::path(sheet).extension().string());
        if (ext != ".csv" && ext != ".pdf")
            return fail("--build-sheet '" + sheet + "' must end in .csv or .pdf", kExitUsage);
    }
    if (const auto problem = responseOptionsProblem(in.response, in.json))
        return fail(*problem, kExitUsage);
    const bool crystalOptions =
        lm->count() + cm->count() + fs->count() + cp->count() + rm->count() > 0;
    if (!in.crystalsFile.empty() && crystalOptions)
        return fail("--crystals and the crystal options (--lm/--cm, --fs, --cp, --rm) exclude "
                    "each other",
                    kExitUsage);

    // The crystals.
    std::vector<NamedCrystal> crystals;
    if (!in.crystalsFile.empty()) {
        const CrystalList list = readCrystalCsv(in.crystalsFile);
        for (const auto& e : list.errors)
            std::cerr << kProgram << ": " << in.crystalsFile << ": " << e << '\n';
        if (!list.errors.empty()) return kExitRejected;
        crystals = list.crystals;
        if (static_cast<int>(crystals.size()) < in.poles)
            return fail(in.crystalsFile + " holds " + std::to_string(crystals.size()) +
                            " crystal(s), fewer than the " + std::to_string(in.poles) + " poles",
                        kExitRejected);
    } else {
        analysis::Crystal c;
        const double fsHz = in.fsKhz * 1000;
        const double w = 2 * std::numbers::pi * fsHz;
        if (in.cmFf) {
            c.cmF = *in.cmFf * 1e-15;
            c.lmH = 1 / (w * w * c.cmF);
        } else {
            c.lmH = in.lmMh.value_or(62) * 1e-3;
            c.cmF = 1 / (w * w * c.lmH);
        }
        c.cpF = in.cpPf * 1e-12;
        c.rmOhm = in.rmOhm;
        if (!(std::isfinite(fsHz) && fsHz > 0)) return fail("--fs must be above 0 kHz", kExitUsage);
        crystals = identicalCrystals(c, in.poles);
        if (const auto problem = crystalProblem(crystals.front()))
            return fail(*problem + " (from --lm/--cm, --cp, --rm)", kExitUsage);
    }

    // The design.
    LadderJob job;
    job.crystals = std::move(crystals);
    job.poles = in.poles;
    job.keepOrder = in.keepOrder || in.crystalsFile.empty();
    job.shape = shape;
    job.bandwidthHz = in.bwKhz * 1000;
    job.reference = *reference;
    job.compensation = *compensation;
    LadderJobResult result;
    try {
        result = runLadderJob(job);
    } catch (const DesignError& e) {
        return fail(e.what(), kExitRejected);
    }
    const LadderDesign& design = result.design;
    const std::optional<Placement>& placement = result.placement;

    BuildOptions options;
    options.standard = {*series, in.pairs};
    options.systemOhm = in.matchOhm;
    const BuildSheet sheet = buildSheet(design, options);

    int code = kExitDone;
    for (const auto& file : in.buildSheets) {
        const bool pdf = lower(std::filesystem::path(file).extension().string()) == ".pdf";
        try {
            const std::string bytes =
                pdf ? buildSheetPdf(design, sheet) : buildSheetCsv(design, sheet);
            if (!write(file, bytes, "build sheet")) code = kExitFault;
        } catch (const DesignError& e) {
            std::cerr << kProgram << ": " << file << ": " << e.what() << '\n';
            code = kExitFault;
        }
    }
    if (const int c = writeResponseFiles(in, design); c != kExitDone) code = c;

    if (in.json)
        std::cout << designJson(design, sheet, placement)
                         .dump(2, ' ', false, json::error_handler_t::replace)
                  << '\n';
    else
        writeReport(std::cout, design, sheet, placement);
    std::cout.flush();
    if (!std::cout) return fail("the output could not be written", kExitFault);
    return code;
}

} // namespace korvan::cli
