#include "cli/cli_options.h"

#include "app/program_info.h"
#include "cli/subcommands.h"
#include "numeric/errors.h"
#include "numeric/number_text.h"
#include "widgets/keystroke_filter.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <ostream>
#include <sstream>

namespace korvan::cli {

namespace {

constexpr const char* kDescription =
    "korvan-cli: designs a crystal-ladder band-pass filter headless, with the same "
    "calculation as the KORVAN window.\n"
    "Inputs start from the window's defaults (Lm 62 mH, fs 4998 kHz, Cp 4 pF, B3db 3 kHz, "
    "ripple 1 dB, 8 poles, span 10 kHz, Rm 20 Ohm, Chebyshev/Butterworth); --config loads a "
    "settings file over them, and each option below then replaces one field.";

constexpr const char* kFooter =
    "Field values are taken as if typed into the window's field: digits and one decimal\n"
    "separator (\".\", \",\", \":\" and \";\" all become the decimal separator); the window's\n"
    "checks, clamps and messages then apply. Messages go to stderr as \"TITLE: text\",\n"
    "followed by notes (\"note: --poles 20 was set to 14, ...\") for corrected values.\n"
    "The window's own Korvan3.cfg is never read or written unless named with --config;\n"
    "without --export nothing is written. The report (or the JSON) is printed also when\n"
    "the calculation stopped (exit codes 1 and 3).\n"
    "\n"
    "Exit codes:\n"
    "  0  done\n"
    "  1  input rejected, or the question about Lm/Cm answered No\n"
    "  2  usage error (unknown option, bad value, unusable settings file)\n"
    "  3  an error ended the calculation (floating-point, conversion or file fault)\n"
    "\n"
    "Example:\n"
    "  korvan-cli --type cohn --cm 20 --bw 2.4 --poles 6 --decimal-separator . --json";

struct FieldOption {
    const char* name;
    const char* field;
    const char* unit;
    const char* help;
};

// The fields in the order of the window's settings file (AEdit1 comes from
// --lm or --cm).
constexpr FieldOption kFieldOptions[] = {
    {"--fs", "AEdit2", "KHZ", "Series frequency fs [kHz]"},
    {"--cp", "AEdit3", "PF", "Holder capacitance Cp [pF]; 0 means none"},
    {"--bw", "AEdit4", "KHZ",
     "Wanted 3 dB bandwidth B3db [kHz]; lowered to the largest realisable bandwidth when wider"},
    {"--ripple", "AEdit5", "DB",
     "Pass-band ripple [dB], 0 to 3 (0 = Butterworth); Chebyshev/Butterworth type only"},
    {"--poles", "AEdit6", "N", "Number of poles, 2 to 14 (QER 4 to 14)"},
    {"--span", "AEdit7", "KHZ", "Display frequency span [kHz], B3db to 400"},
    {"--rm", "AEdit8", "OHM", "Crystal loss resistance Rm [Ohm]; empty or 0 = lossless"},
};

} // namespace

std::optional<std::string> typeIntoField(const std::string& text, char separator) {
    std::string field;
    for (const char key : text) {
        const auto decision =
            widgets::filterKeystroke(static_cast<unsigned char>(key), field, separator);
        switch (decision.action) {
        case widgets::KeyAction::Pass:
            // Backspace is a key, not a character of the value.
            if (decision.character == widgets::kBackspace) return std::nullopt;
            field += decision.character;
            break;
        case widgets::KeyAction::Replace:
            field += decision.character;
            break;
        case widgets::KeyAction::Drop:
        case widgets::KeyAction::Enter:
            return std::nullopt;
        }
    }
    return field;
}

std::variant<CliOptions, int> parseOptions(int argc, const char* const* argv, std::ostream& out,
                                           std::ostream& err) {
    CLI::App app{kDescription, "korvan-cli"};
    std::ostringstream overview;
    writeSubcommandOverview(overview);
    app.footer(kFooter + overview.str());
    app.get_formatter()->column_width(28);
    app.set_version_flag("--version", versionLine("korvan-cli"), "Print the version and exit");

    CliOptions options;
    std::string config, type, lm, cm, separator;
    auto* configOption =
        app.add_option("--config", config,
                       "Load a settings file in the window's ten-line format (filter type, "
                       "Lm/Cm choice, the eight fields) before the options below")
            ->type_name("FILE")
            ->check(CLI::Validator(CLI::ExistingFile).description(""));
    auto* typeOption =
        app.add_option("--type", type,
                       "Filter type: chebyshev (Chebyshev/Butterworth), cohn or qer (QER(G3UUR))")
            ->type_name("chebyshev|cohn|qer")
            ->check(CLI::IsMember({"chebyshev", "cohn", "qer"}, CLI::ignore_case).description(""));
    auto* lmOption =
        app.add_option("--lm", lm, "Motional inductance Lm [mH]; selects Lm for the crystal field")
            ->type_name("MH");
    auto* cmOption =
        app.add_option("--cm", cm, "Motional capacitance Cm [fF]; selects Cm for the crystal field")
            ->type_name("FF");
    lmOption->excludes(cmOption);

    constexpr std::size_t kFieldCount = std::size(kFieldOptions);
    std::array<std::string, kFieldCount> fieldValues;
    std::array<CLI::Option*, kFieldCount> fieldOptions{};
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const auto& f = kFieldOptions[i];
        fieldOptions[i] = app.add_option(f.name, fieldValues[i], f.help)->type_name(f.unit);
    }

    app.add_flag("--yes", options.yes,
                 "Answer Yes to the question about an implausible Lm or Cm (without it: No, "
                 "exit code 1)");
    app.add_flag("--export", options.exportNetlists,
                 "Write the three netlists into GPLA_files, ARD_files and SPICE_files under the "
                 "working folder, creating the folders if needed");
    app.add_flag("--json", options.json,
                 "Print one JSON object (fields, labels, colors, state, messages, exported, "
                 "design; see docs/json.md) instead of the readable report");
    app.add_flag("--sweep", options.sweep,
                 "Add the 501-point response across the span (f [Hz], S21, S11, VSWR)");
    auto* separatorOption =
        app.add_option("--decimal-separator", separator,
                       "Decimal separator for reading and printing numbers (default: the "
                       "system's)")
            ->type_name(".|,")
            ->check(CLI::IsMember({".", ","}).description(""));
    addResponseOptions(app, options.response);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? kExitDone : kExitUsage;
    }

    if (const auto problem = responseOptionsProblem(options.response, options.json)) {
        err << "korvan-cli: " << *problem << '\n';
        return kExitUsage;
    }
    options.separator =
        separatorOption->count() > 0 ? separator.front() : numeric::systemDecimalSeparator();
    if (configOption->count() > 0) options.configFile = config;
    if (typeOption->count() > 0) {
        // The check above ignores case but leaves the text as given.
        std::transform(type.begin(), type.end(), type.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (type == "cohn")
            options.type = FilterType::Cohn;
        else if (type == "qer")
            options.type = FilterType::Qer;
        else
            options.type = FilterType::ChebyshevButterworth;
    }

    const auto addField = [&](const char* option, const char* field,
                              const std::string& text) -> bool {
        const auto typed = typeIntoField(text, options.separator);
        if (!typed) {
            err << "korvan-cli: " << option << " '" << echoedText(text)
                << "' cannot stand in its field: digits and one decimal separator only\n";
            return false;
        }
        options.fields.push_back({option, field, *typed});
        return true;
    };
    if (lmOption->count() > 0) {
        options.lmCmItem = 0;
        if (!addField("--lm", "AEdit1", lm)) return kExitUsage;
    }
    if (cmOption->count() > 0) {
        options.lmCmItem = 1;
        if (!addField("--cm", "AEdit1", cm)) return kExitUsage;
    }
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        if (fieldOptions[i]->count() == 0) continue;
        if (!addField(kFieldOptions[i].name, kFieldOptions[i].field, fieldValues[i]))
            return kExitUsage;
    }
    return options;
}

} // namespace korvan::cli
