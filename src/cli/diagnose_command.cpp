#include "cli/diagnose_command.h"

#include "analysis/exact_figures.h"
#include "cli/cli_options.h"
#include "cli/diagnose_report.h"
#include "cli/ladder_json.h"
#include "measurement/deembedding.h"
#include "measurement/ladder_diagnosis.h"
#include "measurement/touchstone_reader.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace korvan::cli {

namespace {

using measurement::PortFixture;

constexpr const char* kDescription =
    "korvan-cli diagnose: the measurement of a built filter (a Touchstone two-port) against "
    "the ladder it was built from. The fixture is taken out, then the ladder is fitted to the "
    "measured S21 (and S11): both terminations with a stray capacitance across each, every "
    "coupling capacitor and every mesh's tuning. Prints each value with its uncertainty, "
    "which mesh is off and by how much, and what to change, largest effect first.";

constexpr const char* kFooter =
    "LADDER.json is what korvan-cli ladder --json or korvan-cli --json printed.\n"
    "Without a fixture option the filter is taken as connected to the analyser's ports.\n"
    "--pad and --transformer take one value (both ports) or one per port (port 1 first,\n"
    "separated by a comma). The L-C options take the two values the L-C matching window\n"
    "computes, for both ports or per port: --lc-lowpass L [uH], C [pF]; --lc-highpass C [pF],\n"
    "L [uH] (\"2.5,111\" or \"2.5,111,2.6,109\").\n"
    "\n"
    "Exit codes: 0 done, 1 input rejected or the fit did not converge (its best state is\n"
    "printed, marked as such), 2 usage error, 3 fault.\n"
    "\n"
    "Example:\n"
    "  korvan-cli ladder --crystals set.csv --family chebyshev --poles 8 --bw 2.4 --json "
    "> ladder.json\n"
    "  korvan-cli diagnose --measured built.s2p --ladder ladder.json --pad 470\n";

struct Inputs {
    std::string measured, ladder;
    std::vector<double> pads, transformers, lowPass, highPass;
    bool json = false;
    bool noReflection = false;
};

// One value for both ports, or one per port.
std::optional<std::string> perPort(const std::vector<double>& values, PortFixture::Kind kind,
                                   const char* option, measurement::Fixture& fixture) {
    if (values.empty()) return std::nullopt;
    const std::size_t width =
        kind == PortFixture::Kind::LowPassMatch || kind == PortFixture::Kind::HighPassMatch ? 2 : 1;
    if (values.size() != width && values.size() != 2 * width)
        return std::string(option) + " takes " + (width == 1 ? "one value" : "two values") +
               " for both ports or " + (width == 1 ? "two" : "four") + " (one set per port)";
    for (int port = 0; port < 2; ++port) {
        PortFixture& p = port == 0 ? fixture.port1 : fixture.port2;
        if (p.kind != PortFixture::Kind::Direct)
            return "port " + std::to_string(port + 1) + " has more than one fixture";
        const std::size_t at = values.size() == width ? 0 : static_cast<std::size_t>(port) * width;
        p.kind = kind;
        switch (kind) {
        case PortFixture::Kind::SeriesPad:
            p.padOhm = values[at];
            break;
        case PortFixture::Kind::Transformer:
            p.turnsRatio = values[at];
            break;
        default:
            p.inductanceH = values[at] * 1e-6;
            p.capacitanceF = values[at + 1] * 1e-12;
            break;
        }
    }
    return std::nullopt;
}

std::string lowerExtension(const std::string& file) {
    std::string ext = std::filesystem::path(file).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

int runDiagnoseCommand(int argc, const char* const* argv) {
    CLI::App app{kDescription, argv[0]};
    app.footer(kFooter);
    Inputs in;
    app.add_option("--measured", in.measured,
                   "The built filter's sweep (.s2p, Touchstone 1.x or 2.0)")
        ->type_name("FILE")
        ->required();
    app.add_option("--ladder", in.ladder, "The ladder it was built from (JSON, see below)")
        ->type_name("FILE")
        ->required();
    app.add_option("--pad", in.pads,
                   "Series resistor between each analyser port and the filter [Ohm], 0 to 100000")
        ->type_name("OHM[,OHM]")
        ->delimiter(',');
    app.add_option("--transformer", in.transformers,
                   "Ideal transformer at each port, turns ratio 1:N (the filter sees N^2 times the "
                   "port's resistance)")
        ->type_name("N[,N]")
        ->delimiter(',');
    app.add_option("--lc-lowpass", in.lowPass,
                   "L-C low-pass match at each port: L in series from the analyser [uH], C across "
                   "the filter's side [pF]")
        ->type_name("L,C[,L,C]")
        ->delimiter(',');
    app.add_option("--lc-highpass", in.highPass,
                   "L-C high-pass match at each port: C in series from the analyser [pF], L across "
                   "the filter's side [uH]")
        ->type_name("C,L[,C,L]")
        ->delimiter(',');
    app.add_flag("--no-s11", in.noReflection, "Fit S21 alone, even where S11 was measured");
    app.add_flag("--json", in.json, "Print one JSON object instead of the report");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, std::cout, std::cerr) == 0 ? kExitDone : kExitUsage;
    }
    const std::string me = "korvan-cli diagnose: ";

    measurement::Fixture fixture;
    // The high-pass values come as C, L: turned to L, C for the fixture.
    std::vector<double> highPass = in.highPass;
    for (std::size_t i = 0; i + 1 < highPass.size(); i += 2)
        std::swap(highPass[i], highPass[i + 1]);
    for (const auto& [values, kind, option] :
         {std::tuple{in.pads, PortFixture::Kind::SeriesPad, "--pad"},
          std::tuple{in.transformers, PortFixture::Kind::Transformer, "--transformer"},
          std::tuple{in.lowPass, PortFixture::Kind::LowPassMatch, "--lc-lowpass"},
          std::tuple{highPass, PortFixture::Kind::HighPassMatch, "--lc-highpass"}})
        if (const auto problem = perPort(values, kind, option, fixture)) {
            std::cerr << me << *problem << '\n';
            return kExitUsage;
        }
    if (const auto problem = measurement::fixtureProblem(fixture)) {
        std::cerr << me << *problem << '\n';
        return kExitUsage;
    }

    const std::string ext = lowerExtension(in.measured);
    if (ext.size() == 4 && ext.substr(0, 2) == ".s" && ext.back() == 'p' && ext != ".s2p") {
        std::cerr << me << in.measured << ": a " << ext.substr(2, 1)
                  << "-port file; diagnose needs the filter's two-port (.s2p)\n";
        return kExitRejected;
    }
    measurement::TouchstoneData data;
    try {
        data = measurement::readTouchstone(in.measured);
    } catch (const measurement::TouchstoneError& e) {
        std::cerr << me << in.measured << ": " << e.what() << '\n';
        return kExitRejected;
    }
    if (data.ports != 2) {
        std::cerr << me << in.measured << ": a " << data.ports
                  << "-port measurement (S11 only); diagnose needs the filter's S21 from a "
                     "two-port file\n";
        return kExitRejected;
    }
    LadderFile ladder;
    try {
        ladder = readLadderJson(in.ladder);
    } catch (const LadderJsonError& e) {
        std::cerr << me << in.ladder << ": " << e.what() << '\n';
        return kExitRejected;
    }

    const measurement::FilterMeasurement m = measurement::deembed(data, fixture);
    measurement::DiagnosisOptions options;
    options.useReflection = !in.noReflection;
    measurement::LadderDiagnosis diagnosis;
    try {
        diagnosis = measurement::diagnoseLadder(ladder.ladder, ladder.centreHz, m, options);
    } catch (const measurement::DiagnosisError& e) {
        std::cerr << me << e.what() << '\n';
        return kExitRejected;
    }

    const DiagnoseReport report{in.measured, in.ladder, ladder, fixture, m, diagnosis};
    if (in.json)
        writeDiagnoseJson(std::cout, report);
    else
        writeDiagnoseText(std::cout, report);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << me << "the output could not be written\n";
        return kExitFault;
    }
    if (!diagnosis.converged) {
        std::cerr << me << "the fit " << diagnosis.status << '\n';
        return kExitRejected;
    }
    return kExitDone;
}

} // namespace korvan::cli
