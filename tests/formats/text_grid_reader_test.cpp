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

struct Converted {
    std::string bytes;  // the temporary file
    int64_t count = 0;
    int error = 0;
    std::string err;
};

// Converts `text` from its first line on, as a reader does after its header.
Converted Convert(const std::string& text, Text_Cell kind) {
    Test_Run t;
    FILE* in = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), in);
    std::rewind(in);
    Get_Open(in);
    Converted c;
    if (Get_Line()) {
        c.count = Convert_Text_Values(t.run, kind, kBad);
        char block[4096];
        size_t n;
        while ((n = std::fread(block, 1, sizeof block, t.run.OutFile)) > 0) c.bytes.append(block, n);
        std::fclose(t.run.OutFile);
    }
    Get_Close();
    std::fclose(in);
    c.error = t.run.Error;
    c.err = t.err.text();
    return c;
}

std::vector<float> Floats(const std::string& bytes) {
    std::vector<float> v(bytes.size() / 4);
    std::memcpy(v.data(), bytes.data(), v.size() * 4);
    return v;
}

// What the number reader itself makes of one item.
bool Reader_Float(const std::string& item, float& value) {
    Get_Buffer(item.c_str());
    Get_Line();
    const bool ok = Get_Float(&value) && Get_More() == '\0';
    Get_Close();
    return ok;
}
// Numbers converted here must be bit for bit what the number reader gives,
// and text it refuses must be refused.
TEST(TextGrid, ValuesAreThoseOfTheNumberReader) {
    const char* const items[] = {
        "0", "-0", "1.5", "-1234.56", ".5", "5.", "+7", "-.25", "16777216", "16777217", "0.1",
        "123456789", "1234567890", "0.000001", "2.5e3", "4E-2", "3.4028235e38", "1e-45", "1e-50",
        "99999999999", "0007.50", "1e", "1-2", "--1", "+-1", "abc", "1.2.3", "nan", "inf", "12kg",
    };
    for (const char* item : items) {
        float expected = 0;
        const bool valid = Reader_Float(item, expected);
        Converted c = Convert(std::string("  ") + item + "\n", Text_Cell::Float);
        EXPECT_EQ(c.error, valid ? 0 : kBad) << item;
        if (!valid) continue;
        ASSERT_EQ(c.bytes.size(), 4u) << item;
        EXPECT_EQ(std::memcmp(c.bytes.data(), &expected, 4), 0) << item << ": " << Floats(c.bytes)[0];
    }
}

// A row of 30000 values on one line (about 270000 characters) is read whole,
// numbers that straddle the pieces of the line image included.
TEST(TextGrid, LinesLongerThanTheLineImageAreReadWhole) {
    std::string text;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 30000; ++i) text += Format("%d.25 ", i - 15000);
        text += "\r\n";
    }
    Converted c = Convert(text, Text_Cell::Float);
    ASSERT_EQ(c.error, 0) << c.err;
    std::vector<float> values = Floats(c.bytes);
    ASSERT_EQ(values.size(), 60000u);
    EXPECT_EQ(c.count, 60000);
    for (int i = 0; i < 60000; ++i) {
        const int n = i % 30000 - 15000;
        ASSERT_EQ(values[i], n < 0 ? n - 0.25f : n + 0.25f) << i;
    }
}

// Separators, empty fields, comments; the first bad line is shown from ten
// characters before its bad item, its rest skipped, later bad lines silent.
TEST(TextGrid, SeparatorsCommentsAndBadLines) {
    // A blank before a comma leaves an empty field between them: a zero.
    Converted good = Convert("1,2 , 3\t4\n/* note */\n,,5 /* rest */\n\n6\n", Text_Cell::Float);
    EXPECT_EQ(good.error, 0) << good.err;
    EXPECT_EQ(Floats(good.bytes), (std::vector<float>{1, 2, 0, 3, 4, 0, 0, 5, 6}));

    Converted bad = Convert("1 2\n3 4 5 6 7 8 9 10 11 x 12\n13 y 14\n15\n", Text_Cell::Float);
    EXPECT_EQ(bad.error, kBad);
    EXPECT_EQ(bad.err, "Line 2:\n8 9 10 11 x 12\n");
    EXPECT_EQ(Floats(bad.bytes), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15}));
}

}  // namespace
