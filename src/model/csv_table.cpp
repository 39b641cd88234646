#include "model/csv_table.h"

#include "model/text_file.h"
#include "numeric/errors.h"

#include <algorithm>

namespace korvan {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

CsvLine splitLine(std::string_view line, int number, char delimiter) {
    CsvLine out;
    out.number = number;
    if (trimmed(line).empty()) {
        out.empty = true;
        return out;
    }
    std::size_t i = 0;
    const std::size_t n = line.size();
    const auto fail = [&](std::string what) {
        out.faultColumn = static_cast<int>(out.cells.size()) + 1;
        out.fault = std::move(what);
        return out;
    };
    while (true) {
        while (i < n && isBlank(line[i])) ++i;
        std::string cell;
        if (i < n && line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        cell += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                cell += line[i++];
            }
            if (!closed) return fail("the quoted cell is not closed on its line");
            while (i < n && isBlank(line[i])) ++i;
            if (i < n && line[i] != delimiter)
                return fail("text after the closing quote of the cell");
        } else {
            const std::size_t start = i;
            while (i < n && line[i] != delimiter) {
                if (line[i] == '"') return fail("a quote inside an unquoted cell");
                ++i;
            }
            cell = std::string(trimmed(line.substr(start, i - start)));
        }
        out.cells.push_back(std::move(cell));
        if (i >= n) break;
        ++i; // the delimiter: another cell follows, perhaps an empty one
    }
    return out;
}

} // namespace

char csvDelimiter(std::string_view headerLine) {
    bool quoted = false, semicolon = false;
    for (const char c : headerLine) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == ',') return ',';
        if (c == ';') semicolon = true;
    }
    return semicolon ? ';' : ',';
}

std::vector<CsvLine> readCsvLines(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string_view> raw;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        raw.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crLf ? 2 : 1));
    }
    std::vector<CsvLine> lines;
    if (raw.empty()) return lines;
    // The delimiter is the header's: the first line that is not empty.
    char delimiter = ',';
    for (const auto line : raw) {
        if (!trimmed(line).empty()) {
            delimiter = csvDelimiter(line);
            break;
        }
    }
    int number = 0;
    for (const auto line : raw) lines.push_back(splitLine(line, ++number, delimiter));
    return lines;
}

std::optional<std::string> csvEncodingProblem(std::string_view text) {
    const auto starts = [&](std::string_view mark) { return text.substr(0, mark.size()) == mark; };
    if (starts(std::string_view("\xFF\xFE\0\0", 4)) || starts(std::string_view("\0\0\xFE\xFF", 4)))
        return "is UTF-32 text; save it as UTF-8 (or plain ASCII) text";
    if (starts("\xFF\xFE") || starts("\xFE\xFF"))
        return "is UTF-16 text; save it as UTF-8 (or plain ASCII) text";
    const std::size_t nul = text.find('\0');
    if (nul == std::string_view::npos) return std::nullopt;
    // UTF-16 without a mark: ASCII characters with a zero byte next to each.
    std::size_t even = 0, odd = 0;
    const std::size_t probe = std::min<std::size_t>(text.size(), 4096);
    for (std::size_t i = 0; i < probe; ++i)
        if (text[i] == '\0') ++(i % 2 == 0 ? even : odd);
    if (even + odd >= probe / 4 && (even == 0 || odd == 0))
        return "is UTF-16 text; save it as UTF-8 (or plain ASCII) text";
    return "holds NUL bytes (at byte " + std::to_string(nul + 1) + "): not a text file";
}

std::string readCsvFile(const std::filesystem::path& path) {
    std::string text = readRegularFile(path, kMaxCsvBytes);
    if (const auto problem = csvEncodingProblem(text)) throw FileError(*problem);
    return text;
}

} // namespace korvan
