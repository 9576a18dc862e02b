#include <cstdlib>
#include <cstring>
#include <tuple>

#include "reader_fixture.h"

using namespace std::string_literals;

namespace {

struct Lines_Case {
    const char* name;
    std::string text;
    bool as_file;
    std::vector<std::string> lines;
};

class Line_Forms : public Reader, public ::testing::WithParamInterface<Lines_Case> {};

TEST_P(Line_Forms, DeliverTheLinesAndCountThem) {
    Open(GetParam().text, GetParam().as_file);
    EXPECT_EQ(Rest_Of_Source(), GetParam().lines);
    EXPECT_EQ(Get_LineNo(), static_cast<long>(GetParam().lines.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, Line_Forms,
    ::testing::Values(Lines_Case{"EmptyText", "", false, {}},
                      Lines_Case{"TextWithoutFinalNewline", "a\nb", false, {"a", "b"}},
                      Lines_Case{"TextWithFinalNewline", "a\nb\n", false, {"a", "b"}},
                      Lines_Case{"FileWithoutFinalNewline", "first\nlast", true, {"first", "last"}},
                      Lines_Case{"FileCrLf", "abc\r\n", true, {"abc"}},
                      Lines_Case{"FileDropsOneCrOnly", "abc\r\r\n", true, {"abc\r"}},
                      Lines_Case{"TextCrIsBlank", "abc\r\n", false, {"abc "}},
                      Lines_Case{"FileTabIsBlank", "x\ty", true, {"x y"}},
                      Lines_Case{"TextControlsAreBlanks", "x\ty\x01z", false, {"x y z"}},
                      Lines_Case{"FileNulEndsTheLine", "ab\0cd\nef"s, true, {"ab", "ef"}},
                      Lines_Case{"FileLeadingNulIsEmptyLine", "\0abc\nz"s, true, {"", "z"}},
                      Lines_Case{"FileEofCharEndsSource", "one\n\x1A two\nthree", true, {"one"}},
                      Lines_Case{"TextEofCharIsBlank", "one\n\x1A two", false, {"one", "  two"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Reader, SettingsChangeWhatAFileLineHolds) {
    Open("\x1A x\ta\n", true);
    Get_EofChar(0);
    Get_Delimiter('\t');
    EXPECT_EQ(Rest_Of_Source(), std::vector<std::string>{"\x1A x\ta"});
}

class Overlong : public Reader, public ::testing::WithParamInterface<bool> {};

TEST_P(Overlong, LineIsDeliveredInPiecesWithOneLineNumber) {
    std::string line(70000, 'x');
    line[65534] = 'A';
    line[65535] = 'B';
    Open("first\n" + line + "\nnext\n", GetParam());
    Get_Line();

    const std::string piece = Get_Line();
    EXPECT_EQ(std::make_tuple(Get_Overflow(), Get_LineNo(), Get_LineLen()), std::make_tuple(1, 2L, 65534));
    EXPECT_EQ(piece.substr(65533), "xA~");

    EXPECT_EQ(std::string(Get_Line()), "B" + std::string(4464, 'x'));
    EXPECT_EQ(std::make_tuple(Get_Overflow(), Get_LineNo()), std::make_tuple(0, 2L));
    EXPECT_STREQ(Get_Line(), "next");
    EXPECT_EQ(Get_LineNo(), 3);
}

TEST_P(Overlong, SourceEndingInAFullPieceLeavesNoContinuationBehind) {
    // No rest ever comes for the last piece: a number in it is read whole,
    // and the Joint closing it is no item.
    Open(std::string(65530, ' ') + "12345", GetParam());
    ASSERT_NE(Get_Entry(), nullptr);
    EXPECT_TRUE(Get_Overflow());
    int value = 0;
    EXPECT_TRUE(Get_Int(&value));
    EXPECT_EQ(value, 12345);
    EXPECT_EQ(Get_Item(), '\0');
    EXPECT_EQ(Get_Entry(), nullptr);

    Close_All();
    Open("5" + std::string(65534, ' '), GetParam());
    Get_Entry();
    EXPECT_TRUE(Get_Int(&value));
    EXPECT_EQ(Get_More(), '\0');
}

TEST_P(Overlong, EntrySkipsCommentPiecesButNotTheLastCharacterOfAPiece) {
    Open("/*" + std::string(70000, '9') + "\nvalue 5\n", GetParam());
    ASSERT_NE(Get_Entry(), nullptr);
    EXPECT_EQ(At_Pos(), "value 5");
    EXPECT_EQ(Get_LineNo(), 2);

    Close_All();
    Open(std::string(65534, ' ') + "78 9\n", GetParam());
    Get_Entry();
    int value = 0;
    EXPECT_TRUE(Get_Int(&value));
    EXPECT_EQ(value, 78);
}

INSTANTIATE_TEST_SUITE_P(FileAndText, Overlong, ::testing::Bool());

TEST_F(Reader, CrClosingAFullPiece) {
    const std::string body(65534, 'y');
    Open(body + "\r\n" + body + "\rZ tail\n", true);
    EXPECT_EQ(std::make_tuple(std::strlen(Get_Line()), Get_Overflow()), std::make_tuple(std::size_t{65534}, 0));
    // A CR that is no line end gives way to the character behind it.
    EXPECT_EQ(Get_Line()[65534], 'Z');
    EXPECT_TRUE(Get_Overflow());
    EXPECT_STREQ(Get_Line(), " tail");
    EXPECT_EQ(Get_LineNo(), 2);
}

TEST_F(Reader, ResetDeliversTheSameLineAgain) {
    Open("  alpha beta\nnext", false);
    Get_Line();
    String s;
    Get_String(s);
    Get_Reset();
    EXPECT_EQ(Get_More(), '\0');
    EXPECT_STREQ(Get_Line(), "  alpha beta");
    EXPECT_EQ(Get_LinePos(), 2);
    EXPECT_EQ(Get_LineNo(), 1);
}

TEST_F(Reader, NestedSourceResumesAtTheSameLineAndPosition) {
    Open("line one\n  alpha beta\nline three\n", true);
    Get_Comma(1);
    Get_Line();
    Get_Line();
    String s;
    Get_String(s);
    const long line_no = Get_LineNo();
    const int pos = Get_LinePos();
    const std::string image = Get_LineImage();

    ASSERT_TRUE(Get_Buffer("inner 1\ninner 2\n"));
    EXPECT_EQ(Get_.Comma, 0);
    EXPECT_EQ(Rest_Of_Source().size(), 2u);
    Get_Close();

    EXPECT_EQ(std::make_tuple(Get_LineNo(), Get_LinePos(), std::string(Get_LineImage()), Get_.Comma),
              std::make_tuple(line_no, pos, image, std::uint8_t{1}));
    EXPECT_EQ(Get_String(s), 4);
    EXPECT_STREQ(Get_Line(), "line three");
    EXPECT_EQ(Get_LineNo(), 3);
}

TEST_F(Reader, FifthSourceIsRefusedAndChangesNothing) {
    Open("file line\n", true);
    Get_Line();
    for (const char* text : {"b1", "b2", "b3"}) ASSERT_TRUE(Get_Buffer(text));
    Get_Line();
    const Get_File before = Get_;

    EXPECT_FALSE(Get_Open(File_Of("x")));
    EXPECT_FALSE(Get_Buffer("b4"));
    EXPECT_EQ(std::make_tuple(Get_StackCount, Get_.Buffer, Get_.Image, Get_.Pos, Get_LineNo()),
              std::make_tuple(3, before.Buffer, before.Image, before.Pos, 1L));

    for (int i = 0; i < 3; ++i) Get_Close();
    EXPECT_STREQ(Get_LineImage(), "file line");
}

TEST_F(Reader, CloseWithNothingSuspendedKeepsCountAndSettings) {
    Open("a\nb\n", false);
    Get_Delimiter(';');
    Get_JointChar('&');
    Get_EofChar(0);
    Get_Comma(1);
    Get_Entry();
    Get_Reset();
    Get_Close();
    EXPECT_EQ(std::make_tuple(Get_.Delim, Get_.Joint, Get_.Eof, Get_.Comma, Get_.Free_Form, Get_LineNo()),
              std::make_tuple(';', '&', '\0', std::uint8_t{1}, std::uint8_t{1}, 1L));
    EXPECT_EQ(Get_Line(), nullptr);  // a closed source repeats nothing
}

TEST_F(Reader, SwappedSourcesKeepTheirImages) {
    EXPECT_FALSE(Get_Swap());
    Open("outer 1\n", false);
    Get_Line();
    Open("inner 1\ninner 2\n", false);
    Get_Line();
    ASSERT_TRUE(Get_Swap());
    EXPECT_STREQ(Get_LineImage(), "outer 1");
    Get_Close();  // ends the outer source; the inner one is current again
    EXPECT_STREQ(Get_LineImage(), "inner 1");

    Open("third\n", false);
    EXPECT_STREQ(Get_Line(), "third");
    Get_Close();
    EXPECT_STREQ(Get_LineImage(), "inner 1");
    EXPECT_STREQ(Get_Line(), "inner 2");
}

// A number cut by the end of a piece is read whole, also from a pipe, which
// cannot be repositioned.
class Straddle : public Reader, public ::testing::WithParamInterface<const char*> {};

TEST_P(Straddle, NumberAcrossThePieceBoundaryIsReadWhole) {
    const std::string kind = GetParam();
    std::FILE* pipe = nullptr;
    if (kind == "pipe") {
        pipe = popen("printf '%65530s-123.25e1 tail\\n7\\n' ''", "r");
        ASSERT_TRUE(pipe != nullptr && Get_Open(pipe));
    } else {
        Open(std::string(65530, ' ') + "-123.25e1 tail\n7\n", kind == "file");
    }
    ASSERT_NE(Get_Entry(), nullptr);
    float f = 0;
    EXPECT_TRUE(Get_Float(&f));
    EXPECT_EQ(f, -1232.5f);
    String s;
    EXPECT_EQ(Get_String(s), 4);
    int seven = 0;
    EXPECT_EQ(Get_Item(), '7');
    EXPECT_TRUE(Get_Int(&seven));
    EXPECT_EQ(std::make_pair(seven, Get_LineNo()), std::make_pair(7, 2L));
    if (pipe != nullptr) pclose(pipe);
}

INSTANTIATE_TEST_SUITE_P(Sources, Straddle, ::testing::Values("file", "pipe", "text"));

TEST(New_Image, ReportsAndThrowsWhenNoMemoryCanBeHad) {
    ::testing::internal::CaptureStderr();
    EXPECT_THROW(New_Image(-1), Get_OutOfMemory);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "malloc - could not allocate 0 bytes\n");
    LPSTR image = New_Image(16);
    EXPECT_EQ(image[0], '\0');
    std::free(image);
}

}  // namespace
