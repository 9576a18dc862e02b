// Get_Convert against the C conversions it stands for: the same success or
// failure, and the same bytes stored, for a large set of generated texts.
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "reader_fixture.h"

namespace {

// The conversion as the C library does it, step by step. A number read
// before characters that spoil the text is stored all the same.
bool Reference(const std::string& t, ObjectType type, unsigned char out[8]) {
    String text;
    String rest = "";
    std::memcpy(text, t.c_str(), t.size() + 1);
    switch (type) {
        case Ftype: {
            float f;
            if (std::sscanf(text, "%f%s", &f, rest) < 1) return false;
            std::memcpy(out, &f, sizeof f);
            break;
        }
        case Dtype: {
            double d;
            if (std::sscanf(text, "%lf%s", &d, rest) < 1) return false;
            std::memcpy(out, &d, sizeof d);
            if (rest[0] == 'D' || rest[0] == 'd') {
                *std::strchr(text, rest[0]) = rest[0] == 'D' ? 'E' : 'e';
                rest[0] = '\0';
                std::sscanf(text, "%lf%s", &d, rest);
                std::memcpy(out, &d, sizeof d);
            }
            break;
        }
        case Xtype:
        case Otype: {
            unsigned long u;
            if (std::sscanf(text, type == Xtype ? "%lx%s" : "%lo%s", &u, rest) < 1) return false;
            const auto v = static_cast<std::int32_t>(u);
            std::memcpy(out, &v, sizeof v);
            break;
        }
        default: {
            long l;
            if (std::sscanf(text, "%ld%s", &l, rest) < 1 || (type == Wtype && l < 0)) return false;
            const auto v = static_cast<std::int32_t>(l);
            std::memcpy(out, &v, sizeof v);
        }
    }
    return rest[0] == '\0';
}

std::vector<std::string> Texts() {
    std::vector<std::string> texts = {
        "0", "-0", "+0", "1", "+1", "-1", ".5", "5.", "-.5", "+.5", ".", "-", "+", "+-1", "-+1", "--1",
        "1e", "1e+", "1e-", "1E5", "1e+05", "1e-5", "1.e5", ".e5", "e5", "1ee5", "1e5e", "1.2.3",
        "1D5", "1d+5", "1.5D", "1.5D+", "D5", "1e5D3", "0x1p3", "0X1F", "inf", "-inf", "nan",
        "infinity", "0x", "1f", "abc", "ABC", "fF", "17", "18", "777", "8", "-8",
        "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967295", "4294967296",
        "4294967297", "9223372036854775807", "9223372036854775808", "-9223372036854775808",
        "-9223372036854775809", "18446744073709551615", "18446744073709551616",
        "99999999999999999999", "7fffffff", "80000000", "ffffffff", "100000000",
        "ffffffffffffffff", "10000000000000000", "-ffffffff", "17777777777", "20000000000",
        "37777777777", "1777777777777777777777", "2000000000000000000000",
        "3.4028235e38", "3.4028236e38", "3.4028234663852886e38", "3.40282356779733661637e38",
        "1.1754943e-38", "1.4e-45", "7e-46", "7.1e-46", "1e-46", "1e39", "-1e39",
        "1.7976931348623157e308", "1.7976931348623159e308", "2.2250738585072014e-308",
        "4.9e-324", "2.4703282292062328e-324", "2.4703282292062327e-324", "1e309", "1e-400",
        "16777216", "16777217", "16777218", "16777219", "9007199254740993", "9007199254740992.5",
        "0.1", "0.30000000000000004", "123456789012345678", "1234567890123456789",
        "00000000000000000000000001", "0.000000000000000000000000000001",
        "1.00000005960464477539062", "1.000000059604644775390625", "1.0000000596046447753906251",
        "8.589973e9", "8.589974e9", "0.0000001", "10000000000", "1e22", "1e23", "1D22"};
    texts.push_back(std::string(512, '1'));
    texts.push_back("0." + std::string(400, '0') + "1");
    return texts;
}

// Jumbles of number characters; values of every magnitude printed to any
// precision (with "D" exponents and plus signs now and then); grid values;
// and integers of every size printed in the three bases.
void Add_Generated(std::vector<std::string>& texts, std::size_t count) {
    std::mt19937_64 rng(7);
    const char jumble[] = "0123456789+-.eEdDaAfFxXpPinINtTyY";
    char text[96];
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint64_t r = rng();
        const std::uint64_t bits = rng();
        const int precision = static_cast<int>(r % 21);
        const char* sign = r % 7 == 0 ? "+" : r % 7 == 1 ? "-" : "";
        switch (k % 4) {
            case 0:
                for (std::size_t i = 0, n = 1 + r % 12; i < n; ++i)
                    text[i] = jumble[rng() % (k % 8 ? 20 : sizeof jumble - 1)];
                text[1 + r % 12] = '\0';
                break;
            case 1: {
                double v;
                std::memcpy(&v, &bits, sizeof v);
                std::snprintf(text, sizeof text, "%s%.*g", sign, precision, v);
                if (char* e = std::strchr(text, 'e'); e != nullptr && r % 3 == 0) *e = "Dd"[r % 2];
                break;
            }
            case 2:
                std::snprintf(text, sizeof text, "%s%.*f", sign, precision % 8,
                              static_cast<double>(bits % 20000000) / 1000.0);
                break;
            default:
                std::snprintf(text, sizeof text, r % 3 == 0 ? "%s%lu" : r % 3 == 1 ? "%s%lx" : "%s%lo", sign,
                              static_cast<unsigned long>(bits >> (r % 64)));
        }
        texts.emplace_back(text);
    }
}

// Runs one text both ways; the result of the C conversion.
template <class Read>
bool Expect_Same(const std::string& t, ObjectType type, Read read) {
    unsigned char want[8];
    unsigned char got[8];
    std::memset(want, 0xA5, sizeof want);
    std::memset(got, 0xA5, sizeof got);
    const bool ok = Reference(t, type, want);
    EXPECT_EQ(read(reinterpret_cast<PINT>(got)) != 0, ok) << "kind " << type << ", text \"" << t << "\"";
    EXPECT_EQ(std::memcmp(got, want, sizeof got), 0) << "kind " << type << ", text \"" << t << "\"";
    return ok;
}

TEST(Convert, MatchesTheCConversionOnEveryText) {
    std::vector<std::string> texts = Texts();
    Add_Generated(texts, 400000);
    std::size_t compared = 0;
    std::size_t accepted = 0;
    for (const std::string& t : texts) {
        for (ObjectType type : {Ftype, Dtype, Itype, Ltype, Wtype, Xtype, Otype}) {
            accepted += Expect_Same(t, type, [&](PINT out) {
                return Get_Convert(t.data(), static_cast<int>(t.size()), type, out);
            });
            ++compared;
            if (::testing::Test::HasFailure()) return;
        }
    }
    std::printf("compared %zu conversions of %zu texts, %zu accepted\n", compared, texts.size(), accepted);
    EXPECT_GT(accepted, compared / 4);
}

// The same texts cut from lines by the number reader, whose direct path for
// plain decimals is gathered while it cuts.
TEST(Convert, NumberReaderMatchesTheCConversion) {
    std::vector<std::string> texts = Texts();
    Add_Generated(texts, 100000);
    std::string lines;
    std::vector<std::string> items;
    for (const std::string& t : texts) {
        if (t.empty() || t.find_first_not_of("0123456789abcdefABCDEF+-.") != std::string::npos) continue;
        items.push_back(t);
        lines += t + (items.size() % 40 == 0 ? '\n' : ' ');
    }
    for (ObjectType type : {Ftype, Dtype, Itype, Xtype}) {
        Close_All();
        ASSERT_TRUE(Get_Buffer(lines.c_str()));
        for (const std::string& t : items) {
            ASSERT_NE(Get_Item(), '\0');
            if (!Expect_Same(t, type, [type](PINT out) { return Get_Number(out, type); })) {
                String left;  // a failed read leaves the item where it was
                Get_String(left);
                ASSERT_EQ(left, t);
            }
            if (::testing::Test::HasFailure()) return;
        }
        EXPECT_EQ(Get_Item(), '\0');
    }
    Close_All();
}

}  // namespace
