#include <cstring>

#include "reader_fixture.h"

namespace {

struct Strings_Case {
    const char* name;
    const char* text;
    char delim;
    bool comma;
    std::vector<std::string> strings;
    const char* rest;  // what is left at the scan position afterwards
};

class String_Items : public Reader, public ::testing::WithParamInterface<Strings_Case> {};

TEST_P(String_Items, SplitAsTheDelimiterQuotesAndCommasSay) {
    const Strings_Case& c = GetParam();
    Open(c.text, false);
    Get_Delimiter(c.delim);
    Get_Comma(c.comma);
    Get_Line();
    for (const std::string& want : c.strings) {
        String got;
        EXPECT_EQ(Get_String(got), static_cast<int>(want.size()));
        EXPECT_EQ(got, want);
    }
    EXPECT_EQ(At_Pos(), c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, String_Items,
    ::testing::Values(
        Strings_Case{"CommaSeparates", "alpha, beta", ' ', false, {"alpha", "beta"}, ""},
        Strings_Case{"CommaAfterBlankGivesEmpty", "a ,b", ' ', false, {"a", "", "b"}, ""},
        Strings_Case{"CommaKeptWhenAsked", "1,2 3", ' ', true, {"1,2", "3"}, ""},
        Strings_Case{"QuotedKeepsBlanks", "\"a b\" c", ' ', false, {"a b"}, "c"},
        Strings_Case{"DoubledQuoteIsOneQuote", "\"a\"\"b\"", ' ', false, {"a\"b"}, ""},
        Strings_Case{"BackslashBeforeDoubledQuoteCloses", "\"a\\\"\" x", ' ', false, {"a\\"}, "x"},
        Strings_Case{"SingleQuotesThenComma", "'x',y", ' ', false, {"x", "y"}, ""},
        Strings_Case{"EmptyQuotedIsZero", "'' z", ' ', false, {""}, "z"},
        Strings_Case{"UnclosedQuoteRunsToLineEnd", "\"open ended", ' ', false, {"open ended"}, ""},
        Strings_Case{"CommentEndsPlainString", "abc/*x", ' ', false, {"abc"}, ""},
        Strings_Case{"CommentInsideQuotesIsText", "'a/*b'", ' ', false, {"a/*b"}, ""},
        Strings_Case{"DelimiterKeepsBlanksAndCommas", "a b, c ;d", ';', false, {"a b, c ", "d"}, ""},
        Strings_Case{"JointStopsStringsOutsideFreeForm", "ab~cd", ' ', false, {"ab", ""}, "~cd"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Reader, CharLevelAndItem) {
    Open("a  b\n( ( (x\nx /* c\n\n  /* d\n q\n", false);
    Get_Line();
    EXPECT_EQ(Get_Char(), 'a');
    EXPECT_EQ(Get_More(), 'b');
    Get_Line();
    EXPECT_EQ(Get_Level('('), 3);
    EXPECT_EQ(Get_More(), 'x');
    Get_Line();
    EXPECT_EQ(Get_Char(), 'x');
    EXPECT_EQ(Get_LinePos(), Get_LineLen());
    EXPECT_EQ(Get_Char(), '\0');
    EXPECT_EQ(Get_Item(), 'q');
    EXPECT_EQ(Get_LineNo(), 6);
    Get_Char();
    EXPECT_EQ(Get_Item(), '\0');
}

TEST_F(Reader, FreeFormEntryContinuesAfterJoint) {
    Open("first ~\nsecond\n", false);
    Get_Entry();
    String s;
    EXPECT_EQ(Get_String(s), 5);
    EXPECT_EQ(Get_LineNo(), 2);
    EXPECT_EQ(Get_String(s), 6);
    EXPECT_STREQ(s, "second");
}

// A string longer than the caller's String is consumed whole and cut to its
// first 512 characters, within one line and across the pieces of one.
class Long_String : public Reader, public ::testing::WithParamInterface<int> {};

TEST_P(Long_String, IsCutToTheStringAndConsumed) {
    std::string word(static_cast<std::size_t>(GetParam()), 'w');
    word[511] = 'E';
    Open(word + " next\n", true);
    Get_Entry();
    struct {
        String s;
        char guard[64];
    } out;
    std::memset(out.guard, 'G', sizeof out.guard);
    EXPECT_EQ(Get_String(out.s), 512);
    EXPECT_EQ(out.s[511], 'E');
    EXPECT_EQ(out.s[512], '\0');
    EXPECT_EQ(std::string(out.guard, sizeof out.guard), std::string(64, 'G'));
    EXPECT_EQ(At_Pos(), "next");
    EXPECT_EQ(Get_LineNo(), 1);
}

INSTANTIATE_TEST_SUITE_P(Lengths, Long_String, ::testing::Values(600, 70000));

}  // namespace
