#include "cli/copying_tool_command.h"

#include "cli/cli_options.h"
#include "cli/headless_design.h"
#include "cli/stream_messages.h"
#include "cli/tool_batch.h"
#include "model/csv_table.h"
#include "numeric/errors.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>
#include <variant>

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;

constexpr const char* kFooter =
    "The main design's options (see korvan-cli --help: --config, --type, --lm or --cm, --fs,\n"
    "--cp, --bw, --ripple, --poles, --span, --rm, --yes, --decimal-separator) set up the\n"
    "design that this calculator copies its starting values from, as its window does when\n"
    "it opens; the window's opening calculation follows. The options above are then typed\n"
    "into their fields (digits and one decimal separator) and Enter calculates again.\n"
    "Messages go to stderr as \"TITLE: text\".\n"
    "\n"
    "Exit codes:\n"
    "  0  done (an \"Info\" answer such as \"No tuning capacitor required\" included)\n"
    "  1  the last calculation was refused: a box titled \"Error\" (the warning about a\n"
    "     tuning capacitor below 10 pF still counts as done: the value is shown)\n"
    "  2  usage error (unknown option, bad value, unusable settings file)\n"
    "  3  an error ended the last calculation (floating-point or conversion fault)\n";

// The window's texts without the blanks that place them in their fields.
std::string tidy(const std::string& text) {
    std::string out;
    for (const char c : text)
        if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

void writeReport(std::ostream& out, const CopyingToolCommand& calculator, const FormModel& form) {
    const auto lines = [&](const char* heading, const std::vector<ReportLine>& rows) {
        out << '\n' << heading << '\n';
        for (const auto& row : rows)
            out << "  " << std::left << std::setw(34) << row.caption << tidy(form.text(row.control))
                << '\n';
    };
    out << calculator.title << '\n';
    lines("Inputs", calculator.inputs);
    lines("Results", calculator.results);
}

bool isWarning(const CopyingToolCommand& calculator, const Message& m) {
    return std::find(calculator.warnings.begin(), calculator.warnings.end(), m.text) !=
           calculator.warnings.end();
}

int exitCodeOf(const CopyingToolCommand& calculator,
               const std::vector<StreamMessages::Shown>& shown, std::size_t from) {
    int code = kExitDone;
    for (std::size_t i = from; i < shown.size(); ++i) {
        const Message& m = shown[i].message;
        if (m.icon == MsgIcon::Stop && m.title != "Error") return kExitFault;
        if (m.title == "Error" && !isWarning(calculator, m)) code = kExitRejected;
    }
    return code;
}

// The batch column of an option: "--actual" -> "actual".
std::string columnOf(const ToolOption& option) {
    return std::string(option.name).substr(2);
}

// A batch: one opening of the calculator on the design per row, its cells
// typed into the fields (over those given as options) and Enter.
int runBatch(const CopyingToolCommand& calculator, MainForm& design, const std::string& csvText,
             const std::vector<FieldText>& typed, bool asJson) {
    ToolCommand command;
    command.name = calculator.name;
    command.title = calculator.title;
    for (const ToolOption& o : calculator.options)
        command.inputs.push_back({columnOf(o), o.unit, o.help});
    for (const BatchColumn& c : calculator.batchColumns)
        command.results.push_back({c.name, c.name, ""});
    command.calculate = [&](const ToolInputs& row, char) {
        ScriptedMessages boxes;
        const auto session = calculator.open(design, boxes);
        session->activate();
        std::vector<FieldText> cells = typed;
        for (const ToolOption& o : calculator.options)
            if (const auto it = row.find(columnOf(o)); it != row.end() && !it->second.empty())
                cells.push_back({o.name, o.field, it->second});
        if (!cells.empty()) {
            boxes.clear(); // the row's answer is that of its own calculation
            for (const auto& cell : cells) session->form().setText(cell.field, cell.text);
            session->calculate();
        }
        ToolResult result;
        takeMessages(result, boxes);
        result.refused =
            std::any_of(result.messages.begin(), result.messages.end(), [&](const Message& m) {
                return (m.title == "Error" || m.icon == MsgIcon::Stop) && !isWarning(calculator, m);
            });
        const FormModel& tool = session->form();
        for (const BatchColumn& c : calculator.batchColumns)
            result.values[c.name] = tidy(tool.text(c.control));
        json fields = json::object(), labels = json::object();
        for (const auto& name : calculator.fields) fields[name] = tool.text(name);
        for (const auto& name : calculator.labels) labels[name] = tool.text(name);
        result.json = {{"fields", fields},
                       {"labels", labels},
                       {"state", session->state()},
                       {"messages", messagesJson(result.messages)}};
        return result;
    };
    const int code =
        runToolBatch(csvText, command, design.separator(), asJson, std::cout, std::cerr);
    std::cout.flush();
    return code;
}

} // namespace

int runCopyingTool(const CopyingToolCommand& calculator, int argc, const char* const* argv) {
    CLI::App app{calculator.description, argv[0]};
    app.footer(kFooter);
    app.allow_extras();
    app.get_formatter()->column_width(24);
    std::vector<std::string> values(calculator.options.size());
    std::vector<CLI::Option*> given;
    for (std::size_t i = 0; i < calculator.options.size(); ++i) {
        const ToolOption& o = calculator.options[i];
        given.push_back(app.add_option(o.name, values[i], o.help)->type_name(o.unit));
    }
    bool asJson = false;
    app.add_flag("--json", asJson,
                 "Print one JSON object (fields, labels, state, messages) instead of the report");
    std::string csvFile;
    app.add_option("--csv", csvFile,
                   "Run a batch: the header row names options of this list (without \"--\"), "
                   "each later row is one opening of the calculator with those values typed in; "
                   "results as CSV on stdout (one JSON object per line with --json); exit code "
                   "1 when a row was refused")
        ->type_name("FILE");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, std::cout, std::cerr) == 0 ? kExitDone : kExitUsage;
    }

    // What is left belongs to the main design.
    std::vector<std::string> rest = app.remaining();
    std::vector<const char*> designArgs{argv[0]};
    for (const auto& arg : rest) designArgs.push_back(arg.c_str());
    const auto parsed =
        parseOptions(static_cast<int>(designArgs.size()), designArgs.data(), std::cout, std::cerr);
    if (const int* code = std::get_if<int>(&parsed)) return *code;
    const auto& options = std::get<CliOptions>(parsed);

    std::vector<FieldText> typed;
    for (std::size_t i = 0; i < calculator.options.size(); ++i) {
        if (given[i]->count() == 0) continue;
        const auto text = typeIntoField(values[i], options.separator);
        if (!text) {
            std::cerr << "korvan-cli: " << calculator.options[i].name << " '" << values[i]
                      << "' cannot stand in its field: digits and one decimal separator only\n";
            return kExitUsage;
        }
        typed.push_back({calculator.options[i].name, calculator.options[i].field, *text});
    }

    std::error_code ec;
    const auto workingFolder = std::filesystem::current_path(ec);
    if (ec) {
        std::cerr << "korvan-cli: the working folder cannot be read: " << ec.message() << '\n';
        return kExitUsage;
    }
    StreamMessages messages(std::cerr, options.yes);
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, workingFolder, options.separator);
    if (runDesign(form, messages, options).exitCode == kExitUsage) return kExitUsage;
    // The window cannot be opened where the main window's command is off
    // (the tuning window with Cohn or QER, Cs to Cp with QER).
    if (const ControlState* item = form.form().find(calculator.menuItem);
        item && (!item->enabled || !item->visible)) {
        std::cerr << "korvan-cli " << calculator.name << ": the main window offers this calculator "
                  << "only for other filter types (its menu command is off for this one)\n";
        return kExitUsage;
    }

    if (!csvFile.empty()) {
        std::string text;
        try {
            text = readCsvFile(csvFile);
        } catch (const FileError& e) {
            std::cerr << "korvan-cli " << calculator.name << ": the CSV file '" << csvFile << "' "
                      << e.what() << '\n';
            return kExitUsage;
        }
        return runBatch(calculator, form, text, typed, asJson);
    }

    const auto session = calculator.open(form, messages);
    std::size_t lastCalculation = messages.shown().size();
    session->activate();
    if (!typed.empty()) {
        lastCalculation = messages.shown().size();
        for (const auto& field : typed) session->form().setText(field.field, field.text);
        session->calculate();
    }

    const FormModel& tool = session->form();
    if (asJson) {
        json fields = json::object(), labels = json::object(), shown = json::array();
        for (const auto& name : calculator.fields) fields[name] = tool.text(name);
        for (const auto& name : calculator.labels) labels[name] = tool.text(name);
        for (const auto& box : messages.shown())
            shown.push_back({{"title", box.message.title},
                             {"text", withLineBreaks(box.message.text)},
                             {"answer", toString(box.answer)}});
        const json out = {{"fields", fields},
                          {"labels", labels},
                          {"state", session->state()},
                          {"messages", shown}};
        std::cout << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
    } else {
        writeReport(std::cout, calculator, tool);
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "korvan-cli: the output could not be written\n";
        return kExitFault;
    }
    return exitCodeOf(calculator, messages.shown(), lastCalculation);
}

} // namespace korvan::cli
