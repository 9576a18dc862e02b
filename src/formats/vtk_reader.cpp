#include "formats/vtk_reader.h"

#include <cmath>
#include <cstring>
#include <string>

#include "extract.h"
#include "formats/grid_reader.h"
#include "formats/keywords.h"
#include "geometry/snapping.h"

namespace {

class Vtk_Header {
public:
    explicit Vtk_Header(RunState& run) : run_(run) {}

    // Reads the header lines up to LOOKUP_TABLE or the end of the file.
    void Read() {
        if (Read_Fixed_Lines()) Read_Keyword_Lines();
    }

private:
    void Fail(int code) { Set_Error(run_, code); }

    // The version, title, encoding and dataset lines. False when the header
    // ends here.
    bool Read_Fixed_Lines() {
        if (!Get_Ascii_Line(run_, 0)) return Fail(Missing_Version_Line), false;
        float version;
        const bool version_ok = Get_Char() == '#' && Symbol_Is(Version_Keywords, vtk) &&
                                Symbol_Is(Version_Keywords, DataFile) &&
                                Symbol_Is(Version_Keywords, Version) && Get_Float(&version) &&
                                version >= 2.0f && Line_Done();
        if (!version_ok) return Fail(Bad_Version_Line), false;

        const char* title = Get_Ascii_Line(run_, 0);
        if (!title) return Fail(Missing_Title_Line), false;
        std::strncpy(run_.Title, title, sizeof run_.Title - 1);
        run_.Title[sizeof run_.Title - 1] = '\0';
        // The title is the whole line, however long: its pieces go with it.
        while (Get_Overflow())
            if (!Get_Ascii_Line(run_, 0)) break;

        if (!Get_Ascii_Line(run_, 0)) return Fail(Missing_Encoding_Line), false;
        int encoding;
        if (!Get_Symbol(&encoding, Keywords) || (encoding != ASCII && encoding != BINARY) ||
            !Line_Done())
            return Fail(Bad_Encoding_Line), false;
        run_.Binary = encoding == BINARY;

        if (!Get_Ascii_Line(run_, 0)) return Fail(Missing_Dataset_Line), false;
        int dataset;
        if (!Symbol_Is(Keywords, DATASET) || !Get_Symbol(&dataset, Keywords) || !Line_Done())
            return Fail(Bad_Dataset_Line), false;
        run_.Dataset = dataset;
        if (dataset != STRUCTURED_POINTS) {
            fprintf(run_.StdErr, "%s %s not allowed, ", Keywords[DATASET], Keywords[dataset]);
            return Fail(Refused_Dataset), false;
        }
        return true;
    }

    void Read_Keyword_Lines() {
        while (Get_Ascii_Line(run_, 0)) {
            int keyword;
            if (!Get_Symbol(&keyword, Keywords)) {
                Fail(Unknown_Keyword);
                continue;
            }
            switch (keyword) {
            case DIMENSIONS: Dimensions_Line(); break;
            case SPACING: Spacing_Line(); break;
            case ORIGIN: Origin_Line(); break;
            case CELL_DATA:
                if (!Count_Line(run_.Cell_Data)) Fail(Bad_Cell_Data);
                break;
            case POINT_DATA:
                if (!Count_Line(run_.Point_Data)) Fail(Bad_Point_Data);
                break;
            case SCALARS: Scalars_Line(); break;
            case LOOKUP_TABLE:
                // The header ends with this line, right or wrong.
                if (!Symbol_Is(Misc_Keywords, 1) || !Line_Done()) Fail(Bad_Lookup_Table);
                return;
            default: Fail(Refused_Keyword); break;
            }
        }
    }

    bool Count_Line(int& count) {
        int value;
        if (!Get_Int(&value) || !Line_Done()) return false;
        count = value;
        return true;
    }

    void Dimensions_Line() {
        int x, y, z;
        if (!Get_Int(&x) || !Get_Int(&y) || !Get_Int(&z) || !Line_Done()) return Fail(Bad_Dimensions);
        run_.Dimensions_X = x, run_.Dimensions_Y = y, run_.Dimensions_Z = z;
        if (!Dimensions_Sound()) Fail(Bad_Dimensions);
    }

    static bool Read_Three(double (&v)[3]) {
        return Get_Double(&v[0]) && Get_Double(&v[1]) && Get_Double(&v[2]) && Line_Done() &&
               std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
    }

    void Spacing_Line() {
        double v[3];
        if (!Read_Three(v)) return Fail(Bad_Spacing);
        run_.Spacing_X = v[0], run_.Spacing_Y = v[1], run_.Spacing_Z = v[2];
        if (!Spacing_Sound()) return Fail(Bad_Spacing);
        if (run_.Spacing_X > 1.0) {
            // Spacings above a degree are metres of a projected grid.
            if (run_.GRD98out) {
                Fail(Metric_Grid_To_GRD98);
            } else if (std::fabs(run_.Spacing_Y) != run_.Spacing_X && run_.ESRIout) {
                Fail(Metric_Cells_Not_Square);
            } else {
                run_.UTM = 1;
            }
        }
    }

    void Origin_Line() {
        double v[3];
        if (!Read_Three(v)) return Fail(Bad_Origin);
        run_.Origin_X = v[0], run_.Origin_Y = v[1], run_.Origin_Z = v[2];
        if (v[0] > 360.0 || v[0] < -180.0 || v[1] > 90.0 || v[1] < -90.0) run_.UTM = 1;
    }

    void Scalars_Line() {
        int type;
        if (!Symbol_Is(Misc_Keywords, 0) || !Get_Symbol(&type, Data_Keywords)) return Fail(Bad_Scalars_Type);
        run_.DataType = type;
        if (type != float_data && type != short_data) return Fail(Bad_Scalars_Type);
        int components;
        if (!Line_Done() && (!Get_Int(&components) || components != 1 || !Line_Done()))
            Fail(Bad_Scalars_Count);
    }

public:
    // A grid has at least one point along every axis, and no more points
    // than sizes and file positions can count.
    bool Dimensions_Sound() const {
        const int x = run_.Dimensions_X, y = run_.Dimensions_Y, z = run_.Dimensions_Z;
        if (x < 1 || y < 1 || z < 1) return false;
        return int64_t{x} * y <= Max_Grid_Cells && int64_t{x} * y * z <= Max_Grid_Cells;
    }

    // Columns run from west to east; rows may run either way, but a zero
    // spacing would make every point the same.
    bool Spacing_Sound() const { return run_.Spacing_X > 0 && run_.Spacing_Y != 0; }

private:
    RunState& run_;
};

void Read_Header(RunState& run, Token_Source&, Grid_Header& grid) {
    run.Binary = 0;
    if (run.Debug) fprintf(run.Debug, "VTK input file %s:\n", run.InpName);
    Vtk_Header header(run);
    header.Read();

    // Lines that were never given leave nothing to describe a grid with.
    if (!header.Dimensions_Sound()) Set_Error(run, Bad_Dimensions);
    if (!header.Spacing_Sound()) Set_Error(run, Bad_Spacing);
    if (run.Error == 0 && !run.UTM) {
        Snap_Grid(run);
        if (std::fabs(run.Spacing_Y) != run.Spacing_X && run.ESRIout) Set_Error(run, Cells_Not_Square);
    }

    // Binary values stay in the input, right behind the header's last line
    // end.
    grid.data = run.Binary ? Grid_Data::Binary : Grid_Data::Text;
    grid.cells = run.DataType == short_data ? CellType::Short : CellType::Float;
    grid.bad_values = Bad_Scalar_Line;
}

void Report(RunState& run) {
    const std::string grid = std::string(run.Binary ? "" : Keywords[ASCII]) + (run.Binary ? "" : " ") +
                             "VTK file " + run.InpName;
    if (Replaces_Earlier(run.Error)) Not_Treated(run, grid.c_str(), "Only square cells accepted");
    const std::string line =
        std::string("Program ") + run.Invocation + ", source line " + std::to_string(run.Error);
    Not_Treated(run, grid.c_str(), line.c_str());
}

// The grid as the window and the row transfer see it.
void Describe_Grid(RunState& run) {
    run.FloatInp = run.DataType != short_data;
    Set_Resolutions(run, 1 / run.Spacing_X, std::fabs(1 / run.Spacing_Y));
    // A negative y spacing: the file stores its upper row first.
    run.UpperIn = run.Spacing_Y < 0;
    run.Columns = run.Dimensions_X;
    run.Rows = run.Dimensions_Y;
    run.Longitude = run.Origin_X;

    const int above = run.Dimensions_Y - 1;  // rows above the first one stored
    if (run.UpperIn) {
        run.Latitude = run.Origin_Y;
        return;
    }
    if (std::fabs(run.Resolution_Y) != std::fabs(run.Resolution_I))
        run.Latitude = run.Origin_Y + above * run.Spacing_Y;
    else if (run.Resolution_Y > 0)
        run.Latitude = run.Origin_Y + above / run.Resolution_I;
    else
        run.Latitude = run.Origin_Y - above / run.Resolution_I;
    if (std::fabs(run.Latitude) < 0.001 * std::fabs(run.Spacing_Y)) run.Latitude = 0;
}

}  // namespace

void Read_VTK_Header(RunState& run) {
    static constexpr Grid_Format vtk{Read_Header, Describe_Grid, nullptr, Report};
    Read_Grid(run, vtk);
}
