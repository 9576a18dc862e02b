#include <cfloat>
#include <cmath>
#include <limits>
#include <tuple>

#include "reader_fixture.h"

namespace {

struct Number_Case {
    std::string text;
    ObjectType type;
    bool ok;
    double value;      // compared as the kind's own type
    std::string rest;  // what is left at the scan position afterwards
    char delim = ' ';
};

double Value_Of(const ObjectTableField& v, ObjectType type) {
    switch (type) {
        case Ftype: return v.Fval;
        case Dtype: return v.Dval;
        case Wtype: return v.Wval;
        default: return v.Lval;
    }
}

class Numbers : public Reader, public ::testing::WithParamInterface<Number_Case> {};

TEST_P(Numbers, ReadAsTheirKindOrLeaveThePosition) {
    const Number_Case& c = GetParam();
    Open(c.text, true);  // a stream keeps a tab that delimits
    Get_Delimiter(c.delim);
    Get_Line();
    ObjectTableField v{};
    EXPECT_EQ(Get_Number(&v.Ival, c.type), c.ok) << c.text;
    if (c.ok) {
        const double got = Value_Of(v, c.type);
        EXPECT_EQ(got, c.value) << c.text;
        EXPECT_EQ(std::signbit(got), std::signbit(c.value)) << c.text;
    }
    EXPECT_EQ(At_Pos(), c.rest) << c.text;
}

const double Inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Behaviour, Numbers,
    ::testing::Values(Number_Case{"-12.5 x", Ftype, true, -12.5, "x"},
                      Number_Case{"12.5", Itype, false, 0, "12.5"},
                      Number_Case{"\"42\" x", Itype, true, 42, "x"},
                      Number_Case{"'-7',8", Ltype, true, -7, "8"},
                      Number_Case{"'' x", Itype, false, 0, "'' x"},
                      Number_Case{"1.5D+03", Dtype, true, 1500, ""},
                      Number_Case{"1.5D+03", Ftype, false, 0, "1.5D+03"},
                      Number_Case{"12kg", Itype, true, 12, "kg"},
                      Number_Case{"12abc", Itype, false, 0, "12abc"},
                      Number_Case{"12abc", Xtype, true, 76476, ""},
                      Number_Case{"0x1F", Xtype, true, 0, "x1F"},
                      Number_Case{"17", Otype, true, 15, ""},
                      Number_Case{"18", Otype, false, 0, "18"},
                      Number_Case{"-5", Wtype, false, 0, "-5"},
                      Number_Case{"12/* c", Itype, true, 12, ""},
                      Number_Case{",7", Itype, true, 0, "7"},
                      Number_Case{"5 x", Itype, false, 0, "5 x", '\t'},
                      Number_Case{"5\tx", Itype, true, 5, "x", '\t'},
                      Number_Case{"5,x", Itype, true, 5, "x", '\t'},
                      Number_Case{"5", Itype, true, 5, "", '\t'},
                      Number_Case{"'5'", Itype, true, 5, "", '\0'},
                      Number_Case{"5", Ctype, false, 0, "5"}));

// The edges of each kind's range (the differential test holds the rest of
// the C conversion's ways against sscanf itself).
INSTANTIATE_TEST_SUITE_P(
    Ranges, Numbers,
    ::testing::Values(Number_Case{"2147483647", Itype, true, 2147483647, ""},
                      Number_Case{"-2147483648", Itype, true, -2147483648.0, ""},
                      Number_Case{"2147483648", Ltype, true, -2147483648.0, ""},  // wraps
                      Number_Case{"99999999999999999999", Itype, true, -1, ""},
                      Number_Case{"4294967295", Wtype, true, 4294967295.0, ""},
                      Number_Case{"FFFFFFFF", Xtype, true, -1, ""},
                      Number_Case{"37777777777", Otype, true, -1, ""},
                      Number_Case{"3.4028235e38", Ftype, true, FLT_MAX, ""},
                      Number_Case{"3.5e38", Ftype, true, Inf, ""},
                      Number_Case{"1.4e-45", Ftype, true, std::numeric_limits<float>::denorm_min(), ""},
                      Number_Case{"1.7976931348623157e308", Dtype, true, DBL_MAX, ""},
                      Number_Case{"-1e309", Dtype, true, -Inf, ""},
                      Number_Case{"1.2.3", Ftype, false, 0, "1.2.3"},
                      Number_Case{std::string(511, '0') + "1", Itype, true, 1, ""},
                      Number_Case{std::string(512, '0') + "1", Itype, false, 0, std::string(512, '0') + "1"},
                      Number_Case{std::string(600, '9') + " 1", Dtype, false, 0, std::string(600, '9') + " 1"}));

TEST_F(Reader, EmptyFieldsReadAsZero) {
    const char* const table[] = {"ASCII", nullptr};
    Open("1,,3\nASCII, 7", false);
    Get_Line();
    int a = -1, b = -1, c = -1, none;
    EXPECT_TRUE(Get_Int(&a) && Get_Int(&b) && Get_Int(&c));
    EXPECT_FALSE(Get_Int(&none));
    EXPECT_EQ(std::make_tuple(a, b, c), std::make_tuple(1, 0, 3));
    // At the blank that a keyword and its comma leave behind.
    Get_Line();
    ASSERT_EQ(Get_Symbol(&a, table), 1);
    EXPECT_TRUE(Get_Int(&b) && Get_Int(&c));
    EXPECT_EQ(std::make_pair(b, c), std::make_pair(0, 7));
}

TEST_F(Reader, NulDelimiterNeverStepsPastTheLineEnd) {
    const char* const table[] = {"KEY", nullptr};
    Open("'ab'\nKEY", false);
    Get_Delimiter(0);
    Get_Line();
    String s;
    EXPECT_EQ(Get_String(s), 2);
    EXPECT_EQ(Get_LinePos(), Get_LineLen());
    Get_Line();
    int index;
    EXPECT_EQ(Get_Symbol(&index, table), 1);
    EXPECT_EQ(Get_LinePos(), Get_LineLen());
}

TEST_F(Reader, TypedReadersReadTheirKinds) {
    Open("1.25 -2.5D1 -3 4 ff 17 70000", false);
    Get_Line();
    float f;
    double d;
    int i;
    std::uint32_t w;
    std::int32_t x, o, l;
    ASSERT_TRUE(Get_Float(&f) && Get_Double(&d) && Get_Int(&i) && Get_Word(&w) && Get_Hex(&x) &&
                Get_Octal(&o) && Get_Long(&l));
    EXPECT_EQ(std::make_tuple(f, d, i, w, x, o, l), std::make_tuple(1.25f, -25.0, -3, 4u, 255, 15, 70000));
}

}  // namespace
