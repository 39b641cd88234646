#include "cli/tool_batch.h"

#include "cli/cli_options.h"
#include "cli/stream_messages.h"
#include "model/csv_table.h"
#include "numeric/errors.h"
#include "numeric/number_text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>

namespace korvan::cli {

namespace {

using json = nlohmann::ordered_json;

std::string unitSuffix(const std::string& unit) {
    return unit.empty() ? std::string() : " [" + unit + "]";
}

std::string joined(const std::vector<Message>& messages) {
    std::string out;
    for (const auto& m : messages) {
        if (!out.empty()) out += " | ";
        out += m.title + ": " + withLineBreaks(m.text);
    }
    std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

void writeReport(std::ostream& out, const ToolCommand& command, const ToolInputs& given,
                 const ToolResult& result) {
    out << command.title << '\n';
    std::size_t width = 0;
    for (const auto& in : command.inputs) width = std::max(width, in.name.size());
    for (const auto& r : command.results)
        width = std::max(width, r.label.size() + unitSuffix(r.unit).size());
    const auto row = [&](const std::string& name, const std::string& value) {
        out << "  " << name << std::string(width + 2 - std::min(width, name.size()), ' ') << value
            << '\n';
    };
    out << "Inputs given:\n";
    if (given.empty()) out << "  (the window's defaults)\n";
    for (const auto& in : command.inputs)
        if (const auto it = given.find(in.name); it != given.end())
            row(in.name, it->second + (in.unit.empty() ? "" : " " + in.unit));
    out << "Results:\n";
    for (const auto& r : command.results) {
        const auto it = result.values.find(r.name);
        row(r.label + unitSuffix(r.unit), it == result.values.end() ? "" : it->second);
    }
    if (!result.messages.empty()) {
        out << "Messages:\n";
        for (const auto& m : result.messages)
            out << "  " << m.title << ": " << withLineBreaks(m.text) << '\n';
    }
    if (result.refused)
        out << "The calculation was refused; the results are the window's "
               "previous ones.\n";
}

struct BatchRow {
    int number = 0;
    ToolInputs inputs;
    std::vector<std::string> cells; // as in the file, for the echo columns
    std::string fault;              // non-empty: refused before the calculation
};

} // namespace

void takeMessages(ToolResult& result, const ScriptedMessages& sink) {
    for (const auto& shown : sink.shown()) {
        result.messages.push_back(shown.message);
        if (shown.message.title == "Error" || shown.message.icon == MsgIcon::Stop)
            result.refused = true;
    }
}

json messagesJson(const std::vector<Message>& messages) {
    json out = json::array();
    for (const auto& m : messages)
        out.push_back({{"title", m.title}, {"text", withLineBreaks(m.text)}, {"answer", "OK"}});
    return out;
}

std::string csvCell(const std::string& text) {
    if (text.find_first_of(",\"\r\n;") == std::string::npos) return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

int runToolBatch(std::string_view csvText, const ToolCommand& command, char separator, bool asJson,
                 std::ostream& out, std::ostream& err) {
    const auto lines = readCsvLines(csvText);
    auto line = lines.begin();
    while (line != lines.end() && line->empty) ++line;
    if (line == lines.end()) {
        err << "korvan-cli " << command.name << ": the CSV file holds no header line\n";
        return kToolExitUsage;
    }
    if (line->faultColumn) {
        err << "korvan-cli " << command.name << ": row " << line->number << ", column "
            << *line->faultColumn << ": " << line->fault << '\n';
        return kToolExitUsage;
    }
    // Spreadsheets often end each line with a delimiter: empty columns at
    // the end of the header (and empty cells there) are not columns.
    std::vector<std::string> header = line->cells;
    while (!header.empty() && header.back().empty()) header.pop_back();
    if (header.empty()) {
        err << "korvan-cli " << command.name << ": row " << line->number
            << ": the header names no inputs\n";
        return kToolExitUsage;
    }
    for (std::size_t c = 0; c < header.size(); ++c) {
        const auto known = std::any_of(command.inputs.begin(), command.inputs.end(),
                                       [&](const ToolInput& in) { return in.name == header[c]; });
        const auto twice = std::find(header.begin(), header.begin() + static_cast<long>(c),
                                     header[c]) != header.begin() + static_cast<long>(c);
        if (!known || twice) {
            err << "korvan-cli " << command.name << ": row " << line->number << ", column " << c + 1
                << ": "
                << (twice ? "the column \"" + header[c] + "\" comes twice"
                          : "\"" + header[c] + "\" is not an input of " + command.name)
                << "; the inputs are:";
            for (const auto& in : command.inputs) err << ' ' << in.name;
            err << '\n';
            return kToolExitUsage;
        }
    }

    if (!asJson) {
        std::vector<std::string> columns{"row"};
        columns.insert(columns.end(), header.begin(), header.end());
        for (const auto& r : command.results) columns.push_back(r.name);
        columns.push_back("status");
        columns.push_back("message");
        for (std::size_t i = 0; i < columns.size(); ++i) out << (i ? "," : "") << columns[i];
        out << '\n';
    }

    bool anyRefused = false;
    for (++line; line != lines.end(); ++line) {
        if (line->empty) {
            err << "korvan-cli " << command.name << ": row " << line->number
                << ": empty line skipped\n";
            continue;
        }
        BatchRow row;
        row.number = line->number;
        std::vector<std::string> cells = line->cells;
        while (cells.size() > header.size() && cells.back().empty()) cells.pop_back();
        row.cells = cells;
        const std::string at = "row " + std::to_string(line->number) + ", column ";
        if (line->faultColumn) {
            row.fault = at + std::to_string(*line->faultColumn) + ": " + line->fault;
        } else if (cells.size() < header.size()) {
            row.fault = at + std::to_string(cells.size() + 1) + " (" + header[cells.size()] +
                        "): missing; the header has " + std::to_string(header.size()) + " columns";
        } else if (cells.size() > header.size()) {
            row.fault = at + std::to_string(header.size() + 1) + ": a cell beyond the header's " +
                        std::to_string(header.size()) + " columns";
        } else {
            for (std::size_t c = 0; c < header.size() && row.fault.empty(); ++c) {
                const std::string& cell = cells[c];
                if (cell.empty()) continue; // the field keeps its default
                const auto typed = typeIntoField(cell, separator);
                if (!typed)
                    row.fault = at + std::to_string(c + 1) + " (" + header[c] + "): '" + cell +
                                "' cannot stand in the field: digits and one decimal "
                                "separator only";
                else
                    row.inputs[header[c]] = *typed;
            }
            if (row.fault.empty() && command.check) {
                const std::string why = command.check(row.inputs);
                if (!why.empty()) row.fault = "row " + std::to_string(line->number) + ": " + why;
            }
        }
        row.cells.resize(header.size());

        ToolResult result;
        if (row.fault.empty()) {
            result = command.calculate(row.inputs, separator);
        } else {
            result.refused = true;
        }
        anyRefused = anyRefused || result.refused;
        const std::string message = row.fault.empty() ? joined(result.messages) : row.fault;
        const char* status = result.refused ? "refused" : "ok";

        if (asJson) {
            json record = {{"row", row.number}, {"status", status}};
            json inputs = json::object();
            for (const auto& [name, text] : row.inputs) inputs[name] = text;
            record["inputs"] = inputs;
            if (row.fault.empty()) {
                for (const auto& [key, value] : result.json.items()) record[key] = value;
            } else {
                record["messages"] = json::array();
            }
            record["message"] = message;
            out << record.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
            continue;
        }
        out << row.number;
        for (const auto& cell : row.cells) out << ',' << csvCell(cell);
        for (const auto& r : command.results) {
            const auto it = result.values.find(r.name);
            // A refused row shows no results: the window would still show
            // those of an earlier measurement.
            out << ',' << (result.refused || it == result.values.end() ? "" : csvCell(it->second));
        }
        out << ',' << status << ',' << csvCell(message) << '\n';
    }
    return anyRefused ? kToolExitRefused : kToolExitDone;
}

int runToolCommand(int argc, const char* const* argv, const ToolCommand& command) {
    CLI::App app{command.description, "korvan-cli " + command.name};
    app.get_formatter()->column_width(30);
    app.footer("Values are taken as if typed into the window's field: digits and one decimal\n"
               "separator (\".\", \",\", \":\" and \";\" all become the decimal separator).\n"
               "--csv FILE: the header row names inputs; one calculation per row; options\n"
               "given as well apply to every row unless its cell says otherwise. Results go\n"
               "to stdout as CSV (or one JSON object per line with --json); rows are numbered\n"
               "as the file's lines.\n"
               "\n"
               "Exit codes:\n"
               "  0  every calculation computed\n"
               "  1  a calculation (or a batch row) was refused; its message says why\n"
               "  2  usage error (unknown option or column, unreadable file)");
    std::vector<std::string> values(command.inputs.size());
    std::vector<CLI::Option*> options;
    for (std::size_t i = 0; i < command.inputs.size(); ++i) {
        const auto& in = command.inputs[i];
        options.push_back(app.add_option("--" + in.name, values[i], in.help + unitSuffix(in.unit))
                              ->type_name(in.unit.empty() ? "VALUE" : in.unit));
    }
    bool asJson = false;
    std::string csvFile, separatorText;
    app.add_flag("--json", asJson,
                 "Print JSON (fields, labels, state, messages) instead of the readable report");
    app.add_option("--csv", csvFile, "Run a batch: one calculation per row of the CSV file")
        ->type_name("FILE");
    auto* separatorOption =
        app.add_option("--decimal-separator", separatorText,
                       "Decimal separator for reading and printing numbers (default: the "
                       "system's)")
            ->type_name(".|,")
            ->check(CLI::IsMember({".", ","}).description(""));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, std::cout, std::cerr) == 0 ? kToolExitDone : kToolExitUsage;
    }
    const char separator =
        separatorOption->count() > 0 ? separatorText.front() : numeric::systemDecimalSeparator();

    ToolInputs given;
    for (std::size_t i = 0; i < command.inputs.size(); ++i) {
        if (options[i]->count() == 0) continue;
        const auto typed = typeIntoField(values[i], separator);
        if (!typed) {
            std::cerr << "korvan-cli " << command.name << ": --" << command.inputs[i].name << " '"
                      << values[i]
                      << "' cannot stand in its field: digits and one decimal separator only\n";
            return kToolExitUsage;
        }
        given[command.inputs[i].name] = *typed;
    }

    if (!csvFile.empty()) {
        std::string text;
        try {
            text = readCsvFile(csvFile);
        } catch (const FileError& e) {
            std::cerr << "korvan-cli " << command.name << ": the CSV file '" << csvFile << "' "
                      << e.what() << '\n';
            return kToolExitUsage;
        }
        ToolCommand withDefaults = command;
        withDefaults.calculate = [&command, given](const ToolInputs& row, char sep) {
            ToolInputs all = given;
            for (const auto& [name, text] : row) all[name] = text;
            return command.calculate(all, sep);
        };
        if (command.check)
            withDefaults.check = [&command, given](const ToolInputs& row) {
                ToolInputs all = given;
                for (const auto& [name, text] : row) all[name] = text;
                return command.check(all);
            };
        const int code = runToolBatch(text, withDefaults, separator, asJson, std::cout, std::cerr);
        std::cout.flush();
        return code;
    }

    if (command.check) {
        const std::string why = command.check(given);
        if (!why.empty()) {
            std::cerr << "korvan-cli " << command.name << ": " << why << '\n';
            return kToolExitUsage;
        }
    }
    const ToolResult result = command.calculate(given, separator);
    for (const auto& m : result.messages)
        std::cerr << m.title << ": " << withLineBreaks(m.text) << '\n';
    if (asJson)
        std::cout << result.json.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
    else
        writeReport(std::cout, command, given, result);
    std::cout.flush();
    return result.refused ? kToolExitRefused : kToolExitDone;
}

} // namespace korvan::cli
