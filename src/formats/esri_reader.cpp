#include "formats/esri_reader.h"

#include <cmath>
#include <string>

#include "extract.h"
#include "formats/companion.h"
#include "formats/grid_reader.h"
#include "formats/keywords.h"
#include "geometry/snapping.h"

namespace {

[[noreturn]] void Not_Opened(RunState& run, const char* name) {
    fprintf(run.StdErr, "%s could not be opened\n", name);
    End_Run(run, 1);
}

// The other file of an ESRI Float pair, named in InpName2.
void Companion_Input(RunState& run, const char* upper, const char* lower) {
    const std::string name = Companion_Name(run.InpName, upper, lower);
    if (name.size() > Max_Companion_Name) Not_Opened(run, name.c_str());
    std::snprintf(run.InpName2, sizeof(String), "%s", name.c_str());
}

// The header's undefined value takes slot 0. A value the user named with -x
// stays undefined as well: the one in slot 0 moves to the next free slot.
void Store_Nodata(RunState& run, float value) {
    Free_Undefined_Slot0(run);
    run.Fundef[0] = value;
}

// The ESRI header lines, in their fixed order.
class Esri_Header {
public:
    Esri_Header(RunState& run, Token_Source& source) : run_(run), source_(source) {}

    char* image = nullptr;   // the last line read: after the header, the first line of values
    bool companion = false;  // the header came from the file beside the one named
    int xll = xllcenter, yll = yllcenter;

    void Read() {
        if (run_.Debug) fprintf(run_.Debug, "%s input file %s\n", "ESRI Ascii/Float", run_.InpName);
        if (!Ncols_Line()) {
            // Not an ESRI ASCII grid: the file named is taken as the data file
            // of an ESRI Float pair, whose header file lies beside it.
            source_.Close();
            Close_Input(run_);
            Companion_Input(run_, ".HDR", ".hdr");
            run_.InpFile = std::fopen(run_.InpName2, "r");
            if (!run_.InpFile) Not_Opened(run_, run_.InpName2);
            source_.Open(run_.InpFile);
            companion = true;
            if (!Ncols_Line()) return Fail(Bad_Ncols);
        }
        if (run_.Dimensions_X < 1) return Fail(Bad_Ncols);

        int n;
        if (!Next() || !Symbol_Is(ESRI_Keywords, nrows) || !Get_Int(&n) || !Line_Done() || n < 1 ||
            int64_t{n} * run_.Dimensions_X > Max_Grid_Cells)
            return Fail(Bad_Nrows);
        run_.Dimensions_Y = n;

        if (!Origin_Line(xllcenter, run_.Origin_X, xll)) return Fail(Bad_Xll);
        if (!Origin_Line(yllcenter, run_.Origin_Y, yll)) return Fail(Bad_Yll);

        double size;
        if (!Next() || !Symbol_Is(ESRI_Keywords, cellsize) || !Get_Double(&size) || !Line_Done() ||
            !(size > 0) || !std::isfinite(size))
            return Fail(Bad_Cellsize);
        run_.Spacing_X = size;

        if (!Next()) return Fail(Header_Ends_After_Cellsize);
        int keyword;
        if (!Get_Symbol(&keyword, ESRI_Keywords)) {
            // No nodata_value: this line is the first line of values.
            Store_Nodata(run_, -9999);
            return;
        }
        float nodata;
        if (keyword != nodata_value || !Get_Float(&nodata) || !Line_Done()) return Fail(Bad_Nodata);
        Store_Nodata(run_, nodata);

        Next();
        if (!companion) return;  // the first line of values, or none
        if (!image) {
            run_.Raw ^= 1;
            return;
        }
        // msbfirst and lsbfirst are 0 and 1 counted from msbfirst; the data
        // preparation inverts Raw once more.
        int order;
        if (Symbol_Is(ESRI_Keywords, byteorder) && Get_Symbol(&order, &ESRI_Keywords[msbfirst]) &&
            order != vms_ffloat - msbfirst && Line_Done())
            run_.Raw = static_cast<Flag>(order);
        else
            Fail(Bad_Byte_Order);
        Next();
    }

private:
    bool Next() { return (image = Get_Ascii_Line(run_, 0)) != nullptr; }
    void Fail(int code) { Set_Error(run_, code); }

    bool Ncols_Line() {
        int n;
        if (!Next() || !Symbol_Is(ESRI_Keywords, ncols) || !Get_Int(&n) || !Line_Done()) return false;
        run_.Dimensions_X = n;
        return true;
    }

    // The centre form of the keyword, or the corner form that follows it in
    // the table, then one number.
    bool Origin_Line(int center, double& value, int& form) {
        int keyword;
        double v;
        if (!Next() || !Get_Symbol(&keyword, ESRI_Keywords) || (keyword != center && keyword != center + 1) ||
            !Get_Double(&v) || !Line_Done() || !std::isfinite(v))
            return false;
        value = v;
        form = keyword;
        return true;
    }

    RunState& run_;
    Token_Source& source_;
};

void Esri_Geometry(RunState& run, int xll, int yll) {
    run.Spacing_Y = run.Spacing_X;  // square cells
    run.UTM = run.Spacing_X > 1 || run.Origin_X > 360 || run.Origin_X < -180 || run.Origin_Y > 90 ||
              run.Origin_Y < -90;
    if (!run.UTM) Snap_Grid(run);
    // Values stand at the centres of the cells.
    if (xll == xllcorner) run.Origin_X += run.Spacing_X / 2;
    if (yll == yllcorner) run.Origin_Y += run.Spacing_Y / 2;
    // A grid from 0 round the whole globe, both ends included, is read from -180 on.
    if (!run.UTM && run.Origin_X == 0 && run.Dimensions_X % 2 == 1 && run.Dimensions_X * run.Spacing_X > 360) {
        run.Origin_X = -180;
        run.Shift = run.Dimensions_X / 2;
    }
}

// The raw floats of an ESRI Float pair.
void Open_Data_File(RunState& run, const Grid_Header& grid) {
    Close_Input(run);
    const char* name = run.InpName;
    if (grid.companion) {
        std::snprintf(run.InpName2, sizeof(String), "%s", run.InpName);
    } else {
        Companion_Input(run, ".FLT", ".flt");
        name = run.InpName2;
    }
    run.InpFile = std::fopen(name, "rb");
    if (!run.InpFile) Not_Opened(run, name);
    run.Location = 0;
    run.Raw ^= 1;
}

void Read_Header(RunState& run, Token_Source& source, Grid_Header& grid) {
    Esri_Header header(run, source);
    header.Read();
    if (run.Error == 0) Esri_Geometry(run, header.xll, header.yll);
    // A header without values behind it is the header file of a Float pair.
    grid.companion = header.companion;
    grid.data = header.companion || !header.image ? Grid_Data::Data_File : Grid_Data::Text;
    grid.bad_values = Bad_Value_Line;
}

void Report(RunState& run) { Report_Text_Grid(run, "ESRI Ascii"); }

}  // namespace

void Read_ESRI_Header(RunState& run) {
    static constexpr Grid_Format esri{Read_Header, Describe_Top_Down_Grid, Open_Data_File, Report};
    Read_Grid(run, esri);
}
