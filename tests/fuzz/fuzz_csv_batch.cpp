// Any bytes as a measurement batch file: the reader must split or refuse
// each line without crashing, and every cell it returns must come from the
// line it names.

#include "model/csv_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto lines = korvan::readCsvLines(text);
    int previous = 0;
    std::size_t cellBytes = 0;
    for (const auto& line : lines) {
        if (line.number != previous + 1) std::abort();
        previous = line.number;
        if (line.faultColumn &&
            (*line.faultColumn < 1 || *line.faultColumn > static_cast<int>(line.cells.size()) + 1))
            std::abort();
        for (const auto& cell : line.cells) cellBytes += cell.size();
    }
    // Cells never hold more than the text itself.
    if (cellBytes > size) std::abort();
    return 0;
}
