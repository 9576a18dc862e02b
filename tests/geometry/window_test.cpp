#include "geometry/window.h"

#include <gtest/gtest.h>

#include "geometry/datasets.h"

namespace {

// Left, Right, First and Last of a run.
std::vector<int> Window(const RunState& run) { return {run.Left, run.Right, run.First, run.Last}; }

// A global dataset run after its command line: constants, ordering, window.
RunState Global(Flag RunState::*dataset, float w, float e, float s, float n, int srtm = 0) {
    RunState run;
    if (dataset) run.*dataset = 1;
    run.Srtm30 = srtm;
    run.W = w, run.E = e, run.S = s, run.N = n;
    Set_Dataset_Constants(run);
    Order_Limits(run);
    Global_Window(run);
    Pixel_Dataset_Correction(run);
    return run;
}

constexpr float kMax = 3.4028235e38f;

TEST(GlobalWindow, EdgesAndRoundingBiasesOfEachDataset) {
    struct Case {
        const char* what;
        Flag RunState::*dataset;
        int srtm;
        float w, e, s, n;
        std::vector<int> window;
    } cases[] = {
        {"GEBCO, no limits", &RunState::Gebco, 0, -kMax, kMax, -kMax, kMax, {0, 21600, 0, 10800}},
        {"GINA, no limits", &RunState::Gina, 0, -kMax, kMax, -kMax, kMax, {0, 43199, 0, 21599}},
        {"ETOPO2, no limits", &RunState::Etopo2, 0, -kMax, kMax, -kMax, kMax, {0, 10800, 0, 5400}},
        {"GEBCO road", &RunState::Gebco, 0, 0, 10, 50, 60, {10800, 11400, 1800, 2400}},
        {"limits exchanged", &RunState::Gebco, 0, 10, -10, 60, 50, {10200, 11400, 1800, 2400}},
        {"GEBCO west rounds to nearest line", &RunState::Gebco, 0, -179.992f, 180, -90, 90, {0, 21600, 0, 10800}},
        {"GEBCO west one line on", &RunState::Gebco, 0, -179.99f, 180, -90, 90, {1, 21600, 0, 10800}},
        // Pixel datasets take the cell that holds a limit; a limit on a cell
        // edge counts inward.
        {"GINA on cell edges", &RunState::Gina, 0, -10, 10, -1, 1, {20400, 22799, 10680, 10919}},
        {"GINA inside cells", &RunState::Gina, 0, -9.996f, 9.996f, -0.996f, 0.996f, {20400, 22799, 10680, 10919}},
        {"SRTM30+ -p beyond 180", nullptr, 1, 190, 200, -90, 90, {1200, 2399, 0, 21599}},
        {"SRTM30+ -pp clamps to 180", nullptr, 2, 190, 200, -90, 90, {43200, 43199, 0, 21599}},
        {"blend at the east edge", &RunState::Blend, 0, 170, 180, 80, 90, {21000, 21600, 0, 600}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Window(Global(c.dataset, c.w, c.e, c.s, c.n, c.srtm)), c.window) << c.what;
    }
}

TEST(GlobalWindow, SizesShiftAndByteOrder) {
    // Columns, Rows, Shift, and Raw (1: stored big-endian).
    auto sizes = [](const RunState& run) { return std::vector<int>{run.Columns, run.Rows, run.Shift, run.Raw}; };
    EXPECT_EQ(sizes(Global(nullptr, -kMax, kMax, -kMax, kMax, 1)), (std::vector<int>{43200, 21600, 21600, 1}));
    EXPECT_EQ(sizes(Global(&RunState::Etopo2, -kMax, kMax, -kMax, kMax)), (std::vector<int>{10800, 5400, 0, 0}));
}

// A geographic grid-relative input: columns from `west` at `per_degree`.
RunState Grid(double west, double north, int columns, int rows, double per_degree) {
    RunState run;
    run.VTKin = 1;
    run.Longitude = west;
    run.Latitude = north;
    run.Columns = columns;
    run.Rows = rows;
    run.Spacing_X = run.Spacing_Y = 1 / per_degree;
    run.Resolution_J = run.Resolution_I = per_degree;
    run.Resolution_X = run.Resolution_Y = per_degree;
    return run;
}

void Limits(RunState& run, float w, float e, float s, float n, bool w_given = true, bool e_given = true) {
    run.W = w, run.E = e, run.S = s, run.N = n;
    run.W_given = w_given, run.E_given = e_given;
    Order_Limits(run);
    Grid_Window(run);
}

TEST(GridWindow, LimitsTakeInTheCellsOnBothSides) {
    RunState run = Grid(-10, 60, 21, 11, 1);  // -10..10 by 50..60
    Limits(run, -4.5f, 2.5f, 52.5f, 55.5f);
    EXPECT_EQ(Window(run), (std::vector<int>{5, 13, 2, 6})) << "rows count from the south";
    EXPECT_EQ(run.DateLine, 0);

    RunState outside = Grid(-10, 60, 21, 11, 1);
    Limits(outside, 30, 40, 70, 80);
    EXPECT_EQ(Window(outside), (std::vector<int>{20, 20, 10, 10})) << "a window beside the grid keeps its nearest edge";
}

TEST(GridWindow, AGlobeIsReadRoundTheDateLine) {
    RunState run = Grid(-180, 90, 360, 181, 1);  // -180..179
    Limits(run, 170, 190, -kMax, kMax);
    EXPECT_EQ(run.DateLine, 1);
    EXPECT_EQ(run.Left, 350);
    EXPECT_EQ(run.Right, 370) << "columns past the east edge stand for 0, 1, ...";

    RunState wide = Grid(-180, 90, 360, 181, 1);
    Limits(wide, 0, 400, -kMax, kMax);
    EXPECT_EQ(wide.DateLine, 1);
    EXPECT_EQ(wide.Right - wide.Left + 1, 360) << "never more than one turn";

    RunState metric = Grid(-180, 90, 360, 181, 1);
    metric.UTM = 1;
    Limits(metric, 170, 190, -kMax, kMax);
    EXPECT_EQ(metric.DateLine, 0);
}

TEST(GridWindow, ALimitLeftOutNeverCutsTheGrid) {
    // 98°W to 80°W: without limits every column stays.
    RunState west = Grid(-98, 40, 19, 5, 1);
    Limits(west, -kMax, kMax, -kMax, kMax, false, false);
    EXPECT_EQ(west.Left, 0);
    EXPECT_EQ(west.Right, 18);

    // -w alone on a globe stops at the grid's east edge.
    RunState globe = Grid(-180, 90, 360, 181, 1);
    Limits(globe, 10, kMax, -kMax, kMax, true, false);
    EXPECT_EQ(globe.DateLine, 0);
    EXPECT_EQ(globe.Left, 190);
    EXPECT_EQ(globe.Right, 359);

    // A grid stored from 0° to 360° keeps all its columns.
    RunState east = Grid(0, 90, 360, 181, 1);
    Limits(east, -kMax, kMax, -kMax, kMax, false, false);
    EXPECT_EQ(east.Left, 0);
    EXPECT_EQ(east.Right, 359);

    // An east limit beyond 180° given by the user still asks for 0..360.
    RunState asked = Grid(0, 90, 360, 181, 1);
    Limits(asked, -20, 200, -kMax, kMax);
    EXPECT_EQ(asked.W, 0.0f);
    EXPECT_EQ(asked.Left, 0);
    EXPECT_EQ(asked.Right, 200);
}

TEST(GridWindow, OriginOfTheOutput) {
    RunState run = Grid(-10, 60, 21, 11, 1);
    Limits(run, -4.5f, 2.5f, 52.5f, 55.5f);
    Output_Origin(run);
    EXPECT_DOUBLE_EQ(run.Origo_X, -5);
    EXPECT_DOUBLE_EQ(run.Origo_Y, 52);
    run.UpperOut = 1;
    Output_Origin(run);
    EXPECT_DOUBLE_EQ(run.Origo_Y, 56);
    run.ESRIout = 1;
    Output_Origin(run);
    EXPECT_DOUBLE_EQ(run.Origo_Y, 52) << "ESRI output takes the southern row, also with -u";

    RunState near_zero = Grid(-1e-6, 1, 3, 3, 1);
    Limits(near_zero, -kMax, kMax, -kMax, kMax, false, false);
    Output_Origin(near_zero);
    EXPECT_EQ(near_zero.Origo_X, 0) << "noise below a ten-thousandth of a cell is dropped";
}

}  // namespace
