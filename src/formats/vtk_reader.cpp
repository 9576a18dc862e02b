#include "formats/vtk_reader.h"

#include <cmath>
#include <cstring>
#include <string>

#include "extract.h"
#include "formats/grid_reader.h"
#include "formats/keywords.h"
#include "geometry/snapping.h"

namespace {

const char* const Metadata[] = {"METADATA", nullptr};

// Text values end where another part of the file begins: a FIELD block, a
// lookup table, another array or its METADATA.
bool Section_Begins() {
    const int start = Get_LinePos();
    int keyword;
    const bool section = Get_Symbol(&keyword, Keywords) || Get_Symbol(&keyword, Metadata);
    Get_SetPos(start);
    return section;
}

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

    // The next line that says something: VTK's writers leave empty lines
    // (behind binary blocks, for one) and METADATA blocks, which are passed
    // over. False at the end of the file.
    bool Next_Content_Line() {
        while (Get_Ascii_Line(run_, 0)) {
            if (Empty_Line()) continue;
            if (!Metadata_Line()) return true;
            Skip_Metadata();
        }
        return false;
    }

    void Read_Keyword_Lines() {
        while (Next_Content_Line()) {
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
                cell_data_ = true;
                break;
            case POINT_DATA:
                if (!Count_Line(run_.Point_Data)) Fail(Bad_Point_Data);
                cell_data_ = false;
                break;
            case FIELD:
                if (!Skip_Field()) Fail(Refused_Keyword);
                break;
            case SCALARS:
                if (!cell_data_) Scalars_Line();
                else if (!Skip_Attribute(SCALARS)) Fail(Refused_Keyword);
                break;
            case VECTORS:
            case NORMALS:
                if (!Skip_Attribute(keyword)) Fail(Refused_Keyword);
                break;
            case LOOKUP_TABLE:
                // The header ends with this line, right or wrong; the table
                // may have any name.
                if (!Name() || !Line_Done()) Fail(Bad_Lookup_Table);
                return;
            default: Fail(Refused_Keyword); break;
            }
        }
    }

    // A name of the file's own (of an array or a table): any one item.
    static bool Name() {
        String name;
        return Get_String(name) > 0;
    }

    // VTK 5.1 may follow an array with its METADATA, up to an empty line.
    static bool Metadata_Line() { return Symbol_Is(Metadata, 0) && Line_Done(); }

    void Skip_Metadata() {
        while (Get_Ascii_Line(run_, 0) && !Empty_Line()) {
        }
    }

    // A FIELD block holds arrays of its own, no part of the grid: the name,
    // the number of arrays, then each array's line (name, components,
    // tuples, type) followed by its values, passed over as text or as
    // bytes.
    bool Skip_Field() {
        int arrays;
        if (!Name() || !Get_Int(&arrays) || arrays < 0 || !Line_Done()) return false;
        for (int a = 0; a < arrays; ++a) {
            if (!Next_Content_Line()) return false;
            static const char* const null_array[] = {"NULL_ARRAY", nullptr};
            int type;
            if (Get_Symbol(&type, null_array) && Line_Done()) continue;
            int components, tuples;
            if (!Name() || !Get_Int(&components) || !Get_Int(&tuples) || components < 0 || tuples < 0) return false;
            const int size = Field_Type_Size();
            if (size == 0 || !Line_Done() || !Skip_Values(int64_t{components} * tuples, size)) return false;
        }
        return true;
    }

    // Bytes of one value of the type that follows; 0 for a type whose values
    // cannot be counted in bytes (strings), -1 for bits.
    static int Field_Type_Size() {
        static const char* const long_types[] = {"vtkIdType", "vtktypeint64", "vtktypeuint64", nullptr};
        int type;
        if (Get_Symbol(&type, long_types)) return 8;
        if (!Get_Symbol(&type, Data_Keywords)) return 0;
        static constexpr int size[] = {-1, 1, 1, 2, 2, 4, 4, 8, 8, 4, 8};
        return size[type];
    }

    // An array that is not the grid: scalars of the cells, or vectors and
    // normals. Its line (scalars with a table line of their own), then its
    // values, passed over.
    bool Skip_Attribute(int keyword) {
        const int64_t tuples = cell_data_ ? run_.Cell_Data : run_.Point_Data;
        int components = keyword == SCALARS ? 1 : 3;
        if (!Name()) return false;
        const int size = Field_Type_Size();
        if (size == 0) return false;
        if (keyword == SCALARS && !Line_Done() && !Get_Int(&components)) return false;
        if (!Line_Done() || components < 1 || tuples < 0) return false;
        if (keyword == SCALARS) {
            do {
                if (!Get_Ascii_Line(run_, 0)) return false;
            } while (Empty_Line());
            if (!Symbol_Is(Keywords, LOOKUP_TABLE) || !Name() || !Line_Done()) return false;
        }
        return Skip_Values(tuples * components, size);
    }

    // `count` values: bytes behind the array's line in a binary file, items
    // on the following lines in a text file.
    bool Skip_Values(int64_t count, int size) {
        if (count > Max_Grid_Cells) return false;  // no file holds so many
        if (run_.Binary) {
            const int64_t bytes = size < 0 ? (count + 7) / 8 : count * size;
            return fseeko(run_.InpFile, bytes, SEEK_CUR) == 0;
        }
        while (count > 0) {
            if (Get_More() == '\0') {
                if (!Get_Line()) return false;
                continue;
            }
            if (!Name()) return false;
            --count;
        }
        return Line_Done();
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

    // The first scalar array is the grid, whatever its name: VTK writes the
    // one it was given. Doubles become float cells.
    void Scalars_Line() {
        int type;
        if (!Name() || !Get_Symbol(&type, Data_Keywords)) return Fail(Bad_Scalars_Type);
        run_.DataType = type;
        if (type != float_data && type != short_data && type != double_data) return Fail(Bad_Scalars_Type);
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
    bool cell_data_ = false;  // the arrays that follow belong to the cells
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
        Refuse_Non_Square_For_ESRI(run);
    }

    // Binary values stay in the input, right behind the header's last line
    // end.
    grid.data = run.Binary ? Grid_Data::Binary : Grid_Data::Text;
    grid.cells = run.DataType == short_data ? CellType::Short : CellType::Float;
    // Binary doubles go to a temporary file as floats.
    grid.binary.cell = run.DataType == double_data ? Stored_Cell::Float64
                       : run.DataType == short_data ? Stored_Cell::Int16
                                                    : Stored_Cell::Float32;
    grid.ends_values = Section_Begins;
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
