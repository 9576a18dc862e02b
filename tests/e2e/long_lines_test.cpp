// End to end: lines longer than the token reader's line image, in headers
// and among the values, with either line end.
#include <gtest/gtest.h>

#include "support/capture.h"
#include "support/grids.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;  // the first is named on the command line

// A row of a metric ESRI ASCII grid (no window cuts it) written on one line of exactly `length`
// characters: 1000 digits, the blanks before the last one widened.
std::string Row_Line(size_t length, int first) {
    std::string line;
    for (int i = 0; i < 1000; ++i) line += std::string(i == 0 ? 0 : i == 999 ? length - 1998 : 1, ' ') + char('0' + (first + i) % 10);
    return line;
}

// Lines that fill the read buffer, or nearly, on a CR: every length reads the
// same with CR LF as with LF.
TEST(LongLines, DataLinesAroundTheReadBufferWithEitherLineEnd) {
    std::vector<float> cells;  // the short lower row, then the long upper one
    for (int first : {3, 0})
        for (int i = 0; i < 1000; ++i) cells.push_back(float((first + i) % 10));
    Scratch_Dir dir;
    for (size_t length : {65531, 65532, 65533, 65534, 65535, 131067, 131068, 131069, 131070, 131071})
        for (const char* end : {"\n", "\r\n"}) {
            const std::string line = Row_Line(length, 0);
            ASSERT_EQ(line.size(), length);
            Write_File(dir / "in.asc", std::string("ncols 1000\r\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 100\n") +
                                           line + end + Row_Line(2000, 3) + end);
            Process_Result result = Run_Program("esri2vtk", {"in.asc", "out.vtk"}, In(dir));
            ASSERT_EQ(result.status, 0) << length << (end[0] == '\r' ? " CR LF: " : " LF: ") << result.err;
            EXPECT_EQ(Vtk_Floats(dir / "out.vtk"), cells) << length;
        }
}

}  // namespace
