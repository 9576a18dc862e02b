#include "formats/esri_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "extract.h"
#include "formats/header_lines.h"
#include "formats/keywords.h"
#include "formats/text_grid.h"
#include "formats/vtk_reader.h"
#include "geometry/ftoi.h"
#include "geometry/snapping.h"
#include "transfer/value_rules.h"

namespace {

[[noreturn]] void Not_Opened(RunState& run, const char* name) {
    fprintf(run.StdErr, "%s could not be opened\n", name);
    End_Run(run, 1);
}

// The other file of an ESRI Float pair: the name cut at its last "." and
// given `upper` when the extension began with a capital, `lower` otherwise; a
// name without a "." takes the case of its last character. The output files
// of a pair are named by the same rule.
void Sibling_Name(RunState& run, const char* name, const char* upper, const char* lower) {
    const char* dot = std::strrchr(name, '.');
    const size_t keep = dot ? size_t(dot - name) : std::strlen(name);
    const char decides = dot ? dot[1] : keep > 0 ? name[keep - 1] : '\0';
    const char* suffix = std::isupper(static_cast<unsigned char>(decides)) ? upper : lower;
    if (keep + std::strlen(suffix) >= sizeof(String)) {
        // Too long to be kept: cutting it would name another file.
        fprintf(run.StdErr, "%.*s%s could not be opened\n", int(keep), name, suffix);
        End_Run(run, 1);
    }
    std::snprintf(run.InpName2, sizeof(String), "%.*s%s", int(keep), name, suffix);
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
            Sibling_Name(run_, run_.InpName, ".HDR", ".hdr");
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

        if (!Next()) return Fail(No_Line_After_Cellsize);
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
    if (!run.UTM) {
        run.Snap_X = Snap_Spacing(run, &run.Spacing_X, &run.Origin_X, run.Dimensions_X);
        run.Snap_Y = Snap_Spacing(run, &run.Spacing_Y, &run.Origin_Y, run.Dimensions_Y);
    }
    // Values stand at the centres of the cells.
    if (xll == xllcorner) run.Origin_X += run.Spacing_X / 2;
    if (yll == yllcorner) run.Origin_Y += run.Spacing_Y / 2;
    // A grid from 0 round the whole globe, both ends included, is read from -180 on.
    if (!run.UTM && run.Origin_X == 0 && run.Dimensions_X % 2 == 1 && run.Dimensions_X * run.Spacing_X > 360) {
        run.Origin_X = -180;
        run.Shift = run.Dimensions_X / 2;
    }
}

void Common_Geometry(RunState& run) {
    run.FloatInp = 1;
    run.Resolution_X = 1 / run.Spacing_X;
    run.Resolution_Y = 1 / run.Spacing_Y;
    run.Resolution_J = run.Snap_X ? ftoi(run.Resolution_X) : run.Resolution_X;
    run.Resolution_I = run.Snap_Y ? ftoi(run.Resolution_Y) : run.Resolution_Y;
    // ESRI and KMS2002 values are stored from the top row down, each row west to east.
    run.UpperIn = 1;
    run.Columns = run.Dimensions_X;
    run.Rows = run.Dimensions_Y;
    run.Longitude = run.Origin_X;
    run.Latitude = run.Origin_Y + (run.Dimensions_Y - 1) * run.Spacing_Y;
    if (std::fabs(run.Latitude) < 0.0001 * std::fabs(run.Spacing_Y)) run.Latitude = 0;
}

// A window wholly beside a geographic grid leaves nothing to write.
bool Window_Misses(const RunState& run) {
    return run.S > run.Latitude || run.Origin_Y > run.N || run.Longitude > run.E ||
           run.W > run.Origin_X + (run.Dimensions_X - 1) * run.Spacing_X;
}

// The raw floats of an ESRI Float pair.
void Open_Data_File(RunState& run, bool companion) {
    Close_Input(run);
    const char* name = run.InpName;
    if (companion) {
        std::snprintf(run.InpName2, sizeof(String), "%s", run.InpName);
    } else {
        Sibling_Name(run, run.InpName, ".FLT", ".flt");
        name = run.InpName2;
    }
    run.InpFile = std::fopen(name, "rb");
    if (!run.InpFile) Not_Opened(run, name);
    run.Location = 0;
    run.Raw ^= 1;
}

[[noreturn]] void Report(RunState& run) {
    fprintf(run.StdErr, "%s GRID file %s could not be properly treated\nSource line %1d\n",
            run.KMS2002 ? "KMS2002" : "ESRI Ascii", run.InpName, run.Error);
    fprintf(run.StdErr, "No utputfile (%s) generated\n", run.OutName);
    End_Run(run, 1);
}

}  // namespace

void Read_ESRI_Header(RunState& run) {
    run.Error = 0;
    Token_Source source(run.InpFile);
    Esri_Header header(run, source);
    if (run.KMS2002) {
        header.image = Read_KMS2002_Header(run);
    } else {
        header.Read();
        if (run.Error == 0) Esri_Geometry(run, header.xll, header.yll);
    }
    if (run.Debug) fputc('\n', run.Debug);

    if (run.Error == 0) {
        Common_Geometry(run);
        if (!run.UTM && Window_Misses(run)) {
            fprintf(run.StdErr, "ESRI ASCII GRID file %s skipped\n", run.InpName);
            End_Run(run, 0);
        }
    }

    if (!run.KMS2002 && (header.companion || !header.image)) {
        source.Close();
        Open_Data_File(run, header.companion);
    } else {
        // After a failure the values are not looked at: the run ends anyway.
        // The count is not compared with the header: a grid short of values
        // fails where the row transfer reads past its end.
        if (run.Error == 0) Convert_Text_Values(run, Text_Cell::Float, Bad_Value_Line);
        source.Close();
        if (run.Error == 0) Use_Temporary_Input(run);
    }
    if (run.Error != 0) Report(run);
}
