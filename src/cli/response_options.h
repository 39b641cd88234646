#pragma once
// korvan-cli's response outputs: the complex response of the outcome's
// ladder as Touchstone, CSV or JSON, over a span and point count of the
// user's. That sweep is what these options ask for; everything else comes
// from the outcome.

#include "analysis/design_outcome.h"
#include "analysis/response_export.h"

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace korvan::cli {

struct ResponseOptions {
    std::string touchstone; // empty: not asked for
    std::string csv;
    std::string ngspice;
    int points = analysis::kDefaultResponsePoints;
    std::optional<double> startKHz, stopKHz, refOhm;
    std::string format = "db";
    bool jsonResponse = false;
};

// Registers --touchstone, --response-csv, --ngspice, --points, --start,
// --stop, --ref, --format and --response, bound to `options`.
void addResponseOptions(CLI::App& app, ResponseOptions& options);

// After parsing: the problem with the values (for a usage error), or nullopt.
std::optional<std::string> responseOptionsProblem(const ResponseOptions& options, bool json);

// Writes the files asked for and, when `report` is given and --response was
// asked for, adds its "response" key. Returns an exit code: done, usage (a
// span that the design's defaults make empty) or fault (a file that cannot
// be written, a response that is not finite). A stopped design (no
// outcome) writes nothing.
int runResponseOutputs(const analysis::DesignOutcome* outcome, const ResponseOptions& options,
                       std::ostream& err, nlohmann::ordered_json* report);

} // namespace korvan::cli
