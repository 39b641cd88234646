#include "cli/xtalfit_command.h"

#include "app/main_form.h"
#include "cli/cli_options.h"
#include "measurement/crystal_batch.h"
#include "measurement/crystal_report.h"
#include "measurement/crystal_sets.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "numeric/number_text.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace korvan::cli {
namespace {

using measurement::CrystalParameters;
using nlohmann::ordered_json;

ordered_json parametersJson(const CrystalParameters& c, const measurement::FitQuality& quality) {
    return {{"fs_Hz", c.fs_Hz()},
            {"fp_Hz", c.fp_Hz()},
            {"Lm_H", c.Lm_H},
            {"Cm_F", c.Cm_F},
            {"Rm_Ohm", c.Rm_Ohm},
            {"Cp_F", c.Cp_F},
            {"Qu", c.Qu()},
            {"residual_dB", quality.residualDb},
            {"misfit", quality.misfit}};
}

ordered_json noiseJson(const measurement::TraceNoise& noise) {
    return {{"relative", noise.relative}, {"floor_dB", 20 * std::log10(noise.floor)}};
}

const char* s11Text(measurement::S11Use use) {
    switch (use) {
    case measurement::S11Use::Used:
        return "used";
    case measurement::S11Use::LeftOut:
        return "left out";
    case measurement::S11Use::NotMeasured:
        break;
    }
    return "not measured";
}

std::string joined(const std::vector<std::string>& texts, const char* between) {
    std::string out;
    for (const auto& t : texts) out += (out.empty() ? "" : between) + t;
    return out;
}

// The ten lines of the window's settings file: Chebyshev, Lm entry, the
// crystal's four fields, the pole count and bandwidth when known, and the
// window's defaults for the rest.
void writeConfig(const std::string& file, const CrystalParameters& crystal,
                 std::optional<int> poles, std::optional<double> bandwidthKhz, char separator) {
    ScriptedMessages quiet;
    RecordingClipboard clipboard;
    MainForm form(quiet, clipboard, ".", separator);
    for (const char* name : {"RadioButton1", "RadioButton2", "RadioButton3"})
        form.form().setChecked(name, std::string(name) == "RadioButton1");
    form.form().setItemIndex("RadioGroup1", 0);
    const auto texts = measurement::crystalFieldTexts(crystal, separator);
    form.form().setText("AEdit1", texts.lmMh);
    form.form().setText("AEdit2", texts.fsKhz);
    form.form().setText("AEdit3", texts.cpPf);
    form.form().setText("AEdit8", texts.rmOhm);
    if (bandwidthKhz)
        form.form().setText("AEdit4", numeric::formatFixed(*bandwidthKhz, 30, 3, separator));
    if (poles) form.form().setText("AEdit6", std::to_string(*poles));
    form.saveSettingsTo(file);
}

} // namespace

int runXtalfit(int argc, const char* const* argv) {
    CLI::App app{"Motional parameters (Lm, Cm, Rm, Cp, fs, fp, Qu) of crystals measured in "
                 "series between the two ports of a VNA, fitted from Touchstone sweep files; "
                 "one row per crystal, by rising fs.",
                 argv[0]};
    std::vector<std::string> files;
    std::optional<double> r0, cpPf, bandwidthKhz;
    bool json = false, csv = false;
    std::optional<int> setSize;
    std::optional<std::string> configFile;
    std::string separator;
    app.add_option("FILE", files,
                   "Sweep files (.s2p, Touchstone 1.x or 2.0); a folder stands "
                   "for the sweep files in it")
        ->required();
    app.add_option("--r0", r0,
                   "Port resistance the crystal sees [Ohm] (default: the file's "
                   "reference, usually 50; 0.001 to 1e6)")
        ->type_name("OHM")
        ->check(CLI::Range(0.001, 1e6).description(""));
    app.add_option("--cp", cpPf,
                   "Holder capacitance [pF] for sweeps without the parallel "
                   "resonance in them (0.001 to 1000)")
        ->type_name("PF")
        ->check(CLI::Range(0.001, 1000.0).description(""));
    auto* jsonFlag = app.add_flag("--json", json, "Print one JSON object instead of the table");
    app.add_flag("--csv", csv, "Print CSV rows instead of the table")->excludes(jsonFlag);
    app.add_option("--sets", setSize,
                   "Group the crystals into disjoint matched sets of N, best first: the N "
                   "neighbours in fs with the smallest spread form set 1 and leave the pool, "
                   "the closest N of the rest form set 2, and so on while N remain. A set is "
                   "flagged when its spread exceeds a tenth of the bandwidth (--bw, else the "
                   "widest a Cohn ladder of the set allows) or when a member's fs lies more "
                   "than five robust standard deviations (and a hundredth of that bandwidth) "
                   "from the set's median (an outlier)")
        ->type_name("N")
        ->check(CLI::Range(1, 1000000).description(""));
    app.add_option("--bw", bandwidthKhz,
                   "3 dB bandwidth of the filter the sets are for [kHz]: their spread is "
                   "judged against it, and --write-config writes it (1 Hz to 400 kHz, the "
                   "widest span)")
        ->type_name("KHZ")
        ->check(CLI::Range(0.001, 400.0).description(""));
    app.add_option("--write-config", configFile,
                   "Write a settings file (the window's ten lines, Chebyshev, Lm entry) with "
                   "the best set's mean Lm, fs, Cp and Rm and its size as the pole count "
                   "(with --sets, 2 to 14; else the mean of all crystals and 8 poles)")
        ->type_name("FILE");
    auto* separatorOption =
        app.add_option("--decimal-separator", separator,
                       "Decimal separator of the settings file (default: the system's)")
            ->type_name(".|,")
            ->check(CLI::IsMember({".", ","}).description(""));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, std::cout, std::cerr) == 0 ? kExitDone : kExitUsage;
    }
    if (configFile && setSize && (*setSize < 2 || *setSize > 14)) {
        std::cerr << "korvan-cli xtalfit: --write-config takes the set's size as the pole "
                     "count: --sets must be 2 to 14\n";
        return kExitUsage;
    }
    std::optional<double> bandwidthHz;
    if (bandwidthKhz) bandwidthHz = *bandwidthKhz * 1e3;

    measurement::BatchOptions options;
    options.r0Ohm = r0;
    if (cpPf) options.cpF = *cpPf * 1e-12;
    std::vector<std::filesystem::path> paths(files.begin(), files.end());
    paths = measurement::expandFolders(paths);
    const bool showProgress = paths.size() >= 50 && !json && !csv;
    const auto batch =
        measurement::measureFiles(paths, options, [&](std::size_t done, std::size_t total) {
            if (showProgress && (done % 50 == 0 || done == total))
                std::cerr << "korvan-cli xtalfit: " << done << " of " << total << " files\n";
        });

    std::vector<double> fs;
    for (const auto& c : batch.crystals) fs.push_back(c.fit.fitted.fs_Hz());
    std::vector<measurement::CrystalSet> sets;
    if (setSize) sets = measurement::matchSets(fs, static_cast<std::size_t>(*setSize));
    measurement::judgeSets(sets, batch.crystals, bandwidthHz);

    int exitCode = batch.errors.empty() ? kExitDone : kExitRejected;
    for (const auto& e : batch.errors)
        std::cerr << "korvan-cli xtalfit: " << e.file << ": " << e.message << '\n';

    if (configFile) {
        std::vector<CrystalParameters> chosen;
        if (setSize) {
            if (!sets.empty())
                for (std::size_t m : sets.front().members)
                    chosen.push_back(batch.crystals[m].fit.fitted);
        } else {
            for (const auto& c : batch.crystals) chosen.push_back(c.fit.fitted);
        }
        if (chosen.empty()) {
            std::cerr << "korvan-cli xtalfit: no " << (setSize ? "complete set" : "crystal")
                      << " to take the settings from; " << *configFile << " not written\n";
            exitCode = kExitRejected;
        } else {
            const char sep = separatorOption->count() > 0 ? separator.front()
                                                          : numeric::systemDecimalSeparator();
            try {
                writeConfig(*configFile, measurement::meanCrystal(chosen), setSize, bandwidthKhz,
                            sep);
            } catch (const std::exception& e) {
                std::cerr << "korvan-cli xtalfit: " << *configFile << ": " << e.what() << '\n';
                exitCode = kExitRejected;
            }
        }
    }

    if (json) {
        ordered_json out;
        out["crystals"] = ordered_json::array();
        for (const auto& c : batch.crystals) {
            ordered_json row = {{"file", c.file}};
            row.update(parametersJson(c.fit.fitted, c.fit.quality));
            row["estimate"] = parametersJson(c.fit.estimate, c.fit.estimateQuality);
            row["noise"] = {{"S21", noiseJson(c.fit.s21Noise)},
                            {"S11", c.fit.s11Noise ? noiseJson(*c.fit.s11Noise) : nullptr}};
            row["S11"] = s11Text(c.fit.s11);
            row["points_below_floor"] = c.fit.pointsBelowFloor;
            row["warnings"] = c.fit.warnings;
            out["crystals"].push_back(row);
        }
        out["sets"] = ordered_json::array();
        for (const auto& s : sets) {
            ordered_json members = ordered_json::array();
            for (std::size_t m : s.members) members.push_back(batch.crystals[m].file);
            ordered_json outliers = ordered_json::array();
            for (std::size_t m : s.outliers) outliers.push_back(batch.crystals[m].file);
            out["sets"].push_back({{"members", members},
                                   {"spread_Hz", s.spreadHz},
                                   {"reference_bandwidth_Hz", s.referenceBandwidthHz},
                                   {"outliers", outliers},
                                   {"warnings", s.warnings}});
        }
        out["errors"] = ordered_json::array();
        for (const auto& e : batch.errors)
            out["errors"].push_back({{"file", e.file}, {"message", e.message}});
        std::cout << out.dump(2, ' ', false, ordered_json::error_handler_t::replace) << '\n';
    } else if (csv) {
        std::cout << measurement::crystalsCsv(batch, sets);
    } else {
        std::printf("%-28s %15s %15s %10s %10s %8s %7s %8s %7s %6s  %s\n", "file", "fs [Hz]",
                    "fp [Hz]", "Lm [mH]", "Cm [fF]", "Rm [Ohm]", "Cp [pF]", "Qu", "res [dB]",
                    "misfit", "warnings");
        for (const auto& c : batch.crystals) {
            const auto& p = c.fit.fitted;
            std::printf("%-28s %15.3f %15.3f %10.5f %10.5f %8.3f %7.3f %8.0f %7.4f %6.2f  %s\n",
                        c.file.c_str(), p.fs_Hz(), p.fp_Hz(), p.Lm_H * 1e3, p.Cm_F * 1e15, p.Rm_Ohm,
                        p.Cp_F * 1e12, p.Qu(), c.fit.quality.residualDb, c.fit.quality.misfit,
                        joined(c.fit.warnings, "; ").c_str());
        }
        for (std::size_t s = 0; s < sets.size(); ++s) {
            std::vector<std::string> names;
            for (std::size_t m : sets[s].members) names.push_back(batch.crystals[m].file);
            std::printf("set %zu: spread %.3f Hz: %s\n", s + 1, sets[s].spreadHz,
                        joined(names, ", ").c_str());
            for (const auto& w : sets[s].warnings) std::printf("  warning: %s\n", w.c_str());
        }
        if (setSize && sets.empty())
            std::printf("no set of %d: %zu crystal(s) fitted\n", *setSize, batch.crystals.size());
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "korvan-cli xtalfit: the output could not be written\n";
        return kExitFault;
    }
    return exitCode;
}

} // namespace korvan::cli
