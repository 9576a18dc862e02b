#include "formats/vtk_reader.h"

#include <cmath>
#include <cstring>

#include "extract.h"
#include "formats/header_lines.h"
#include "formats/keywords.h"
#include "formats/text_grid.h"
#include "geometry/ftoi.h"
#include "geometry/snapping.h"

char* Get_Ascii_Line(RunState& run, int AllowEmpty) {
    char* line = AllowEmpty ? Get_Entry() : Get_Line();
    // An overlong header line is read from its first item on, in one image.
    if (line) Get_Front();
    if (line && run.Debug) fprintf(run.Debug, "%s\n", line);
    return line;
}

namespace {

// Failure codes of the VTK reader; each names the check that found it.
enum Vtk_Failure : int {
    Metric_To_GRD98 = 1,   // x spacing above 1 (metric) with GRD98 output
    Metric_Not_Square = 2, // metric cells not square with ESRI output
    No_Line = 1178,
    Bad_Version_Line = 1188,
    No_Title_Line = 1193,
    No_Encoding_Line = 1200,
    Bad_Encoding_Line = 1206,
    No_Dataset_Line = 1215,
    Bad_Dataset_Line = 1221,
    No_Keyword = 1232,
    Bad_Dimensions = 1241,
    Bad_Spacing = 1248,
    Bad_Origin = 1267,
    Bad_Cell_Data = 1276,
    Bad_Point_Data = 1280,
    Bad_Scalars_Type = 1289,
    Bad_Scalars_Count = 1297,
    Bad_Lookup_Table = 1302,
    Refused_Keyword = 1305,
    Refused_Dataset = 1312,
    Cells_Not_Square = 1326,
    Bad_Data_Line = 1348,
};

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
        if (!Get_Ascii_Line(run_, 0)) return Fail(No_Line), false;
        float version;
        const bool version_ok = Get_Char() == '#' && Symbol_Is(Version_Keywords, vtk) &&
                                Symbol_Is(Version_Keywords, DataFile) &&
                                Symbol_Is(Version_Keywords, Version) && Get_Float(&version) &&
                                version >= 2.0f && Line_Done();
        if (!version_ok) return Fail(Bad_Version_Line), false;

        const char* title = Get_Ascii_Line(run_, 0);
        if (!title) return Fail(No_Title_Line), false;
        std::strncpy(run_.Title, title, sizeof run_.Title - 1);
        run_.Title[sizeof run_.Title - 1] = '\0';
        // The title is the whole line, however long: its pieces go with it.
        while (Get_Overflow())
            if (!Get_Ascii_Line(run_, 0)) break;

        if (!Get_Ascii_Line(run_, 0)) return Fail(No_Encoding_Line), false;
        int encoding;
        if (!Get_Symbol(&encoding, Keywords) || (encoding != ASCII && encoding != BINARY) ||
            !Line_Done())
            return Fail(Bad_Encoding_Line), false;
        run_.Binary = encoding == BINARY;

        if (!Get_Ascii_Line(run_, 0)) return Fail(No_Dataset_Line), false;
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
                Fail(No_Keyword);
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
                run_.Error = Metric_To_GRD98;
            } else if (std::fabs(run_.Spacing_Y) != run_.Spacing_X && run_.ESRIout) {
                run_.Error = Metric_Not_Square;
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
        // Each product is checked before the next could overflow.
        const int64_t plane = int64_t{x} * y;
        return plane <= Max_Grid_Cells && plane <= Max_Grid_Cells / z;
    }

    // Columns run from west to east; rows may run either way, but a zero
    // spacing would make every point the same.
    bool Spacing_Sound() const { return run_.Spacing_X > 0 && run_.Spacing_Y != 0; }

private:
    RunState& run_;
};

void Prepare_Data(RunState& run) {
    const bool shorts = run.DataType == short_data;
    // Binary values stay in the input, right behind the header's last line
    // end. The count of values is not compared with the header: a grid short
    // of values fails where the row transfer reads past its end.
    if (run.Binary) return;
    Convert_Text_Values(run, shorts ? Text_Cell::Short : Text_Cell::Float, Bad_Data_Line);
}

[[noreturn]] void Report(RunState& run) {
    if (!run.Binary) fprintf(run.StdErr, "%s ", Keywords[ASCII]);
    fprintf(run.StdErr, "VTK file %s could not be properly treated\n", run.InpName);
    if (run.Error == Metric_To_GRD98 || run.Error == Metric_Not_Square)
        fprintf(run.StdErr, "Only square cells accepted\n");
    else
        fprintf(run.StdErr, "Program %s, source line %1d\n", run.Invocation, run.Error);
    fprintf(run.StdErr, "No utputfile (%s) generated\n", run.OutName);
    End_Run(run, 1);
}

// The grid as the window and the row transfer see it.
void Describe_Grid(RunState& run) {
    run.FloatInp = run.DataType != short_data;
    run.Resolution_X = 1 / run.Spacing_X;
    run.Resolution_Y = std::fabs(1 / run.Spacing_Y);
    run.Resolution_J = run.Snap_X ? ftoi(run.Resolution_X) : run.Resolution_X;
    run.Resolution_I = run.Snap_Y ? ftoi(run.Resolution_Y) : run.Resolution_Y;
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
    run.Binary = 0;
    run.Error = 0;
    {
        Token_Source source(run.InpFile);
        if (run.Debug) fprintf(run.Debug, "VTK input file %s:\n", run.InpName);

        Vtk_Header header(run);
        header.Read();
        if (run.Debug) fputc('\n', run.Debug);

        // Lines that were never given leave nothing to describe a grid with.
        if (!header.Dimensions_Sound()) Set_Error(run, Bad_Dimensions);
        if (!header.Spacing_Sound()) Set_Error(run, Bad_Spacing);

        if (run.Error == 0) {
            if (!run.UTM) {
                run.Snap_X = Snap_Spacing(run, &run.Spacing_X, &run.Origin_X, run.Dimensions_X);
                run.Snap_Y = Snap_Spacing(run, &run.Spacing_Y, &run.Origin_Y, run.Dimensions_Y);
                if (std::fabs(run.Spacing_Y) != run.Spacing_X && run.ESRIout) Set_Error(run, Cells_Not_Square);
            }
            // After a failure the data are not looked at: the run ends anyway.
            if (run.Error == 0) Prepare_Data(run);
        }
    }
    if (run.Error != 0) Report(run);
    if (!run.Binary) Use_Temporary_Input(run);
    Describe_Grid(run);
}
