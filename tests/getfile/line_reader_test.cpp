#include <algorithm>
#include <random>

#include "reader_fixture.h"

using namespace std::string_literals;

namespace {

// A line longer than the image comes in pieces closed by the Joint, under one line number; a CR that
// ends a full piece is a line end only before a LF, and otherwise gives way to the character behind it.
TEST_F(Reader, LinesAreDeliveredAndCounted) {
    std::string longer(70000, 'x'), body(65534, 'y');
    longer.replace(65534, 2, "AB");
    const std::vector<std::string> pieces = {"first", longer.substr(0, 65535) + "~", longer.substr(65535), "next"};
    const struct { std::string text; bool as_file; std::vector<std::string> lines; char delim = ' '; } cases[] = {
        {"", false, {}},                         {"a\nb", false, {"a", "b"}},
        {"a\n\nb\n", false, {"a", "", "b"}},      {"first\nlast", true, {"first", "last"}},
        {"abc\r\n", true, {"abc"}},               {"abc\r\r\n", true, {"abc\r"}},  // one CR only goes
        {"abc\r\n", false, {"abc "}},             {"x\ty\x01z", false, {"x y z"}},  // texts blank controls
        {"x\ty", true, {"x y"}},                  {"ab\0cd\nef"s, true, {"ab", "ef"}},
        {"\0abc\nz"s, true, {"", "z"}},           {"\x1A x\ta\n\0"s, true, {"\x1A x\ta", ""}, '\t'},  // no EOF char
        {"one\n\x1A two\nthree", true, {"one"}},  {"one\n\x1A two", false, {"one", "  two"}},
        {"first\n" + longer + "\nnext\n", true, pieces},  {"first\n" + longer + "\nnext\n", false, pieces},
        {body + "\r\n" + body + "\rZ tail\n", true, {body, body + "Z~", " tail"}},
        {body.substr(1) + "\r\nz\r\n", true, {body.substr(1), "z"}}};  // CR LF fill the image
    for (const auto& c : cases) {
        Open(c.text, c.as_file);
        Get_Delimiter(c.delim);
        if (c.delim != ' ') Get_EofChar(0);
        std::vector<std::string> lines;
        while (PSTR line = Get_Line()) lines.emplace_back(line);
        EXPECT_EQ(lines, c.lines) << c.text.substr(0, 20);
        const auto numbered = std::ranges::count_if(c.lines, [](auto& l) { return !l.ends_with('~'); });
        EXPECT_EQ(Get_LineNo(), numbered) << c.text.substr(0, 20);  // a piece takes its line's number
    }
}

// The last piece of a source gets no rest: a number in it is read whole, and the Joint closing it is no
// item. Every piece of an overlong comment line is comment; a piece whose only item is its last character
// has content, and the item goes on in the next piece.
TEST_F(Reader, PiecesInFreeForm) {
    const char* const table[] = {"POINT_DATA", nullptr};
    int index = -1;
    for (bool as_file : {true, false}) {
        SCOPED_TRACE(as_file ? "file" : "text");
        Open(std::string(65530, ' ') + "12345", as_file);
        ASSERT_TRUE(Get_Entry() && Get_Overflow());
        EXPECT_EQ((std::tuple{Read(Get_Int), Get_Item()}), std::tuple(12345, '\0'));
        Open("5" + std::string(65534, ' '), as_file);
        EXPECT_EQ((std::tuple{Get_Entry() != nullptr, Read(Get_Int), Get_More()}), std::tuple(true, 5, '\0'));
        Open(std::string(65530, ' ') + "5/*" + std::string(9, 'c'), as_file);  // the rest of the piece is comment
        EXPECT_EQ((std::tuple{Get_Entry() != nullptr, Read(Get_Int), Get_More()}), std::tuple(true, 5, '\0'));
        Open("/*" + std::string(70000, '9') + "\n" + std::string(70000, 'x') + "\nvalue 5\n", as_file);
        EXPECT_EQ((std::tuple{Get_Entry() != nullptr, Get_Entry() != nullptr, At_Pos(), Get_LineNo()}),
                  std::tuple(true, true, "value 5"s, 3L));  // the second entry skips the rest of the first
        Open(std::string(65534, ' ') + "POINT_DATA 78 9\n", as_file);
        EXPECT_EQ((std::tuple{Get_Entry() != nullptr, Get_Symbol(&index, table), Read(Get_Int)}),
                  std::tuple(true, 1, 78));
    }
}

// A number cut by the end of a piece is read whole also from a pipe, which cannot be repositioned.
TEST_F(Reader, NumberAcrossThePieceBoundaryOfAPipe) {
    std::FILE* pipe = popen("printf '%65529s\"-123.25e1\" tail\\n7\\n' ''", "r");
    ASSERT_TRUE(pipe != nullptr && Get_Open(pipe) && Get_Entry() != nullptr);
    EXPECT_EQ((std::tuple{Read(Get_Float), Next_String(), Get_Item()}), std::tuple(-1232.5f, "tail", '7'));
    EXPECT_EQ((std::tuple{Read(Get_Int), Get_LineNo()}), std::tuple(7, 2L));
    Close_All();
    pclose(pipe);
}

// Sources stack up to four deep; each resumes at its line and position, with its own settings and image.
TEST_F(Reader, SourcesNestSwapAndResume) {
    EXPECT_FALSE(Get_Swap());
    Open("line one\n  alpha beta\nline three\n", true);
    Get_Comma(1);
    ASSERT_TRUE(Get_Line() && Get_Line());
    Next_String();
    const auto where = [] { return std::tuple(Get_.Count, Get_.Pos, std::string(Get_.Image), Get_.Comma); };
    const auto resumed = where();
    ASSERT_TRUE(Get_Buffer("inner 1\ninner 2\n") && Get_Line() && Get_Buffer("b2\n") && Get_Line() &&
                Get_Buffer("b3\n") && Get_Line());
    EXPECT_EQ(Get_.Comma, 0);

    // A fifth source is refused and changes nothing.
    const auto state = [] { return std::tuple(Get_StackCount, Get_.Buffer, Get_.Image, Get_.Pos, Get_LineNo()); };
    const auto before = state();
    EXPECT_FALSE(Get_Open(nullptr) || Get_Buffer("b4"));
    EXPECT_EQ(state(), before);

    // After a swap a new source takes an image that no suspended one holds.
    ASSERT_TRUE(Get_Swap());
    EXPECT_STREQ(Get_LineImage(), "b2");
    Get_Close();  // ends b2; b3 is current again
    ASSERT_TRUE(Get_Buffer("third\n") && Get_Line());
    Get_Close();
    EXPECT_STREQ(Get_LineImage(), "b3");
    Get_Close();
    EXPECT_STREQ(Get_Line(), "inner 2");
    Get_Close();
    EXPECT_EQ(where(), resumed);

    Get_Reset();  // the line counts as used up and comes again
    EXPECT_EQ(Get_More(), '\0');
    EXPECT_EQ((std::tuple{std::string(Get_Line()), Get_LinePos(), Get_LineNo()}), std::tuple("  alpha beta", 2, 2));
    // Closed with nothing suspended, a source keeps its count and settings but repeats nothing.
    Get_Reset();
    Get_Close();
    EXPECT_EQ((std::tuple{Get_.Comma, Get_LineNo(), Get_Line()}), std::tuple(1, 2L, nullptr));
}

TEST(New_Image, ReportsAndThrowsWhenNoMemoryCanBeHad) {
    ::testing::internal::CaptureStderr();
    EXPECT_THROW(New_Image(-1), Get_OutOfMemory);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "malloc - could not allocate 0 bytes\n");
}

// Random hostile texts through every item operation: the reader never leaves its image and always ends.
TEST_F(Reader, HostileInputStaysInsideTheImageAndEnds) {
    const std::string pieces[] = {"12.5", "-7", "1e", "'", "\"", "\"\"", "~", "/*", "*", "/", ",", ";", " ", "  ",
                                  "\t", "\r", "\n", "\r\n", "\x01", "\\", "ASCII", "\x91" "ble", "\xB3", "$#", "(",
                                  ".", "0x1F", "D+03", std::string(600, '7'), std::string(300, 'k')};
    const char* const table[] = {"ASCII", "ASC", "BLE", "[BLE", nullptr};
    std::mt19937_64 rng(99);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (std::size_t i = 0, n = rng() % 4 == 0 ? 30000 : 1 + rng() % 60; i < n; ++i)
            text += pieces[rng() % std::size(pieces)];
        if (rng() % 5 == 0) text.insert(rng() % (text.size() + 1), std::string(65530 + rng() % 10, 'x'));
        // A NUL byte ends a text in memory, and 0x1A at a line start a stream.
        if (rng() % 4 == 0) text.insert(rng() % (text.size() + 1), 1, rng() % 2 ? '\0' : '\x1A');
        Open(text, round % 2 == 0);
        Get_Delimiter(" ;\t\0,"[rng() % 5]);
        Get_Comma(static_cast<int>(rng() % 2));
        if (rng() % 4 == 0) Get_JointChar('\0');
        // Each call moves on in the line or is followed by a read of the next: the source ends within this many.
        bool ended = false;
        for (long steps = 20 * static_cast<long>(text.size()) + 1000; !ended && steps > 0; --steps) {
            alignas(double) String s;  // a string, an identifier, a table index or a number
            switch (rng() % 9) {
                case 0: ended = Get_Line() == nullptr; break;
                case 1: ended = Get_Entry() == nullptr; break;
                case 2: ended = Get_Item() == '\0'; break;
                case 3: Get_Char(); break;
                case 4: Get_Level('('); break;
                case 5: Get_String(s); break;
                case 6: Get_Lookup(reinterpret_cast<PINT>(s), rng() % 2 ? table : nullptr, rng() % 2); break;
                default: Get_Number(reinterpret_cast<PINT>(s), static_cast<ObjectType>(rng() % 9));
            }
            ASSERT_TRUE(Get_.Pos >= 0 && Get_.Pos <= Get_.Len + 2 && Get_.Len <= Get_ImageSize &&
                        Get_.Image[Get_ImageSize] == '\0') << "round " << round << ": Pos " << Get_.Pos;
        }
        EXPECT_TRUE(ended) << "round " << round << ": no end";
    }
}

}  // namespace
