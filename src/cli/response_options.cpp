#include "cli/response_options.h"

#include "analysis/ngspice_deck.h"
#include "cli/cli_options.h"
#include "model/text_file.h"
#include "numeric/errors.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <exception>
#include <ostream>

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;

bool wantsResponse(const ResponseOptions& o) {
    return !o.touchstone.empty() || !o.csv.empty() || o.jsonResponse;
}

bool anyFile(const ResponseOptions& o) {
    return !o.touchstone.empty() || !o.csv.empty() || !o.ngspice.empty();
}

analysis::SweepSpan chosenSpan(const DesignState& state, const ResponseOptions& o) {
    analysis::SweepSpan span = analysis::displaySpan(state, o.points);
    if (o.startKHz) span.startHz = *o.startKHz * 1000;
    if (o.stopKHz) span.stopHz = *o.stopKHz * 1000;
    return span;
}

json responseJson(const analysis::ComplexResponse& r) {
    json f = json::array(), s21re = json::array(), s21im = json::array(), s11re = json::array(),
         s11im = json::array(), delay = json::array();
    for (std::size_t i = 0; i < r.size(); ++i) {
        f.push_back(r.fHz[i]);
        s21re.push_back(r.s[i].s21.real());
        s21im.push_back(r.s[i].s21.imag());
        s11re.push_back(r.s[i].s11.real());
        s11im.push_back(r.s[i].s11.imag());
        delay.push_back(r.s[i].groupDelayS);
    }
    return json{{"reference_Ohm", r.reference.port1Ohm},
                {"f", f},
                {"S21_re", s21re},
                {"S21_im", s21im},
                {"S11_re", s11re},
                {"S11_im", s11im},
                {"group_delay_s", delay}};
}

bool writeFile(const std::string& path, const std::string& text, const char* what,
               std::ostream& err) {
    try {
        writeFileAtomically(path, text);
        return true;
    } catch (const std::exception& e) {
        err << "korvan-cli: the " << what << " '" << path << "' could not be written: " << e.what()
            << '\n';
        return false;
    }
}

} // namespace

void addResponseOptions(CLI::App& app, ResponseOptions& o) {
    app.add_option("--touchstone", o.touchstone,
                   "Write the complex response as a Touchstone 1.1 two-port file (.s2p)")
        ->type_name("FILE");
    app.add_option("--response-csv", o.csv,
                   "Write the response as CSV: f [Hz], S21 [dB], S21 phase [deg], S11 [dB], "
                   "VSWR, group delay [s]")
        ->type_name("FILE");
    app.add_option("--ngspice", o.ngspice,
                   "Write an ngspice deck of the ladder; ngspice -b FILE writes its S-parameters "
                   "to <name>_sp.txt")
        ->type_name("FILE");
    app.add_option("--points", o.points,
                   "Points of the response, 2 to 100001 (default 1001), equally spaced")
        ->type_name("N");
    app.add_option("--start", o.startKHz,
                   "First frequency of the response [kHz] (default: "
                   "the display span's lower edge)")
        ->type_name("KHZ");
    app.add_option("--stop", o.stopKHz,
                   "Last frequency of the response [kHz] (default: the display span's upper edge)")
        ->type_name("KHZ");
    app.add_option("--ref", o.refOhm,
                   "Reference resistance of both ports [Ohm] (default: the termination Zterm)")
        ->type_name("OHM");
    app.add_option("--format", o.format, "Touchstone number format (default db)")
        ->type_name("db|ma|ri")
        ->check(CLI::IsMember({"db", "ma", "ri"}, CLI::ignore_case).description(""));
    app.add_flag("--response", o.jsonResponse,
                 "With --json: add the complex response (f, S21, S11, group delay)");
}

std::optional<std::string> responseOptionsProblem(const ResponseOptions& o, bool json) {
    if (o.points < analysis::kMinResponsePoints || o.points > analysis::kMaxResponsePoints)
        return "--points must be 2 to 100001";
    for (const auto& [value, name] : {std::pair{o.startKHz, "--start"}, {o.stopKHz, "--stop"}})
        if (value && !(std::isfinite(*value) && *value > 0))
            return std::string(name) + " must be a frequency above 0 kHz";
    if (o.startKHz && o.stopKHz && !(*o.startKHz < *o.stopKHz))
        return "--start must lie below --stop";
    if (o.refOhm && !(std::isfinite(*o.refOhm) && *o.refOhm > 0))
        return "--ref must be a resistance above 0 Ohm";
    if (!analysis::parseTouchstoneFormat(o.format)) return "--format must be db, ma or ri";
    if (o.jsonResponse && !json) return "--response needs --json";
    return std::nullopt;
}

int runResponseOutputs(const analysis::DesignOutcome* outcome, const ResponseOptions& o,
                       std::ostream& err, json* report) {
    const bool withJson = report && o.jsonResponse;
    if (withJson) (*report)["response"] = nullptr;
    if (!outcome) {
        if (anyFile(o)) err << "korvan-cli: the design stopped: no response file written\n";
        return kExitDone; // the design's own exit code tells why
    }

    if (!wantsResponse(o) && o.ngspice.empty()) return kExitDone;
    const analysis::SweepSpan span = chosenSpan(outcome->state(), o);
    if (const auto problem = analysis::spanProblem(span)) {
        err << "korvan-cli: the response span " << analysis::exactNumber(span.startHz * 0.001)
            << " kHz to " << analysis::exactNumber(span.stopHz * 0.001)
            << " kHz cannot be swept: " << *problem << '\n';
        return kExitUsage;
    }
    const analysis::PortReference reference = o.refOhm
                                                  ? analysis::PortReference{*o.refOhm, *o.refOhm}
                                                  : analysis::terminations(outcome->ladder());
    const auto description = analysis::designDescription(outcome->state(), outcome->rmOhm());

    int code = kExitDone;
    if (!o.ngspice.empty()) {
        const auto deck =
            analysis::ngspiceDeck(outcome->ladder(), span, reference.port1Ohm, description,
                                  analysis::ngspiceResultName(o.ngspice));
        if (!writeFile(o.ngspice, deck, "ngspice deck", err)) code = kExitFault;
    }
    if (!wantsResponse(o)) return code;
    const analysis::ComplexResponse response =
        analysis::sweepLadder(outcome->ladder(), span, reference);
    if (!response.finite()) {
        err << "korvan-cli: the response is not finite (a lossless crystal hit exactly at its "
               "resonance): no response file written\n";
        return kExitFault;
    }

    if (!o.touchstone.empty()) {
        const auto text = analysis::touchstoneText(
            response, *analysis::parseTouchstoneFormat(o.format), description);
        if (!writeFile(o.touchstone, text, "Touchstone file", err)) code = kExitFault;
    }
    if (!o.csv.empty() && !writeFile(o.csv, analysis::responseCsvText(response), "CSV file", err))
        code = kExitFault;
    if (withJson) (*report)["response"] = responseJson(response);
    return code;
}

} // namespace korvan::cli
