#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>

#include "plain_number.h"
#include "reader_fixture.h"

namespace {

const double Fails = std::nan("");

// Quotes, empty fields, delimiters, comments, and the integer kinds at the edges of their range (the
// differential test below holds the real kinds); a failed read leaves the position where it was.
TEST_F(Reader, NumbersAreReadAsTheirKindOrLeaveThePosition) {
    const std::string zeros(512, '0'), nines(600, '9');
    // The value is compared as the kind's own type; the rest is what is left at the scan position.
    const struct { std::string text; ObjectType type; double want; std::string rest; char delim = ' '; } cases[] = {
        {"-12.5 x", Ftype, -12.5, "x"},   {"12.5", Itype, Fails, "12.5"},        {"\"42\" x", Itype, 42, "x"},
        {"'-7',8", Ltype, -7, "8"},       {"'' x", Itype, Fails, "'' x"},        {"'42 x", Itype, Fails, "'42 x"},
        {"12kg", Itype, 12, "kg"},        {"1.5D+03", Ftype, Fails, "1.5D+03"},  {"1.5D+03", Dtype, 1500, ""},
        {"0x1F", Xtype, 0, "x1F"},        {"12abc", Itype, Fails, "12abc"},      {"12abc", Xtype, 76476, ""},
        {"18", Otype, Fails, "18"},       {"-5", Wtype, Fails, "-5"},            {"12/* c", Itype, 12, ""},
        {",7", Wtype, 0, "7"},            {"5 x", Itype, Fails, "5 x", '\t'},    {"5\tx", Itype, 5, "x", '\t'},
        {"5,x", Itype, 5, "x", '\t'},     {"5", Itype, 5, "", '\t'},             {"'5'", Itype, 5, "", '\0'},
        {"5", Itype, 5, "", '\0'},        {"5", Ctype, Fails, "5"},              {"1.2.3", Ftype, Fails, "1.2.3"},
        {"17", Otype, 15, ""},            {"FFFFFFFF", Xtype, -1, ""},           {"37777777777", Otype, -1, ""},
        {"2147483647", Itype, 2147483647, ""},      {"-2147483648", Itype, -2147483648.0, ""},
        {"2147483648", Ltype, -2147483648.0, ""},   {"99999999999999999999", Itype, -1, ""},  // wrap to 32 bits
        {"4294967295", Wtype, 4294967295.0, ""},    {nines + " 1", Dtype, Fails, nines + " 1"},
        {zeros.substr(1) + "1", Itype, 1, ""},      {zeros + "1", Itype, Fails, zeros + "1"}};
    for (const auto& c : cases) {
        Open_Line(c.text, true, c.delim);  // a stream keeps a tab that delimits
        ObjectTableField v{};
        EXPECT_EQ(Get_Number(&v.Ival, c.type), !std::isnan(c.want)) << c.text;
        const double got = c.type == Ftype ? v.Fval : c.type == Dtype ? v.Dval
                         : c.type == Wtype ? v.Wval : 1.0 * v.Lval;
        EXPECT_TRUE(std::isnan(c.want) || got == c.want) << c.text << " read as " << got;
        EXPECT_EQ(std::pair(At_Pos(), Get_LinePos() <= Get_LineLen()), std::pair(c.rest, true)) << c.text;
    }
}

TEST_F(Reader, TypedReadersAndEmptyFields) {
    const char* const table[] = {"ASCII", nullptr};
    int index;
    Open_Line("1.25 -2.5D1 -3 -4 ff 17 4\n1,,3\nASCII, 7");
    EXPECT_EQ((std::tuple{Read(Get_Float), Read(Get_Double), Read(Get_Int), Read(Get_Word), Read(Get_Long),
                          Read(Get_Hex), Read(Get_Octal), Read(Get_Word)}),
              std::tuple(1.25f, -25.0, -3, std::nullopt, -4, 255, 15, 4u));
    Get_Line();  // an empty field reads as zero
    EXPECT_EQ((std::tuple{Read(Get_Int), Read(Get_Int), Read(Get_Int), Read(Get_Int)}),
              std::tuple(1, 0, 3, std::nullopt));
    Get_Line();  // also at the blank that a keyword and its comma leave behind
    EXPECT_EQ((std::tuple{Get_Symbol(&index, table), Read(Get_Int), Read(Get_Int)}), std::tuple(1, 0, 7));
}

// The success and the bytes of the C conversion of a text that fits a String: a number read before characters
// that spoil the text is stored all the same, a "D" exponent reads as "E" for doubles, long values wrap to 32 bits.
std::pair<bool, std::array<unsigned char, 8>> As_C(std::string t, ObjectType type) {
    const char* format = type == Ftype ? "%f%s" : type == Dtype ? "%lf%s" : type == Xtype ? "%lx%s"
                       : type == Otype ? "%lo%s" : "%ld%s";
    char rest[sizeof(String)] = "";
    union { float f; double d; long l; } v;
    std::array<unsigned char, 8> bytes;
    bytes.fill(0xA5);
    if (t.size() >= sizeof(String)) return {false, bytes};
    if (std::sscanf(t.c_str(), format, &v, rest) < 1 || (type == Wtype && v.l < 0)) return {false, bytes};
    if (type == Dtype && (rest[0] == 'D' || rest[0] == 'd')) {
        t[t.find(rest[0])] = rest[0] == 'D' ? 'E' : 'e';
        rest[0] = '\0';
        std::sscanf(t.c_str(), format, &v, rest);
    }
    const bool real = type == Ftype || type == Dtype;
    const std::int32_t l = real ? 0 : static_cast<std::int32_t>(v.l);
    std::memcpy(bytes.data(), real ? static_cast<const void*>(&v) : &l, type == Dtype ? 8 : 4);
    return {rest[0] == '\0', bytes};
}

// Tricky texts; then jumbles of number characters, values of every magnitude printed to any precision (with
// "D" exponents and plus signs now and then), grid values, and integers of every size in the three bases.
std::vector<std::string> Texts() {
    std::vector texts = {std::string(512, '1'), std::string(513, '1'), "0." + std::string(400, '0') + "1"};
    std::istringstream tricky(
        "0 -0 +0 1 +1 -1 .5 5. -.5 +.5 . - + +-1 -+1 --1 1e 1e+ 1e- 1E5 1e+05 1e-5 1.e5 .e5 e5 1ee5 1e5e 1.2.3 "
        "1D5 1d+5 1.5D 1.5D+ D5 1e5D3 0x1p3 0X1F inf -inf nan infinity 0x 1f abc ABC fF 17 18 777 8 -8 "
        "2147483647 2147483648 -2147483648 -2147483649 4294967295 4294967296 4294967297 9223372036854775807 "
        "9223372036854775808 -9223372036854775808 -9223372036854775809 18446744073709551615 18446744073709551616 "
        "99999999999999999999 7fffffff 80000000 ffffffff 100000000 ffffffffffffffff 10000000000000000 -ffffffff "
        "17777777777 20000000000 37777777777 1777777777777777777777 2000000000000000000000 3.4028235e38 "
        "3.4028236e38 3.4028234663852886e38 3.40282356779733661637e38 1.1754943e-38 1.4e-45 7e-46 7.1e-46 1e-46 "
        "1e39 -1e39 1.7976931348623157e308 1.7976931348623159e308 2.2250738585072014e-308 4.9e-324 "
        "2.4703282292062328e-324 2.4703282292062327e-324 1e309 1e-400 16777216 16777217 16777218 16777219 "
        "9007199254740993 9007199254740992.5 0.1 0.30000000000000004 123456789012345678 1234567890123456789 "
        "00000000000000000000000001 0.000000000000000000000000000001 1.00000005960464477539062 "
        "1.000000059604644775390625 1.0000000596046447753906251 8.589973e9 8.589974e9 0.0000001 10000000000 1e22 "
        "1e23 1D22");
    for (std::string t; tricky >> t;) texts.push_back(t);
    std::mt19937_64 rng(7);
    const char jumble[] = "0123456789+-.eEdDaAfFxXpPinINtTyY";
    for (std::size_t k = 0; k < 400000; ++k) {
        const std::uint64_t r = rng(), bits = rng();
        const char* sign = r % 7 == 0 ? "+" : r % 7 == 1 ? "-" : "";
        double v;
        std::memcpy(&v, &bits, sizeof v);
        char text[96] = "";
        if (k % 4 == 0)
            for (std::size_t i = 0; i <= r % 12; ++i) text[i] = jumble[rng() % (k % 8 ? 20 : sizeof jumble - 1)];
        else if (k % 4 == 1)
            std::snprintf(text, sizeof text, "%s%.*g", sign, static_cast<int>(r % 21), v);
        else if (k % 4 == 2)
            std::snprintf(text, sizeof text, "%s%.*f", sign, static_cast<int>(r % 21 % 8), bits % 20000000 / 1e3);
        else
            std::snprintf(text, sizeof text, r % 3 == 0 ? "%s%lu" : r % 3 == 1 ? "%s%lx" : "%s%lo", sign,
                          static_cast<unsigned long>(bits >> (r % 64)));
        if (char* e = std::strchr(text, 'e'); k % 4 == 1 && e != nullptr && r % 3 == 0) *e = "Dd"[r % 2];
        texts.emplace_back(text);
    }
    return texts;
}

// Get_Convert, the direct path, and the number reader on the texts of number characters only, against the C conversion: the
// same success or failure and the same bytes stored. A failed read leaves the item where it was.
TEST_F(Reader, NumbersMatchTheCConversionOnEveryText) {
    const std::vector<std::string> texts = Texts();
    std::string lines;
    std::vector<const std::string*> items;
    for (const std::string& t : texts) {
        if (t.size() > 512 || t.find_first_not_of("0123456789abcdefABCDEF+-.") != std::string::npos) continue;
        items.push_back(&t);
        lines += t + (items.size() % 40 ? ' ' : '\n');
    }
    for (ObjectType type : {Ftype, Dtype, Itype, Ltype, Wtype, Xtype, Otype}) {
        auto same = [type](const std::string& t, auto read) {
            const auto want = As_C(t, type);
            alignas(8) std::array<unsigned char, 8> got;
            got.fill(0xA5);
            EXPECT_EQ((std::pair{read(reinterpret_cast<PINT>(got.data())) != 0, got}), want)
                << "kind " << type << ", text \"" << t << "\"";
            return want.first;
        };
        for (const std::string& t : texts) {
            same(t, [&](PINT out) { return Get_Convert(t.data(), t.size(), type, out); });
            ASSERT_FALSE(::testing::Test::HasFailure());
        }
        // The direct path the text grids use takes a whole number text or nothing.
        for (const std::string* t : items) {
            alignas(8) std::array<unsigned char, 8> got;
            got.fill(0xA5);
            const char* end = Get_Fast_Number(t->c_str(), type, reinterpret_cast<PINT>(got.data()));
            if (!end) continue;
            EXPECT_EQ(end, t->c_str() + t->size()) << *t;
            EXPECT_EQ((std::pair{true, got}), As_C(*t, type)) << "kind " << type << ", text \"" << *t << "\"";
            ASSERT_FALSE(::testing::Test::HasFailure());
        }
        ASSERT_TRUE(Get_Buffer(lines.c_str()));  // in place of the source the last kind read to its end
        for (const std::string* t : items) {
            ASSERT_NE(Get_Item(), '\0');
            ASSERT_TRUE(same(*t, [type](PINT out) { return Get_Number(out, type); }) || Next_String() == *t) << *t;
            ASSERT_FALSE(::testing::Test::HasFailure());
        }
        EXPECT_EQ(Get_Item(), '\0');
    }
}

// The eight-characters-at-a-time path of grid values, on texts of every
// length and shape around its limits (seven digits a side, 2^24, points at
// either end, signs, leading zeros), followed by what stands behind an item:
// it takes the longest plain decimal at the front of the text, with the value
// of the C conversion, or nothing.
TEST(PlainNumber, TakesThePlainDecimalOfTheCConversionOrNothing) {
    std::mt19937 random(15);
    const char* const tails[] = {"", " ", "\t", "e5", ".", "-", "x", "\r\n"};
    for (int k = 0; k < 400000; ++k) {
        std::string text = k % 3 == 0 ? "" : k % 3 == 1 ? "-" : "+";
        const int whole = static_cast<int>(random() % 10), fraction = static_cast<int>(random() % 10);
        for (int i = 0; i < whole; ++i) text += static_cast<char>('0' + (i == 0 && k % 5 ? random() % 2 : random() % 10));
        if (k % 7) text += '.';
        for (int i = 0; i < fraction; ++i) text += static_cast<char>('0' + random() % 10);
        if (k % 11 == 0) text = std::string(k % 2 ? 1 : 0, '-').append(std::to_string(16777200 + random() % 40));
        const std::string item = text;
        text += tails[k % 8];
        text.append(plain_number::Lookahead, '9');  // no help from what stands behind
        float got = -1;
        const char* end = plain_number::Get_Plain_Float(text.c_str(), &got);
        if (!end) continue;
        const std::string taken(text.c_str(), end);
        float want;
        int used = 0;
        ASSERT_EQ(std::sscanf(taken.c_str(), "%f%n", &want, &used), 1) << item;
        EXPECT_EQ(used, static_cast<int>(taken.size())) << item;
        // Before a blank or the line end, the item is taken whole.
        if (k % 8 < 4 || k % 8 == 7) {
            EXPECT_EQ(taken, item);
        }
        EXPECT_EQ(std::memcmp(&got, &want, 4), 0) << item << ": " << got << " != " << want;
        ASSERT_FALSE(::testing::Test::HasFailure());
    }
}

}  // namespace
