#include "designer/crystal_csv.h"

#include "model/csv_table.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <numbers>
#include <optional>

namespace korvan::designer {

namespace {

std::optional<double> number(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

int column(const std::vector<std::string>& header, std::string_view name) {
    for (std::size_t i = 0; i < header.size(); ++i)
        if (header[i] == name) return static_cast<int>(i);
    return -1;
}

} // namespace

CrystalList parseCrystalCsv(std::string_view text) {
    CrystalList out;
    const auto lines = readCsvLines(text);
    std::size_t first = 0;
    while (first < lines.size() && lines[first].empty) ++first;
    if (first == lines.size()) {
        out.errors.push_back("holds no crystal (the file is empty)");
        return out;
    }
    const auto& header = lines[first].cells;
    const int name = column(header, "file"), fs = column(header, "fs_Hz"),
              lm = column(header, "Lm_H"), cm = column(header, "Cm_F"),
              rm = column(header, "Rm_Ohm"), cp = column(header, "Cp_F");
    std::string missing;
    for (const auto& [index, label] :
         {std::pair{name, "file"}, {fs, "fs_Hz"}, {lm, "Lm_H"}, {rm, "Rm_Ohm"}, {cp, "Cp_F"}})
        if (index < 0) missing += (missing.empty() ? "" : ", ") + std::string(label);
    if (!missing.empty()) {
        out.errors.push_back("line " + std::to_string(lines[first].number) +
                             ": the header lacks the column(s) " + missing +
                             " (korvan-cli xtalfit --csv writes them)");
        return out;
    }
    for (std::size_t i = first + 1; i < lines.size(); ++i) {
        const CsvLine& line = lines[i];
        if (line.empty) continue;
        const std::string where = "line " + std::to_string(line.number) + ": ";
        if (line.faultColumn) {
            out.errors.push_back(where + "column " + std::to_string(*line.faultColumn) + ": " +
                                 line.fault);
            continue;
        }
        const auto cell = [&](int index) -> std::string {
            return index >= 0 && static_cast<std::size_t>(index) < line.cells.size()
                       ? line.cells[static_cast<std::size_t>(index)]
                       : std::string();
        };
        NamedCrystal c;
        c.name = cell(name);
        if (c.name.empty()) c.name = "row " + std::to_string(line.number);
        std::string fault;
        const auto read = [&](int index, const char* label) {
            const auto v = number(cell(index));
            if (!v && fault.empty())
                fault = std::string(label) + " '" + cell(index) + "' is not a number";
            return v.value_or(0.0);
        };
        const double fsHz = read(fs, "fs_Hz");
        c.model.lmH = read(lm, "Lm_H");
        c.model.rmOhm = read(rm, "Rm_Ohm");
        c.model.cpF = read(cp, "Cp_F");
        if (fault.empty() && !(fsHz > 0)) fault = "fs_Hz must be above 0";
        if (fault.empty() && !(c.model.lmH > 0)) fault = "Lm_H must be above 0";
        if (fault.empty()) {
            const double w = 2 * std::numbers::pi * fsHz;
            c.model.cmF = 1 / (w * w * c.model.lmH);
            if (cm >= 0 && !cell(cm).empty()) {
                const double given = read(cm, "Cm_F");
                if (fault.empty() && !(given > 0))
                    fault = "Cm_F must be above 0";
                else if (fault.empty() && std::fabs(given - c.model.cmF) > 1e-4 * c.model.cmF)
                    fault = "Cm_F does not agree with fs_Hz and Lm_H";
            }
        }
        if (fault.empty())
            if (const auto problem = crystalProblem(c)) fault = *problem;
        if (!fault.empty()) {
            out.errors.push_back(where + "crystal '" + c.name + "': " + fault);
            continue;
        }
        out.crystals.push_back(std::move(c));
    }
    if (out.crystals.empty() && out.errors.empty()) out.errors.push_back("holds no crystal");
    return out;
}

CrystalList readCrystalCsv(const std::filesystem::path& path) {
    CrystalList out;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        out.errors.push_back(std::filesystem::exists(path, ec) ? "is not a plain file"
                                                               : "cannot be found");
        return out;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        out.errors.push_back("cannot be read: " + ec.message());
        return out;
    }
    if (size > kMaxCrystalCsvBytes) {
        out.errors.push_back("is larger than " + std::to_string(kMaxCrystalCsvBytes >> 20) +
                             " MiB; not a crystal list");
        return out;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    if (!in || static_cast<std::uintmax_t>(in.gcount()) != size) {
        out.errors.push_back("cannot be read");
        return out;
    }
    return parseCrystalCsv(text);
}

} // namespace korvan::designer
