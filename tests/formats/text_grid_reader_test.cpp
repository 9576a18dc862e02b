// The conversion of text values into the temporary binary file, in process.
#include "formats/text_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "extract.h"
#include "support/capture.h"
#include "support/grids.h"

namespace {

constexpr int kBad = 4242;

// A stream of `text`: a regular file, read in blocks of whole lines, or a
// stream that cannot be repositioned, read line by line.
FILE* Source(std::string& text, bool regular_file) {
    if (!regular_file) return fmemopen(text.data(), text.size(), "r");
    FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    return f;
}

template <class Cell>
std::vector<Cell> Convert_From(Test_Run& t, std::string text, bool regular_file, bool (*ends_values)() = nullptr) {
    FILE* in = Source(text, regular_file);
    Get_Open(in);
    Get_Line();
    constexpr CellType kind = sizeof(Cell) == 4 ? CellType::Float : CellType::Short;
    std::vector<Cell> values(Convert_Text_Values(t.run, kind, kBad, ends_values));
    Get_Close();
    std::fclose(in);
    EXPECT_EQ(std::fread(values.data(), sizeof(Cell), values.size(), t.run.Values), values.size());
    std::fclose(t.run.Values);
    return values;
}

// Converts `text` from its first line on, as a reader does after its header,
// from a file and from a pipe-like stream: both give the same cells, bit for
// bit, the same failure code and the same message.
template <class Cell = float>
std::vector<Cell> Convert(Test_Run& t, std::string text, bool (*ends_values)() = nullptr) {
    Test_Run by_lines;
    by_lines.run.Error = t.run.Error;
    const std::vector<Cell> expected = Convert_From<Cell>(by_lines, text, false, ends_values);
    const std::string before = t.err.text();
    const std::vector<Cell> values = Convert_From<Cell>(t, text, true, ends_values);
    EXPECT_TRUE(values.size() == expected.size() &&
                (values.empty() || std::memcmp(values.data(), expected.data(), values.size() * sizeof(Cell)) == 0))
        << values.size() << " cells from the file, " << expected.size() << " line by line";
    EXPECT_EQ(t.run.Error, by_lines.run.Error);
    EXPECT_EQ(t.err.text().substr(before.size()), by_lines.err.text());
    return values;
}

// Numbers are bit for bit those of the number reader; what it refuses is bad.
TEST(TextGrid, ValuesAreThoseOfTheNumberReader) {
    for (const char* item : {"0", "-0", "1.5", "-1234.56", ".5", "5.", "+7", "-.25", "16777216", "16777217", "0.1",
                             "123456789", "1234567890", "0.000001", "2.5e3", "4E-2", "3.4028235e38", "1e-45",
                             "1e-50", "99999999999", "0007.50", "1e", "1-2", "--1", "+-1", "abc", "1.2.3", "inf",
                             "12kg"}) {
        float expected = 0;
        Get_Buffer(item);
        const bool valid = Get_Line() && Get_Float(&expected) && Get_More() == '\0';
        Get_Close();
        Test_Run t;
        const std::vector<float> values = Convert(t, std::string("  ") + item + "\n");
        EXPECT_EQ(t.run.Error, valid ? 0 : kBad) << item;
        EXPECT_TRUE(!valid || (values.size() == 1 && std::memcmp(values.data(), &expected, 4) == 0)) << item;
    }
}

// Rows of 30000 values (about 270000 characters) are read whole, numbers
// straddling the pieces of the line image included; a blank before a comma
// leaves an empty field, a zero; the first bad line is shown from ten
// characters before its bad item, its rest skipped, later bad lines silent.
TEST(TextGrid, LongLinesSeparatorsCommentsAndBadLines) {
    std::string text;
    for (int i = 0; i < 60000; ++i) text += Format("%d.25%s", i % 30000 - 15000, i % 30000 == 29999 ? "\r\n" : " ");
    Test_Run t;
    const std::vector<float> values = Convert(t, text);
    ASSERT_EQ(values.size(), 60000u) << t.err.text();
    for (int i = 0; i < 60000; ++i)
        ASSERT_EQ(values[i], float(i % 30000 - 15000) + (i % 30000 < 15000 ? -0.25f : 0.25f)) << i;
    EXPECT_EQ(Convert(t, "1,2 , 3\t4\n/* note */\n,,5 /* rest */\n\n6\n"),
              (std::vector<float>{1, 2, 0, 3, 4, 0, 0, 5, 6}));
    EXPECT_EQ(t.run.Error, 0) << t.err.text();
    EXPECT_EQ(Convert(t, "1 2\n3 4 5 6 7 8 9 10 11 x 12\n13 y 14\n15\n"),
              (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15}));
    EXPECT_EQ(t.err.text(), "Line 2:\n8 9 10 11 x 12\n");
}

// The texts other programs write for no value are NaN cells, whole items
// only; 2-byte cells take -32768 for them.
TEST(TextGrid, TextsForNoValue) {
    Test_Run t;
    const std::vector<float> values = Convert(t, "nan -NaN +NAN null, NULL 5\n");
    ASSERT_EQ(values.size(), 6u) << t.err.text();
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(std::isnan(values[i])) << i;
    EXPECT_EQ(values[5], 5);
    for (const char* item : {"nanx", "nan5", "-null", "+null", "nul", "na"}) {
        Test_Run bad;
        EXPECT_TRUE(Convert(bad, std::string(item) + "\n").empty()) << item;
        EXPECT_EQ(bad.run.Error, kBad) << item;
    }

    Test_Run shorts;
    EXPECT_EQ(Convert<int16_t>(shorts, "7 NaN 70000\n-2\t null\n"), (std::vector<int16_t>{7, -32768, 4464, -2, -32768}));
}

// Lines the block reader hands back to the token reader: the values, the
// failure and the line number shown stay those of the token reader, also
// past the middle of a block, behind a line longer than a block, and where
// such lines come often.
TEST(TextGrid, BlocksHandBackWhatTheyDoNotRead) {
    std::string rows;
    for (int i = 0; i < 20000; ++i) rows += Format("%d.%02d -%d.5\t%d\r\n", i, i % 100, i % 977, i * 7 % 1000);
    std::string huge;
    for (int i = 0; i < 300000; ++i) huge += Format(" %d", i % 5000);
    struct Case {
        std::string text;
        size_t cells;
        bool bad;
    };
    const Case cases[] = {
        {rows + "1 2 /* note */\n" + rows + "3 ~\n4\n" + rows, 180004, false},
        {rows + "5\r6\n" + rows, 120001, true},  // a CR inside a line ends no item
        {rows + "1,2\n" + rows, 120002, false},
        {rows + "nan 7 x 8\n9\n" + rows, 120003, true},
        {rows + huge + "\n" + rows + "10 11", 420002, false},
        {rows + std::string("12 \0 13\n", 8) + "\x1a 14\n" + rows, 60001, false},  // NUL ends its line, ^Z the text
        {[] { std::string t; for (int i = 0; i < 30000; ++i) t += Format("%d /* %d */\n%d\n", i, i, -i); return t; }(),
         60000, false},
        {rows + "1e5 -2.5E-3 1e 12345678.9 .5 5. -0 +3\n" + rows, 120008, false},
    };
    for (const Case& c : cases) {
        Test_Run t;
        EXPECT_EQ(Convert(t, c.text).size(), c.cells);
        EXPECT_EQ(t.run.Error, c.bad ? kBad : 0);
        ASSERT_FALSE(::testing::Test::HasFailure()) << c.text.substr(0, 200);
    }
}

// A line for which the reader's test says so ends the values, also behind
// many lines of values, and also one that would read as values.
TEST(TextGrid, KeywordLinesEndTheValues) {
    std::string text;
    for (int i = 0; i < 50000; ++i) text += Format("%d.5 %d\n", i, -i);
    Test_Run t;
    auto section = [] { return std::strncmp(Get_LineImage() + Get_LinePos(), "null", 4) == 0; };
    EXPECT_EQ(Convert(t, text + "nan 1\nnull\n1 2\n", section).size(), 100002u);
}

}  // namespace
