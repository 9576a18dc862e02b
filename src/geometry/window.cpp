#include "geometry/window.h"

#include <cmath>
#include <utility>

#include "geometry/ftoi.h"

namespace {

float Clamp(float value, float low, float high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

// GINA and SRTM30+ are pixel registered: a limit picks the cell that holds it.
bool Pixel_Dataset(const RunState& run) { return run.Gina || run.Srtm30; }

float Global_Longitude(const RunState& run, float limit) {
    if (limit < -180) return -180;
    if (limit > 180) return run.Srtm30 == 1 && limit <= 360 ? limit - 360 : 180;
    return limit;
}

}  // namespace

void Order_Limits(RunState& run) {
    if (run.W > run.E) {
        std::swap(run.W, run.E);
        std::swap(run.W_given, run.E_given);
    }
    if (run.S > run.N) std::swap(run.S, run.N);
}

void Global_Window(RunState& run) {
    const bool pixel = Pixel_Dataset(run);
    const double a = pixel ? 1e-07 : 0.5;
    const double b = pixel ? -1e-07 : 0.5;

    run.E = Global_Longitude(run, run.E);
    run.W = Global_Longitude(run, run.W);
    run.Left = trunc32(a + (double(run.W) + 180) * run.Resolution_J);
    run.Right = trunc32(b + (double(run.E) + 180) * run.Resolution_J);
    run.Columns = trunc32(run.Resolution_J * 360);
    if (run.Srtm30 == 1) run.Shift = run.Columns / 2;

    run.N = Clamp(run.N, -90, 90);
    run.S = Clamp(run.S, -90, 90);
    run.Last = trunc32(b + (90 - double(run.S)) * run.Resolution_I);
    run.First = trunc32(a + (90 - double(run.N)) * run.Resolution_I);
    run.Rows = trunc32(run.Resolution_I * 180);
}

void Pixel_Dataset_Correction(RunState& run) {
    if (!run.Global() || !Pixel_Dataset(run)) return;
    if (run.Right == run.Columns) {
        if (run.Left == run.Right) run.Left = run.Right - 1;
        run.Right -= 1;
    }
    if (run.Last == run.Rows) {
        if (run.First == run.Last) run.First = run.Last - 1;
        run.Last -= 1;
    }
}

void Grid_Window(RunState& run) {
    const bool metric = run.UTM;
    const double rx = metric ? run.Resolution_X : run.Resolution_J;
    const double ry = metric ? run.Resolution_Y : run.Resolution_I;

    if (!metric) {
        run.E = Clamp(run.E, -180, 360);
        run.W = Clamp(run.W, -180, 360);
        // An east limit beyond 180° asks for the 0..360 view of the globe. A
        // limit left out only means "to the edge of the grid": it never moves
        // the west limit or cuts columns.
        if (run.E_given && run.E > 180 && run.W < 0) run.W = 0;
    }

    run.Left = 0;
    run.Right = run.Columns - 1;
    if (run.W > run.Longitude) {
        run.Left = trunc32((run.W - run.Longitude) * rx);
        if (run.Left < 0) run.Left = 0;
        else if (run.Left > run.Right) run.Left = run.Right;
    }
    if (run.E <= run.Longitude + run.Right / rx) {
        run.Right = trunc32((run.E - run.Longitude) * rx + 0.9999999);
        if (run.Right < run.Left) run.Right = run.Left;
        else if (run.Right >= run.Columns) run.Right = run.Columns - 1;
    }

    // A grid that covers the whole circle is read on round 180° when the user
    // asks for an east limit beyond it.
    const double west_edge = run.Longitude;
    const double east_edge = run.Longitude + (run.Columns - 1) * run.Spacing_X;
    if (!metric && run.E_given && run.E > 180 && run.E <= 360 && run.W >= 0 &&
        west_edge - run.Spacing_X <= -180 && -180 <= west_edge && east_edge <= 180 &&
        180 <= run.Longitude + run.Columns * run.Spacing_X) {
        run.DateLine = 1;
        run.Left = trunc32((run.W - run.Longitude) * run.Resolution_J);
        if (run.Left < 0) run.Left = 0;
        run.Right = trunc32((run.E - run.Longitude) * run.Resolution_J + 0.9999999);
        if (run.Right < run.Left) run.Right = run.Left;
        else if (run.Right - run.Left >= run.Columns) run.Right = run.Left + run.Columns - 1;
    }

    if (!metric) {
        run.N = Clamp(run.N, -90, 90);
        run.S = Clamp(run.S, -90, 90);
    }
    run.First = 0;
    run.Last = run.Rows - 1;
    const double south_row = run.Latitude - (run.Rows - 1) / ry;
    if (run.S > south_row) {
        run.First = trunc32((run.S - south_row) * ry);
        if (run.First < 0) run.First = 0;
        else if (run.First > run.Last) run.First = run.Last;
    }
    if (run.N < run.Latitude) {
        run.Last = trunc32((run.N - south_row) * ry + 0.9999999);
        if (run.Last < run.First) run.Last = run.First;
        else if (run.Last >= run.Rows) run.Last = run.Rows - 1;
    }
}

void Output_Origin(RunState& run) {
    if (run.Global()) {
        const double h = Pixel_Dataset(run) ? 0.5 : 0;
        run.Origo_X = (run.Left + h) / run.Resolution_J - 180;
        const int row = run.UpperOut && !run.ESRIout ? run.First : run.Last;
        run.Origo_Y = 90 - (row + h) / run.Resolution_I;
        return;
    }
    const double rx = run.UTM ? run.Resolution_X : run.Resolution_J;
    const double ry = run.UTM ? run.Resolution_Y : run.Resolution_I;
    run.Origo_X = run.Longitude + run.Left / rx;
    const int row = run.UpperOut && !run.ESRIout ? run.Last : run.First;
    run.Origo_Y = run.Latitude - (run.Rows - row - 1) / ry;
    if (std::fabs(run.Origo_X) < std::fabs(run.Spacing_X) * 0.0001) run.Origo_X = 0;
    if (std::fabs(run.Origo_Y) < std::fabs(run.Spacing_Y) * 0.0001) run.Origo_Y = 0;
}
