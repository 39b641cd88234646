// Splitting batch files into cells, and the faults that name their column.

#include "model/csv_table.h"

#include <gtest/gtest.h>

namespace {

using korvan::readCsvLines;

TEST(csv_table_test, lines_and_cells) {
    struct Case {
        const char* text;
        std::vector<std::vector<std::string>> cells;
    } cases[] = {
        {"a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        {"a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
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

} // namespace
