#include "cli/prototype_command.h"

#include "cli/cli_options.h"
#include "numeric/errors.h"
#include "prototype/prototype.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

namespace korvan::cli {
namespace {

using Json = nlohmann::ordered_json;
using prototype::CoupledResonatorCoefficients;

constexpr const char* kPrefix = "korvan-cli prototype: ";

std::string footer() {
    return "Families: " + prototype::familyNames() +
           ".\n"
           "Normalised to the 3 dB bandwidth BW: q = Qe BW/f0, k = K f0/BW, qo = Qu BW/f0.\n"
           "With --qo the poles are predistorted so that resonators of that qo give the\n"
           "family's lossless shape, lowered by the insertion loss shown; q1 and qn then count\n"
           "the end resonators' own loss (as published tables do), qe1 and qen are what the\n"
           "terminations must give. Solutions are the different ladders of one response\n"
           "(mirror images once, q1 <= qn), the most balanced first.\n"
           "\n"
           "Exit codes: 0 done, 1 input refused, 2 usage error, 3 fault.\n"
           "\n"
           "Example:\n"
           "  korvan-cli prototype --family bessel --poles 6 --qo 12 --all\n";
}

Json coefficientsJson(const CoupledResonatorCoefficients& c) {
    return {{"q1", c.q1},   {"qn", c.qn},   {"k", c.k},
            {"qe1", c.qe1}, {"qen", c.qen}, {"IL_dB", c.insertionLossDb}};
}

void writeJson(const prototype::Prototype& p) {
    const auto& r = p.request;
    const auto& chosen = p.chosen();
    Json out;
    out["family"] = prototype::familyInfo(r.family).name;
    out["poles"] = r.poles;
    out["ripple_dB"] = prototype::familyInfo(r.family).hasRipple ? Json(r.rippleDb) : Json();
    out["qo"] = r.qo ? Json(*r.qo) : Json();
    out["qo_min"] = p.qoMin;
    out["IL_dB"] = chosen.insertionLossDb;
    out["q1"] = chosen.q1;
    out["qn"] = chosen.qn;
    out["k"] = chosen.k;
    out["qe1"] = chosen.qe1;
    out["qen"] = chosen.qen;
    out["solutions"] = Json::array();
    for (const auto& c : p.solutions) out["solutions"].push_back(coefficientsJson(c));
    std::cout << out.dump(2) << '\n';
}

void writeTable(const prototype::Prototype& p) {
    const auto& r = p.request;
    const auto& shown = p.solutions;
    const double qoMin = p.qoMin;
    const auto& info = prototype::familyInfo(r.family);
    std::printf("%s", std::string(info.name).c_str());
    if (info.hasRipple) std::printf(" %g dB", r.rippleDb);
    std::printf(", %d poles, ", r.poles);
    if (r.qo)
        std::printf("qo %g (minimum %.6g), insertion loss %.4f dB\n", *r.qo, qoMin,
                    shown.front().insertionLossDb);
    else
        std::printf("lossless (qo minimum %.6g)\n", qoMin);
    std::printf("solution  %10s %10s", "q1", "qn");
    if (r.qo) std::printf(" %10s %10s", "qe1", "qen");
    for (int i = 1; i < r.poles; ++i)
        std::printf(" %10s", ("k" + std::to_string(i) + std::to_string(i + 1)).c_str());
    std::printf("\n");
    for (std::size_t s = 0; s < shown.size(); ++s) {
        const auto& c = shown[s];
        std::printf("%8zu  %10.6f %10.6f", s + 1, c.q1, c.qn);
        if (r.qo) std::printf(" %10.6f %10.6f", c.qe1, c.qen);
        for (const double k : c.k) std::printf(" %10.6f", k);
        std::printf("\n");
    }
    if (shown.size() < p.solutionCount)
        std::printf("(the most balanced of %zu solutions; --all lists them)\n", p.solutionCount);
}

} // namespace

int runPrototypeCommand(int argc, const char* const* argv) {
    CLI::App app{"Coupled-resonator coefficients (q1, qn and the k's) of a low-pass prototype "
                 "of any response family, lossless or predistorted for resonators of finite "
                 "unloaded Q.",
                 argv[0]};
    app.footer(footer());
    std::string familyName;
    int poles = 0;
    std::optional<double> ripple, qo;
    bool all = false, json = false;
    app.add_option("--family", familyName, "Response family (see below)")
        ->type_name("F")
        ->required();
    app.add_option("--poles", poles, "Number of poles (resonators), 2 to 14")
        ->type_name("N")
        ->required();
    app.add_option("--ripple", ripple, "Pass-band ripple [dB], 0.001 to 3 (chebyshev only)")
        ->type_name("DB");
    app.add_option("--qo", qo,
                   "Unloaded Q of the resonators times BW/f0: predistort for it "
                   "(default: lossless)")
        ->type_name("QO");
    app.add_flag("--all", all, "Every solution, not only the most balanced");
    app.add_flag("--json", json, "Print one JSON object instead of the table");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, std::cout, std::cerr) == 0 ? kExitDone : kExitUsage;
    }

    prototype::Request request;
    try {
        request.family = prototype::parseFamily(familyName);
    } catch (const prototype::PrototypeError& e) {
        std::cerr << kPrefix << e.what() << '\n';
        return kExitUsage;
    }
    if (prototype::familyInfo(request.family).hasRipple && !ripple) {
        std::cerr << kPrefix << familyName << " needs --ripple DB (" << prototype::kMinRippleDb
                  << " to " << prototype::kMaxRippleDb << " dB)\n";
        return kExitUsage;
    }
    request.poles = poles;
    request.rippleDb = ripple.value_or(0);
    request.qo = qo;

    prototype::Prototype result;
    try {
        result = prototype::solutions(request, all ? prototype::Solutions::All
                                                   : prototype::Solutions::MostBalanced);
    } catch (const prototype::PrototypeError& e) {
        std::cerr << kPrefix << e.what() << '\n';
        return kExitRejected;
    } catch (const std::exception& e) {
        std::cerr << kPrefix << e.what() << '\n';
        return kExitFault;
    }

    if (json)
        writeJson(result);
    else
        writeTable(result);
    std::cout.flush();
    std::fflush(stdout);
    if (!std::cout || std::ferror(stdout)) {
        std::cerr << kPrefix << "the output could not be written\n";
        return kExitFault;
    }
    return kExitDone;
}

} // namespace korvan::cli
