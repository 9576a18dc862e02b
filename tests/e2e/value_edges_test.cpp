// End to end: values that only some rules produce, and grid sizes that only
// rounding gets right.
#include <gtest/gtest.h>

#include <cmath>

#include "support/capture.h"
#include "support/grids.h"

namespace {

// Cells made undefined by -zz (heights) or by the logarithm of zero are
// written as the output's undefined value, also where that is not the float
// marker: -y, or the ESRI header's nodata value carried to an ESRI Float.
TEST(UndefinedByRules, BinaryFloatOutputsWriteTheirOwnUndefinedValue) {
    Scratch_Dir dir;
    // Rows from the top: 5 -3, then 0 and an undefined cell.
    Write_File(dir / "in.asc", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\nnodata_value -9999\n5 -3\n0 -9999\n");
    const float log5 = float(std::log10(5.0)), minus_log3 = float(-std::log10(3.0));
    const struct {
        std::string program;
        std::vector<std::string> options;
        std::vector<float> cells;  // VTK: lower row first; ESRI Float: upper row first
    } cases[] = {
        {"esri2vtk", {"-zz", "-y", "-1"}, {0, -1, -1, -3}},
        {"esri2vtk", {"-.", "10", "-y", "-1"}, {-1, -1, log5, minus_log3}},
        {"esri2flt", {"-zz"}, {-9999, -3, 0, -9999}},
        {"esri2flt", {"-zz", "-y", "-1"}, {-1, -3, 0, -1}},
        {"esri2flt", {"-.", "10"}, {log5, minus_log3, -9999, -9999}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.options;
        const bool vtk = c.program == "esri2vtk";
        args.insert(args.end(), {"in.asc", vtk ? "out.vtk" : "out.flt"});
        Process_Result result = Run_Program(c.program, args, In(dir));
        ASSERT_EQ(result.status, 0) << c.program << " " << c.options[0] << ": " << result.err;
        EXPECT_EQ(vtk ? Vtk_Floats(dir / "out.vtk") : Big_Floats(Read_File(dir / "out.flt")), c.cells)
            << c.program << " " << c.options[0] << " " << c.options.size();
    }
}

// A KMS2002 step of 1/60° printed as 0.0166667: 0° to 1° holds 61 rows, not
// the 60 a truncated count of steps would make.
TEST(Kms2002Steps, APrintedFractionRoundsToTheNearestCount) {
    Scratch_Dir dir;
    std::string text = "0 1 0 0.0166667 0.0166667 0.0166667\n";
    std::vector<float> cells;  // lower row first
    for (int row = 0; row < 61; ++row) text += Format("%d %d\n", 100 * row, 100 * row + 1);
    for (int row = 60; row >= 0; --row) cells.insert(cells.end(), {100.0f * row, 100.0f * row + 1});
    Write_File(dir / "in.kms", text);
    Process_Result result = Run_Program("kms2vtk", {"in.kms", "out.vtk"}, In(dir));
    ASSERT_EQ(result.status, 0) << result.err;
    Vtk_File out = Split_Vtk(Read_File(dir / "out.vtk"));
    ASSERT_GE(out.header.size(), 5u);
    EXPECT_EQ(out.header[4], "DIMENSIONS 2 61 1");
    EXPECT_EQ(Big_Floats(out.data), cells);
}

}  // namespace
