// The KMS2002 header: one line of six numbers, the southern and northern
// latitude, the western and eastern longitude of the grid points, and the
// latitude and longitude steps.
#include "formats/kms_reader.h"

#include <cmath>

#include "extract.h"
#include "formats/grid_reader.h"
#include "geometry/snapping.h"

namespace {

// Points along an axis from its two ends and its step, rounded to the
// nearest count; 0 when that makes no count of points.
int Points(float low, float high, float step) {
    const float steps = (high - low) / step;
    const double points = steps + 1.5;
    if (!(points >= 1) || !(points < 2147483647.0)) return 0;
    return static_cast<int>(points);
}

// The header line, from the token reader's current source; the first line
// of values must follow it.
void Read_Header(RunState& run, Token_Source&, Grid_Header& grid) {
    grid.bad_values = Bad_Value_Line;
    if (run.Debug) fprintf(run.Debug, "%s input file %s\n", "KMS2002", run.InpName);

    // Empty and comment lines may stand before the header line.
    float alatmin, alatmax, alonmin, alonmax, dlat, dlon;
    const bool header = Get_Ascii_Line(run, 1) && Get_Float(&alatmin) && Get_Float(&alatmax) &&
                        Get_Float(&alonmin) && Get_Float(&alonmax) && Get_Float(&dlat) &&
                        Get_Float(&dlon) && Line_Done();
    char* values = header ? Get_Ascii_Line(run, 0) : nullptr;
    if (!values) return Set_Error(run, Bad_KMS2002_Header);

    // Steps that are not positive, or ends that are no numbers, describe no
    // lattice: the counts below would be undefined.
    const bool finite = std::isfinite(alatmin) && std::isfinite(alatmax) && std::isfinite(alonmin) &&
                        std::isfinite(alonmax) && std::isfinite(dlat) && std::isfinite(dlon);
    const int columns = finite && dlon > 0 ? Points(alonmin, alonmax, dlon) : 0;
    const int rows = finite && dlat > 0 ? Points(alatmin, alatmax, dlat) : 0;
    if (columns == 0 || rows == 0 || int64_t{columns} * rows > Max_Grid_Cells)
        return Set_Error(run, Bad_KMS2002_Header);
    run.Dimensions_X = columns;
    run.Dimensions_Y = rows;

    // A grid from 0 to 360 with a point on both ends is read from -180 on.
    if (alonmax == 360 && alonmin == 0 && columns % 2 == 1) {
        run.Origin_X = -180;
        run.Shift = columns / 2;
    } else {
        run.Origin_X = alonmin;
    }
    run.Origin_Y = alatmin;
    run.Spacing_X = dlon;
    run.Spacing_Y = dlat;
    Snap_Grid(run);
}

void Report(RunState& run) { Report_Text_Grid(run, "KMS2002"); }

}  // namespace

void Read_KMS2002_Header(RunState& run) {
    static constexpr Grid_Format kms{Read_Header, Describe_Top_Down_Grid, nullptr, Report};
    Read_Grid(run, kms);
}
