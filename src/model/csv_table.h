#pragma once
// A small CSV reader for batches of measurements: one record per line,
// cells separated by a comma (or a semicolon, when the header line has no
// comma), optionally quoted with double quotes ("" inside a quoted cell is
// one quote). Blanks around unquoted cells are dropped. A line that cannot
// be split keeps its fault, naming the column, and the lines after it are
// still read.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

struct CsvLine {
    int number = 0; // 1 for the first line of the text
    std::vector<std::string> cells;
    bool empty = false; // nothing but blanks on the line
    // Set when the line could not be split: the 1-based column and what is
    // wrong there; `cells` then holds the cells before it.
    std::optional<int> faultColumn;
    std::string fault;
};

// The cell delimiter: ';' when the line holds a semicolon outside quotes
// and no comma, else ','.
char csvDelimiter(std::string_view headerLine);

// Every line of the text, CR LF, LF or CR ends, a leading UTF-8 byte-order
// mark skipped; a final line end does not open another line.
std::vector<CsvLine> readCsvLines(std::string_view text);

// Batches larger than this are refused rather than read into memory.
inline constexpr std::uintmax_t kMaxCsvBytes = 64u * 1024u * 1024u;

// The text of a CSV file: a regular file of at most kMaxCsvBytes, in a text
// encoding. Throws FileError with the reason, worded to follow the file's
// name ("is a FIFO, not a regular file", "is UTF-16 text; ...").
std::string readCsvFile(const std::filesystem::path& path);

// Why the text cannot be read as CSV at all (UTF-16 or UTF-32, binary data),
// worded to follow the file's name; nullopt for text.
std::optional<std::string> csvEncodingProblem(std::string_view text);

} // namespace korvan
