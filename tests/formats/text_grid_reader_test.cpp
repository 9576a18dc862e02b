// The conversion of text values into the temporary binary file, in process.
#include "formats/text_grid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "extract.h"
#include "support/capture.h"
#include "support/grids.h"

namespace {

constexpr int kBad = 4242;

// Converts `text` from its first line on, as a reader does after its header.
std::vector<float> Convert(Test_Run& t, std::string text) {
    FILE* in = fmemopen(text.data(), text.size(), "r");
    Get_Open(in);
    Get_Line();
    std::vector<float> values(Convert_Text_Values(t.run, CellType::Float, kBad));
    Get_Close();
    std::fclose(in);
    EXPECT_EQ(std::fread(values.data(), 4, values.size(), t.run.Values), values.size());
    std::fclose(t.run.Values);
    return values;
}

// Numbers are bit for bit those of the number reader; what it refuses is bad.
TEST(TextGrid, ValuesAreThoseOfTheNumberReader) {
    for (const char* item : {"0", "-0", "1.5", "-1234.56", ".5", "5.", "+7", "-.25", "16777216", "16777217", "0.1",
                             "123456789", "1234567890", "0.000001", "2.5e3", "4E-2", "3.4028235e38", "1e-45",
                             "1e-50", "99999999999", "0007.50", "1e", "1-2", "--1", "+-1", "abc", "1.2.3", "nan", "inf",
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

}  // namespace
