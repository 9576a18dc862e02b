// End to end: lines longer than the token reader's line image, in headers
// and among the values, with either line end.
#include <gtest/gtest.h>

#include "support/capture.h"
#include "support/grids.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;  // the first is named on the command line

const std::string Blanks(70000, ' '), Comment = " /*" + std::string(70000, 'c') + "*/";

// Every header line of any length is read as one line: none is skipped, none
// is refused for its blanks, and binary values start right behind the last.
TEST(LongLines, HeaderLinesOfAnyLengthReadAsOneLine) {
    const std::string vtk = "# vtk DataFile Version 3.0\ntitle\n";
    const std::string keys = "DIMENSIONS 2 2 1\nSPACING 1 1 0" + Comment + "\nORIGIN 0 0 0\nPOINT_DATA 4" + Blanks +
                             "\nSCALARS scalars float\n";
    const std::string plain = "DIMENSIONS 2 2 1\nSPACING 1 1 0\nORIGIN 0 0 0\nPOINT_DATA 4\nSCALARS scalars float\n";
    const std::string big = Big_Float(1) + Big_Float(2) + Big_Float(3) + Big_Float(4);
    const std::string esri = "ncols 2" + Comment + "\nnrows 2" + Blanks + "\n" + Blanks + "xllcorner 0\nyllcorner 0\n";
    const struct {
        const char* what;
        std::string program;
        Files files;
        std::vector<float> cells;  // lower row first
    } cases[] = {
        {"binary VTK, comment behind LOOKUP_TABLE", "depthgrid",
         {{"in.vtk", vtk + "BINARY\nDATASET STRUCTURED_POINTS\n" + plain + "LOOKUP_TABLE default" + Comment + "\n" + big}},
         {1, 2, 3, 4}},
        {"binary VTK, blanks behind LOOKUP_TABLE", "depthgrid",
         {{"in.vtk", vtk + "BINARY\nDATASET STRUCTURED_POINTS\n" + keys + "LOOKUP_TABLE default" + Blanks + "\n" + big}},
         {1, 2, 3, 4}},
        {"ASCII VTK, blanks before DIMENSIONS", "depthgrid",
         {{"in.vtk", vtk + "ASCII\nDATASET STRUCTURED_POINTS" + Blanks + "\n" + Blanks + keys +
                         "LOOKUP_TABLE default" + Comment + "\n1 2\n3 4\n"}},
         {1, 2, 3, 4}},
        {"ESRI ASCII", "esri2vtk", {{"in.asc", esri + "cellsize 1" + Comment + "\nnodata_value 2" + Blanks + "\n1 2\n3 4\n"}},
         {3, 4, 1, kFloatNaN}},
        {"ESRI Float header: no line after cellsize skipped", "esri2vtk",
         {{"g.flt", Little_Float(7) + Little_Float(-2.5f) + Little_Float(5) + Little_Float(6)},
          {"g.hdr", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1" + Comment +
                        "\nnodata_value 7\nbyteorder lsbfirst" + Blanks + "\n"}},
         {5, 6, kFloatNaN, -2.5f}},
        {"KMS2002", "kms2vtk", {{"in.kms", "/*" + Blanks + "\n0 1 0 1 1 1" + Blanks + Comment + "\n1 2\n3 4\n"}},
         {3, 4, 1, 2}},
    };
    for (const auto& c : cases) {
        Scratch_Dir dir;
        for (const auto& [name, bytes] : c.files) Write_File(dir / name, bytes);
        Process_Result result = Run_Program(c.program, {c.files.front().first, "out.vtk"}, In(dir));
        EXPECT_EQ(result.status, 0) << c.what << ": " << result.err;
        if (result.status == 0) {
            EXPECT_EQ(Vtk_Floats(dir / "out.vtk"), c.cells) << c.what;
        }
    }
}

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
