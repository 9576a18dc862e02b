// The failure code keeps the first failure, but a metric grid the output
// cannot take is reported whatever came before; a reader that gives up
// names the output it never made.
#include "core/run_state.h"

#include <gtest/gtest.h>

#include "support/capture.h"

namespace {

TEST(Failures, FirstCodeStaysButMetricCellsReplaceIt) {
    RunState run;
    Set_Error(run, Bad_Origin);
    Set_Error(run, Bad_Spacing);
    EXPECT_EQ(run.Error, Bad_Origin);
    Set_Error(run, Metric_Cells_Not_Square);
    EXPECT_EQ(run.Error, 2);
    Set_Error(run, Bad_Dimensions);
    EXPECT_EQ(run.Error, 2);
    Set_Error(run, Metric_Grid_To_GRD98);
    EXPECT_EQ(run.Error, 1);
}

TEST(Failures, ReaderReportNamesTheOutputNeverMade) {
    Test_Run t;
    t.run.OutName = "out.vtk";
    try {
        Not_Treated(t.run, "ESRI Ascii GRID file in.asc", "Source line 1487");
        FAIL() << "the run goes on";
    } catch (const RunEnded& ended) {
        EXPECT_EQ(ended.Status, 1);
    }
    EXPECT_EQ(t.err.text(),
              "ESRI Ascii GRID file in.asc could not be properly treated\nSource line 1487\n"
              "No utputfile (out.vtk) generated\n");
    EXPECT_EQ(t.run.ExitStatus, 1);
}

}  // namespace
