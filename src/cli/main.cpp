// korvan-cli: the headless front. The options are typed into the main form's
// fields, the form runs the calculation the window runs, and its outcome is
// printed as a report or as JSON.

#include "model/clipboard.h"
#include "app/main_form.h"
#include "cli/cli_options.h"
#include "cli/headless_design.h"
#include "cli/json_report.h"
#include "cli/option_notes.h"
#include "cli/response_options.h"
#include "cli/stream_messages.h"
#include "cli/subcommands.h"
#include "cli/text_report.h"

#include <filesystem>
#include <iostream>
#include <variant>

int main(int argc, char** argv) {
    using namespace korvan;
    if (const cli::Subcommand* command = cli::findSubcommand(argc, argv))
        return cli::runSubcommand(*command, argc, argv);
    const auto parsed = cli::parseOptions(argc, argv, std::cout, std::cerr);
    if (const int* code = std::get_if<int>(&parsed)) return *code;
    const auto& options = std::get<cli::CliOptions>(parsed);

    std::error_code ec;
    const auto workingFolder = std::filesystem::current_path(ec);
    if (ec) {
        std::cerr << "korvan-cli: the working folder cannot be read: " << ec.message() << '\n';
        return cli::kExitUsage;
    }

    cli::StreamMessages messages(std::cerr, options.yes);
    RecordingClipboard clipboard; // the ARD text has no clipboard to go to
    MainForm form(messages, clipboard, workingFolder, options.separator);
    const auto run = cli::runDesign(form, messages, options);
    if (run.exitCode == cli::kExitUsage) return run.exitCode;
    for (const auto& note : cli::optionNotes(options, form, messages)) std::cerr << note << '\n';

    int responseCode = cli::kExitDone;
    if (options.json) {
        auto report = cli::designJson(form, messages, run.exported, options.sweep);
        responseCode =
            cli::runResponseOutputs(form.outcome().get(), options.response, std::cerr, &report);
        std::cout << report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                  << '\n';
    } else {
        responseCode =
            cli::runResponseOutputs(form.outcome().get(), options.response, std::cerr, nullptr);
        cli::writeTextReport(std::cout, form, run.exported, options.sweep);
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "korvan-cli: the output could not be written\n";
        return cli::kExitFault;
    }
    return run.exitCode != cli::kExitDone ? run.exitCode : responseCode;
}
