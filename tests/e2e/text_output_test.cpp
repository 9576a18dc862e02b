// End to end: text output of grids larger than the row transfer's buffers,
// whole and on a full device.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>

#include "support/capture.h"
#include "support/grids.h"

namespace {

constexpr int Cols = 1500, Rows = 300;  // several megabytes of text

// Cells as grids hold them: centimetres of either sign, whole metres, small
// fractions, large values, and the nodata value -9999 now and then.
std::vector<float> Cells() {
    std::vector<float> cells(size_t{Cols} * Rows);
    uint32_t state = 12345;
    auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    for (float& cell : cells) {
        const uint32_t kind = next() % 16, r = next() >> 8;
        if (kind < 9) cell = static_cast<float>(static_cast<int>(r % 2000000) - 1000000) / 100;
        else if (kind < 12) cell = static_cast<float>(static_cast<int>(r % 20000) - 11000);
        else if (kind < 14) cell = static_cast<float>(r) / 16777216.0f;
        else if (kind < 15) cell = std::bit_cast<float>(next());
        else cell = -9999;
        if (cell != cell || std::isinf(cell)) cell = 1.5f;  // the reader takes no NaN for a value here
    }
    return cells;
}

// ESRI Float pair g.flt / g.hdr, upper row first.
void Write_Pair(const Scratch_Dir& dir, const std::vector<float>& cells) {
    std::string data;
    for (float cell : cells) data += Little_Float(cell);
    Write_File(dir / "g.flt", data);
    Write_File(dir / "g.hdr", Format("ncols %d\nnrows %d\nxllcorner -20\nyllcorner 40\ncellsize 0.01\n"
                                     "nodata_value -9999\nbyteorder lsbfirst\n", Cols, Rows));
}

// The data text: "%1.6g" of every cell, undefined ones as `undefined`, a
// blank before the first, at most 13 values a line, each row on a new line,
// and a line end after the last.
std::string Expected_Text(const std::vector<float>& cells, bool upper_first, const std::string& undefined) {
    std::string text;
    int on_line = 0;
    for (int row = 0; row < Rows; ++row) {
        const int stored = upper_first ? row : Rows - 1 - row;
        if (row > 0) on_line = 12;
        for (int col = 0; col < Cols; ++col) {
            const float cell = cells[size_t(stored) * Cols + col];
            text += ++on_line == 13 ? '\n' : ' ';
            if (on_line == 13) on_line = 0;
            text += cell == -9999 ? undefined : Format("%1.6g", static_cast<double>(cell));
        }
    }
    return text + '\n';
}

// Drops the header lines in front of the data.
std::string Data_Of(const std::string& text, int header_lines) {
    size_t at = 0;
    for (int line = 0; line < header_lines; ++line) at = text.find('\n', at) + 1;
    return text.substr(at);
}

TEST(TextOutput, LargeGridsWrittenAsPrintfWritesThem) {
    Scratch_Dir dir;
    const std::vector<float> cells = Cells();
    Write_Pair(dir, cells);

    Process_Result esri = Run_Program("arc2ascii", {"g.flt", "out.asc"}, In(dir));
    ASSERT_EQ(esri.status, 0) << esri.err;
    const std::string asc = Read_File(dir / "out.asc");
    EXPECT_EQ(Data_Of(asc, 6), Expected_Text(cells, true, "-9999"));

    Process_Result vtk = Run_Program("esri2vtk", {"-a", "g.flt", "out.vtk"}, In(dir));
    ASSERT_EQ(vtk.status, 0) << vtk.err;
    EXPECT_EQ(Data_Of(Read_File(dir / "out.vtk"), 10), Expected_Text(cells, false, "1.05409E+14"));
}

// A text that cannot be written is reported once the whole window has been
// read: the report names the last row read, whichever order the rows go.
TEST(TextOutput, AFullDeviceIsReportedAfterTheLastRow) {
    Scratch_Dir dir;
    Write_Pair(dir, Cells());
    std::filesystem::create_symlink("/dev/full", dir / "full");
    const long row_bytes = 4L * Cols;
    const struct {
        const char* program;
        std::vector<std::string> args;
        long last_row_start;
    } cases[] = {
        {"arc2ascii", {"g.flt", "full"}, (Rows - 1) * row_bytes},  // upper row first, as stored
        {"esri2vtk", {"-a", "g.flt", "full"}, 0},                    // lower row first
    };
    for (const auto& c : cases) {
        Process_Result result = Run_Program(c.program, c.args, In(dir));
        EXPECT_EQ(result.status, 1) << c.program;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n') + 1),
                  Format("File read/write error, Source line 2782, File g.flt, Location %ld -> %ld\n",
                         c.last_row_start, c.last_row_start + row_bytes))
            << c.program;
    }
}

}  // namespace
