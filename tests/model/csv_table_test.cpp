// Splitting batch files into cells, and the faults that name their column.

#include "model/csv_table.h"
#include "numeric/errors.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace {

using korvan::readCsvLines;

TEST(csv_table_test, lines_and_cells) {
    struct Case {
        const char* text;
        std::vector<std::vector<std::string>> cells;
    } cases[] = {
        {"a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        {"a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
        {"a,b\r1,2\r3,4\r", {{"a", "b"}, {"1", "2"}, {"3", "4"}}}, // classic Mac OS ends
        {"\xEF\xBB\xBF"
         "a\n 1 \n",
         {{"a"}, {"1"}}},
        {"a;b\n1,5;2\n", {{"a", "b"}, {"1,5", "2"}}},
        {"a,b\n\"1,5\",\"say \"\"hi\"\"\"\n", {{"a", "b"}, {"1,5", "say \"hi\""}}},
        {"a,b,c\n1,,\n", {{"a", "b", "c"}, {"1", "", ""}}},
        {"a\n\"\"\n", {{"a"}, {""}}},
        {"", {}},
    };
    for (const auto& c : cases) {
        const auto lines = readCsvLines(c.text);
        ASSERT_EQ(lines.size(), c.cells.size()) << c.text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].cells, c.cells[i]) << c.text;
            EXPECT_EQ(lines[i].number, static_cast<int>(i) + 1);
            EXPECT_FALSE(lines[i].faultColumn) << c.text;
        }
    }
}

TEST(csv_table_test, faults_name_the_column_and_later_lines_are_read) {
    struct Case {
        const char* line;
        int column;
    } cases[] = {
        {"1,\"2", 2},
        {"1,2\"3", 2},
        {"\"1\"x,2", 1},
        {"1,2,\"3\" \"", 3},
    };
    for (const auto& c : cases) {
        const auto lines = readCsvLines(std::string("a,b\n") + c.line + "\n4,5\n");
        ASSERT_EQ(lines.size(), 3u) << c.line;
        ASSERT_TRUE(lines[1].faultColumn) << c.line;
        EXPECT_EQ(*lines[1].faultColumn, c.column) << c.line;
        EXPECT_FALSE(lines[1].fault.empty());
        EXPECT_EQ(lines[2].cells, (std::vector<std::string>{"4", "5"}));
    }
}

TEST(csv_table_test, empty_lines_are_marked_and_keep_numbering) {
    const auto lines = readCsvLines("a\n\n  \n1\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[1].empty);
    EXPECT_TRUE(lines[2].empty);
    EXPECT_EQ(lines[3].number, 4);
    EXPECT_EQ(lines[3].cells, std::vector<std::string>{"1"});
}

TEST(csv_table_test, binary_garbage_does_not_break_the_reader) {
    std::string text = "a,b\n";
    for (int i = 0; i < 256; ++i) text += static_cast<char>(i);
    text += "\n" + std::string(10000, '"') + "\n";
    const auto lines = readCsvLines(text);
    EXPECT_GE(lines.size(), 3u);
}

// What is not a readable text file is refused at once, with the reason.
TEST(csv_table_test, files_that_are_not_csv_text_are_refused) {
    korvan::test::TempDir dir;
    const auto write = [&](const char* name, std::string_view bytes) {
        std::ofstream(dir.path() / name, std::ios::binary).write(bytes.data(), bytes.size());
        return dir.path() / name;
    };
    const auto fifo = dir.path() / "p.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto huge = write("huge.csv", "a\n");
    std::filesystem::resize_file(huge, korvan::kMaxCsvBytes + 1);
    const struct {
        std::filesystem::path path;
        const char* reason;
    } cases[] = {
        {fifo, "is a FIFO, not a regular file"},
        {"/dev/zero", "is a character device, not a regular file"},
        {dir.path(), "is a folder, not a file"},
        {dir.path() / "missing.csv", "cannot be read: No such file or directory"},
        {huge, "is larger than 64 MiB"},
        {write("le.csv", std::string_view("\xFF\xFE"
                                          "a\0,\0b\0",
                                          8)),
         "is UTF-16 text"},
        {write("be.csv", std::string_view("\0a\0,\0b\0\n", 8)), "is UTF-16 text"},
        {write("bin.csv", std::string_view("a,b\n1,\0\x01\x02\n", 10)),
         "holds NUL bytes (at byte 7)"},
    };
    for (const auto& c : cases) {
        try {
            korvan::readCsvFile(c.path);
            ADD_FAILURE() << c.path << " was read";
        } catch (const korvan::FileError& e) {
            EXPECT_EQ(std::string(e.what()).find(c.reason), 0u) << e.what();
        }
    }
    EXPECT_EQ(korvan::readCsvFile(write("ok.csv", "a\r1\r")), "a\r1\r");
}

} // namespace
