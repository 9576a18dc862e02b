#include <cstring>

#include "reader_fixture.h"

using namespace std::string_literals;

namespace {

TEST_F(Reader, StringsSplitAsTheDelimiterQuotesAndCommasSay) {
    // The rest is what is left at the scan position afterwards.
    const struct { const char* text; std::vector<std::string> strings; const char* rest; char delim = ' ';
                   bool comma = false; } cases[] = {
        {"alpha, beta", {"alpha", "beta"}, ""}, {"'x',y", {"x", "y"}, ""}, {"1,2 3", {"1,2", "3"}, "", ' ', true},
        {"\"a b\" c", {"a b"}, "c"}, {"\"a\"\"b\"", {"a\"b"}, ""}, {"a  ,b", {"a", "", "b"}, ""},
        {"'ab'", {"ab"}, "", '\0'}, {"abc/*x", {"abc"}, ""}, {"'a/*b'", {"a/*b"}, ""},
        {"\"open ended", {"open ended"}, ""}, {"'' z", {""}, "z"}, {"a b, c ;d", {"a b, c ", "d"}, "", ';'},
        {"\"a\\\"\" x", {"a\\"}, "x"},  // a backslash before a doubled quote: the second one closes
        {"ab~cd", {"ab", ""}, "~cd"}};  // outside free form a Joint only ends strings
    for (const auto& c : cases) {
        Open_Line(c.text, false, c.delim);
        Get_Comma(c.comma);
        for (const std::string& want : c.strings) {
            String got;
            EXPECT_EQ((std::tuple{Get_String(got), std::string(got)}), std::tuple(want.size(), want)) << c.text;
        }
        EXPECT_EQ(At_Pos(), c.rest) << c.text;
        EXPECT_LE(Get_LinePos(), Get_LineLen()) << c.text;  // never past the line end
    }
}

TEST_F(Reader, CharsRunsItemsAndContinuation) {
    Open_Line("a  ~b\n( ( (x\nx /* c\n\n  /* d\n q ~\n r\n");
    EXPECT_EQ((std::tuple{Get_Char(), Get_More()}), std::tuple('a', '~'));  // a Joint outside free form is text
    Get_Line();
    EXPECT_EQ((std::tuple{Get_Level('('), Get_More()}), std::tuple(3, 'x'));
    Get_Line();
    EXPECT_EQ((std::tuple{Get_Char(), Get_LinePos(), Get_Char()}), std::tuple('x', Get_LineLen(), '\0'));
    EXPECT_EQ((std::tuple{Get_Item(), Get_LineNo()}), std::tuple('q', 6L));  // past empty and comment lines
    // The entry read by Get_Item is free form: a Joint continues it.
    EXPECT_EQ((std::tuple{Get_Char(), Get_More(), Get_LineNo()}), std::tuple('q', 'r', 7L));
    EXPECT_EQ((std::tuple{Get_Char(), Get_Item()}), std::tuple('r', '\0'));
}

// A string longer than a String is consumed whole but cut to 512 characters, also across pieces.
TEST_F(Reader, LongStringIsCutToTheStringAndConsumed) {
    for (std::size_t length : {600, 70000}) {
        std::string word(length, 'w');
        word[511] = 'E';
        Open(word + " next\n", true);
        Get_Entry();
        struct { String s; char guard[64]; } out;
        std::memset(out.guard, 'G', sizeof out.guard);
        EXPECT_EQ((std::tuple{Get_String(out.s), std::string(reinterpret_cast<const char*>(&out), sizeof out)}),
                  std::tuple(512, word.substr(0, 512) + '\0' + std::string(64, 'G')));
        EXPECT_EQ(std::make_pair(At_Pos(), Get_LineNo()), std::make_pair("next"s, 1L)) << length;
    }
}

const char* const Keywords[] = {
    "ASCII", "ASPECT_RATIO", "BINARY", "CELLS", "CELL_DATA", "CELL_TYPES", "COLOR_SCALARS", "DATASET",
    "DIMENSIONS", "FIELD", "LINES", "LOOKUP_TABLE", "NORMALS", "ORIGIN", "POINTS", "POINT_DATA", "POLYDATA",
    "POLYGONS", "RECTILINEAR_GRID", "SCALARS", "SPACING", "STRUCTURED_GRID", "STRUCTURED_POINTS", "TENSORS",
    "TEXTURE_COORDINATES", "TRIANGLE_STRIPS", "UNSTRUCTURED_GRID", "VECTORS", "VERTICES", "X_COORDINATES",
    "Y_COORDINATES", "Z_COORDINATES", nullptr};

// Tolerant results; the exact result is 1 for equal texts and 0 otherwise.
// Æ/Ä, Ø/Ö and Å of code page 865 and of ISO 8859-1 fold to "[", "\" and "]".
TEST(Item_Compare, GivesTheDistanceOfANearMiss) {
    const struct { const char *identifier, *entry; int tolerant; } cases[] = {
        {"ascii", "ASCII", 1},     {"ASCJI", "ASCII", 2},     {"ACSII", "ASCII", 2},     {"ASCIIX", "ASCII", 2},
        {"ASCIIXY", "ASCII", 2},   {"XASCII", "ASCII", 2},    {"XYASCII", "ASCII", 2},   {"ASXCII", "ASCII", 2},
        {"ASXYCII", "ASCII", 2},   {"ASSSCII", "ASCII", 4},   {"AS", "ASCII", 2},        {"ASC", "ASCII", 2},
        {"A", "ASCII", 3},         {"SCII", "ASCII", 2},      {"CII", "ASCII", 2},       {"ORIGN", "ORIGIN", 8},
        {"AC", "ABC", 8},          {"AXYC", "AZC", 8},        {"AXB", "AB", 3},          {"AB", "A", 3},
        {"ABC", "A", 3},           {"XYZ", "A", 2},           {"ORGN", "ORIGIN", 0},     {"ASCJJ", "ASCII", 0},
        {"ABCD", "ABXY", 0},       {"SPACE", "SPACING", 0},   {"ASCII", "ASCII  ", 1},   {"ASCII \t", "ASCII", 1},
        {"\xB3", "\xB3", 1},       {"\xB3", "?", 2},          {"", "ASCII", 0},          {"\x91" "ble", "[BLE", 1},
        {"\x92" "BLE", "[BLE", 1}, {"\x84" "ble", "[BLE", 1}, {"\xE6" "ble", "[BLE", 1}, {"\xC6" "ble", "[BLE", 1},
        {"\xE4" "ble", "[BLE", 1}, {"{ble", "[BLE", 1},       {"\x9B" "l", "\\L", 1},    {"\x9D" "L", "\\L", 1},
        {"\x94" "l", "\\L", 1},    {"\xF8" "l", "\\L", 1},    {"\xD8" "L", "\\L", 1},    {"\xF6" "l", "\\L", 1},
        {"|l", "\\L", 1},          {"\x86" "l", "]L", 1},     {"\x8F" "L", "]L", 1},     {"\xE5" "l", "]L", 1},
        {"\xC5" "L", "]L", 1},     {"}l", "]L", 1},           {"\x91" "ble", "]LE", 2}};
    for (const auto& c : cases)
        EXPECT_EQ(std::pair(Item_Compare(c.identifier, c.entry, 1), Item_Compare(c.identifier, c.entry, 0)),
                  std::pair(c.tolerant, int{c.tolerant == 1})) << c.identifier << " / " << c.entry;
}

// Ties are refused; a failed lookup leaves the position where it was.
TEST_F(Reader, LookupFindsTheEntryOrLeavesThePosition) {
    const struct { const char* text; int nearest, result; const char* rest; char delim = ' '; } cases[] = {
        {"ascii", 0, 1, ""},                {"ASCI", 0, 0, "ASCI"},             {"ASCI", 1, 1, ""},
        {"ASC", 1, 1, ""},                  {"BINRAY", 1, 3, ""},               {"BINARI", 1, 3, ""},
        {"ORIGN 1", 1, 14, "1"},            {"DIMENSION", 1, 9, ""},            {"SPACINGS", 1, 21, ""},
        {"CELL", 1, 0, "CELL"},             {"POINT", 1, 0, "POINT"},           {"ASCII.", 0, 1, "."},
        {"ASCII  , x", 0, 1, " x"},         {"9ASCII", 1, 0, "9ASCII"},         {"Origin /*c", 0, 14, ""},
        {"STRUCTURED", 1, 0, "STRUCTURED"}, {"ASCII", 0, 1, "", '\0'},          {"\xC0" "sc\xCF" "I", 0, 1, ""}};
    for (const auto& c : cases) {
        Open_Line(c.text, false, c.delim);
        int index = -1;
        EXPECT_EQ((std::tuple{Get_Lookup(&index, Keywords, c.nearest), index, At_Pos()}),
                  std::tuple(c.result, c.result - 1, c.rest)) << c.text;
        EXPECT_LE(Get_LinePos(), Get_LineLen()) << c.text;
    }
}

// Without a table the identifier itself is read, up to 255 characters; with one, up to 512 are looked up.
TEST_F(Reader, IdentifierWithoutTableAndLengthLimits) {
    const std::string a(255, 'A'), ascii = "ASCII" + std::string(507, 'X');
    const struct { std::string text; bool tabled; int result; std::string rest; } cases[] = {
        {"name_1.x. rest", false, 8, ". rest"}, {a + " tail", false, 255, "tail"}, {a + "A", false, 0, a + "A"},
        {ascii + " tail", true, 1, "tail"},     {ascii + "X", true, 0, ascii + "X"}};
    for (const auto& c : cases) {
        Open_Line(c.text);
        alignas(int) String found = "";
        EXPECT_EQ(Get_Almost(reinterpret_cast<PINT>(found), c.tabled ? Keywords : nullptr), c.result) << c.rest;
        EXPECT_TRUE(c.tabled || found == c.text.substr(0, c.result)) << found;
        EXPECT_EQ(At_Pos(), c.rest);
    }
}

}  // namespace
