#include "reader_fixture.h"

namespace {

const char* const Keywords[] = {
    "ASCII",        "ASPECT_RATIO", "BINARY",           "CELLS",         "CELL_DATA",
    "CELL_TYPES",   "COLOR_SCALARS", "DATASET",         "DIMENSIONS",    "FIELD",
    "LINES",        "LOOKUP_TABLE", "NORMALS",          "ORIGIN",        "POINTS",
    "POINT_DATA",   "POLYDATA",     "POLYGONS",         "RECTILINEAR_GRID", "SCALARS",
    "SPACING",      "STRUCTURED_GRID", "STRUCTURED_POINTS", "TENSORS",   "TEXTURE_COORDINATES",
    "TRIANGLE_STRIPS", "UNSTRUCTURED_GRID", "VECTORS",  "VERTICES",      "X_COORDINATES",
    "Y_COORDINATES", "Z_COORDINATES", nullptr};

struct Compare_Case {
    const char* identifier;
    const char* entry;
    int tolerant;  // the exact result is 1 for equal texts and 0 otherwise
};

class Compare : public ::testing::TestWithParam<Compare_Case> {};

TEST_P(Compare, GivesTheDistanceOfANearMiss) {
    const Compare_Case& c = GetParam();
    EXPECT_EQ(Item_Compare(c.identifier, c.entry, 1), c.tolerant) << c.identifier << " / " << c.entry;
    EXPECT_EQ(Item_Compare(c.identifier, c.entry, 0), c.tolerant == 1 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedResults, Compare,
    ::testing::Values(Compare_Case{"ascii", "ASCII", 1}, Compare_Case{"ASCJI", "ASCII", 2},
                      Compare_Case{"ACSII", "ASCII", 2}, Compare_Case{"ASCIIX", "ASCII", 2},
                      Compare_Case{"ASCIIXY", "ASCII", 2}, Compare_Case{"XASCII", "ASCII", 2},
                      Compare_Case{"XYASCII", "ASCII", 2}, Compare_Case{"ASXCII", "ASCII", 2},
                      Compare_Case{"ASXYCII", "ASCII", 2}, Compare_Case{"ASSSCII", "ASCII", 4},
                      Compare_Case{"AS", "ASCII", 2}, Compare_Case{"ASC", "ASCII", 2},
                      Compare_Case{"A", "ASCII", 3}, Compare_Case{"SCII", "ASCII", 2},
                      Compare_Case{"CII", "ASCII", 2}, Compare_Case{"ORIGN", "ORIGIN", 8},
                      Compare_Case{"AC", "ABC", 8}, Compare_Case{"AXYC", "AZC", 8},
                      Compare_Case{"AXB", "AB", 3}, Compare_Case{"AB", "A", 3},
                      Compare_Case{"ABC", "A", 3}, Compare_Case{"XYZ", "A", 2},
                      Compare_Case{"ORGN", "ORIGIN", 0}, Compare_Case{"ASCJJ", "ASCII", 0},
                      Compare_Case{"ABCD", "ABXY", 0}, Compare_Case{"SPACE", "SPACING", 0},
                      Compare_Case{"ASCII", "ASCII  ", 1}, Compare_Case{"ASCII \t", "ASCII", 1},
                      Compare_Case{"\xB3", "\xB3", 1}, Compare_Case{"\xB3", "?", 2},
                      Compare_Case{"", "ASCII", 0}));

struct Lookup_Case {
    const char* text;
    int nearest;
    int result;        // entry index + 1, or 0
    const char* rest;  // what is left at the scan position afterwards
};

class Lookup : public Reader, public ::testing::WithParamInterface<Lookup_Case> {};

TEST_P(Lookup, FindsTheEntryOrLeavesThePosition) {
    const Lookup_Case& c = GetParam();
    Open(c.text, false);
    Get_Line();
    int index = -1;
    EXPECT_EQ(Get_Lookup(&index, Keywords, c.nearest), c.result) << c.text;
    EXPECT_EQ(index, c.result - 1);
    EXPECT_EQ(At_Pos(), c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    KeywordTable, Lookup,
    ::testing::Values(Lookup_Case{"ascii", 0, 1, ""}, Lookup_Case{"ASCI", 0, 0, "ASCI"},
                      Lookup_Case{"ASCI", 1, 1, ""}, Lookup_Case{"ASC", 1, 1, ""},
                      Lookup_Case{"BINRAY", 1, 3, ""}, Lookup_Case{"BINARI", 1, 3, ""},
                      Lookup_Case{"ORIGN 1", 1, 14, "1"}, Lookup_Case{"DIMENSION", 1, 9, ""},
                      Lookup_Case{"SPACINGS", 1, 21, ""}, Lookup_Case{"CELL", 1, 0, "CELL"},
                      Lookup_Case{"POINT", 1, 0, "POINT"}, Lookup_Case{"STRUCTURED", 1, 0, "STRUCTURED"},
                      Lookup_Case{"ASCII.", 0, 1, "."}, Lookup_Case{"ASCII  , x", 0, 1, " x"},
                      Lookup_Case{"9ASCII", 0, 0, "9ASCII"}, Lookup_Case{"Origin /*c", 0, 14, ""}));

TEST_F(Reader, NationalLettersOfBothCodePagesFold) {
    const std::vector<std::pair<const char*, std::vector<std::string>>> forms = {
        {"[BLE", {"\x91" "ble", "\x92" "BLE", "\x84" "ble", "\xE6" "ble", "\xC6" "ble", "\xE4" "ble", "{ble"}},
        {"\\L", {"\x9B" "l", "\x9D" "L", "\x94" "l", "\xF8" "l", "\xD8" "L", "\xF6" "l", "|l"}},
        {"]L", {"\x86" "l", "\x8F" "L", "\xE5" "l", "\xC5" "L", "}l"}}};
    for (const auto& [entry, identifiers] : forms) {
        const char* const table[] = {"OTHER", entry, nullptr};
        for (const std::string& id : identifiers) {
            Close_All();
            Open(id, false);
            Get_Line();
            int index = -1;
            EXPECT_EQ(Get_Symbol(&index, table), 2) << id;
            EXPECT_EQ(index, 1);
        }
    }
}

TEST_F(Reader, IdentifierWithoutTableAndLengthLimits) {
    String name;
    Open("name_1.x. rest", false);
    Get_Line();
    EXPECT_EQ(Get_Symbol(reinterpret_cast<PINT>(name), nullptr), 8);
    EXPECT_STREQ(name, "name_1.x");
    EXPECT_EQ(At_Pos(), ". rest");

    // The longest identifier without a table is 255 characters, with one 512.
    const char* const one[] = {"A", nullptr};
    const struct {
        std::size_t length;
        bool tabled;
        int result;
    } limits[] = {{255, false, 255}, {256, false, 0}, {512, true, 1}, {513, true, 0}};
    for (const auto& l : limits) {
        const std::string text(l.length, 'A');
        Close_All();
        Open(text + " tail", false);
        Get_Line();
        int index = -1;
        EXPECT_EQ(l.tabled ? Get_Almost(&index, one) : Get_Symbol(reinterpret_cast<PINT>(name), nullptr), l.result);
        EXPECT_EQ(At_Pos(), l.result ? "tail" : text + " tail") << l.length;
    }
}

TEST_F(Reader, KeywordAcrossThePieceBoundaryIsFound) {
    Open(std::string(65533, ' ') + "POINT_DATA 5\n", true);
    Get_Entry();
    int index = -1;
    EXPECT_EQ(Get_Symbol(&index, Keywords), 16);
    int five = 0;
    EXPECT_TRUE(Get_Int(&five));
    EXPECT_EQ(five, 5);
}

}  // namespace
