#include "formats/grid_reader.h"

#include <cmath>
#include <string>

#include "geometry/snapping.h"

void Read_Grid(RunState& run, const Grid_Format& format) {
    Grid_Header header;
    {
        Token_Source source(run.InpFile);
        format.Read_Header(run, source, header);
        if (run.Debug) fputc('\n', run.Debug);
        if (run.Error == 0) format.Describe(run);
        // After a failure the values are not looked at: the run ends anyway.
        // The count is not compared with the header: a grid short of values
        // fails where the row transfer reads past its end.
        if (header.data == Grid_Data::Text && run.Error == 0)
            Convert_Text_Values(run, header.cells, header.bad_values);
    }
    if (header.data == Grid_Data::Data_File) format.Open_Data(run, header);
    if (run.Error != 0) format.Report(run);
    if (header.data == Grid_Data::Text) Use_Temporary_Input(run);
}

namespace {

// A window wholly beside a geographic grid leaves nothing to write.
bool Window_Misses(const RunState& run) {
    return run.S > run.Latitude || run.Origin_Y > run.N || run.Longitude > run.E ||
           run.W > run.Origin_X + (run.Dimensions_X - 1) * run.Spacing_X;
}

}  // namespace

void Describe_Top_Down_Grid(RunState& run) {
    run.FloatInp = 1;
    Set_Resolutions(run, 1 / run.Spacing_X, 1 / run.Spacing_Y);
    run.UpperIn = 1;
    run.Columns = run.Dimensions_X;
    run.Rows = run.Dimensions_Y;
    run.Longitude = run.Origin_X;
    run.Latitude = run.Origin_Y + (run.Dimensions_Y - 1) * run.Spacing_Y;
    if (std::fabs(run.Latitude) < 0.0001 * std::fabs(run.Spacing_Y)) run.Latitude = 0;
    if (!run.UTM && Window_Misses(run)) {
        fprintf(run.StdErr, "ESRI ASCII GRID file %s skipped\n", run.InpName);
        End_Run(run, 0);
    }
}

void Report_Text_Grid(RunState& run, const char* format_name) {
    const std::string grid = std::string(format_name) + " GRID file " + run.InpName;
    const std::string line = "Source line " + std::to_string(run.Error);
    Not_Treated(run, grid.c_str(), line.c_str());
}
