#include "formats/esri_reader.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "extract.h"
#include "formats/binary_grid.h"
#include "formats/companion.h"
#include "formats/grid_reader.h"
#include "formats/keywords.h"
#include "geometry/snapping.h"

namespace {

// The header words of GDAL's EHdr files (also USGS BIL), and the dx and dy
// lines GDAL writes into ESRI ASCII grids of non-square cells.
enum EHdr_Symbols {
    DX, DY, NODATA, NBANDS, NBITS, PIXELTYPE, LAYOUT, ULXMAP, ULYMAP, XDIM, YDIM,
    SKIPBYTES, BANDROWBYTES, TOTALROWBYTES, BANDGAPBYTES, no_ehdr
};
const char* const EHdr_Keywords[] = {
    "DX", "DY", "NODATA", "NBANDS", "NBITS", "PIXELTYPE", "LAYOUT", "ULXMAP", "ULYMAP", "XDIM", "YDIM",
    "SKIPBYTES", "BANDROWBYTES", "TOTALROWBYTES", "BANDGAPBYTES", nullptr};
static_assert(sizeof(EHdr_Keywords) / sizeof(EHdr_Keywords[0]) == no_ehdr + 1);

// A header line's key: an entry of ESRI_Keywords up to byteorder, or one of
// EHdr_Keywords counted on from noesri.
constexpr int EHdr(int symbol) { return noesri + symbol; }

// BYTEORDER: ESRI's words, then EHdr's Motorola and Intel.
enum { Msb_First, Lsb_First, Vms_Float, Motorola, Intel };
const char* const Byte_Orders[] = {"msbfirst", "lsbfirst", "vms_ffloat", "M", "I", nullptr};

enum { Float_Pixels, Signed_Pixels, Unsigned_Pixels };
const char* const Pixel_Types[] = {"FLOAT", "SIGNEDINT", "UNSIGNEDINT", nullptr};
const char* const Pixel_Names[] = {"float", "signed integer", "unsigned integer"};

// With one band the three layouts store the same bytes.
const char* const Layouts[] = {"BIL", "BIP", "BSQ", nullptr};

// What the header lines have given; each may be given once.
enum Given : unsigned {
    Got_Ncols = 1u << 0, Got_Nrows = 1u << 1, Got_X = 1u << 2, Got_Y = 1u << 3,
    Got_DX = 1u << 4, Got_DY = 1u << 5, Got_Nodata = 1u << 6, Got_Order = 1u << 7,
    Got_Bands = 1u << 8, Got_Bits = 1u << 9, Got_Pixel = 1u << 10, Got_Layout = 1u << 11,
    Got_Skip = 1u << 12, Got_Band_Row = 1u << 13, Got_Total_Row = 1u << 14, Got_Gap = 1u << 15,
};
// Lines that describe the bytes of a data file, which an ASCII grid has not.
constexpr unsigned Binary_Lines = Got_Order | Got_Bands | Got_Bits | Got_Pixel | Got_Layout | Got_Skip |
                                  Got_Band_Row | Got_Total_Row | Got_Gap;

unsigned Gives(int key) {
    switch (key) {
    case ncols: return Got_Ncols;
    case nrows: return Got_Nrows;
    case xllcenter: case xllcorner: case EHdr(ULXMAP): return Got_X;
    case yllcenter: case yllcorner: case EHdr(ULYMAP): return Got_Y;
    case cellsize: return Got_DX | Got_DY;
    case EHdr(DX): case EHdr(XDIM): return Got_DX;
    case EHdr(DY): case EHdr(YDIM): return Got_DY;
    case nodata_value: case EHdr(NODATA): return Got_Nodata;
    case byteorder: return Got_Order;
    case EHdr(NBANDS): return Got_Bands;
    case EHdr(NBITS): return Got_Bits;
    case EHdr(PIXELTYPE): return Got_Pixel;
    case EHdr(LAYOUT): return Got_Layout;
    case EHdr(SKIPBYTES): return Got_Skip;
    case EHdr(BANDROWBYTES): return Got_Band_Row;
    case EHdr(TOTALROWBYTES): return Got_Total_Row;
    default: return Got_Gap;
    }
}

// The other file of an ESRI Float pair, named in InpName2.
void Companion_Input(RunState& run, const char* upper, const char* lower) {
    const std::string name = Companion_Name(run.InpName, upper, lower);
    if (name.size() > Max_Companion_Name) Not_Opened(run, name.c_str());
    std::snprintf(run.InpName2, sizeof(String), "%s", name.c_str());
}

bool Exists(const char* name) {
    struct stat info;
    return stat(name, &info) == 0;
}

// The header's undefined value takes slot 0, for 2-byte cells too. A value
// the user named with -x stays undefined as well: the one in slot 0 moves to
// the next free slot.
void Store_Nodata(RunState& run, float value, bool shorts) {
    Free_Undefined_Slot0(run);
    run.Fundef[0] = value;
    if (shorts) run.Iundef[0] = static_cast<int16_t>(value);
}

// The header lines: ESRI ASCII or GridFloat keywords, or those of an EHdr
// file, in any order and letter case, each at most once, empty lines between
// them skipped.
class Esri_Header {
public:
    Esri_Header(RunState& run, Token_Source& source) : run_(run), source_(source) {}

    bool companion = false;    // the header came from the file beside the one named
    bool values = false;       // an ASCII grid: the current line is its first line of values
    bool corner_x = false, corner_y = false;  // the origin names a corner, not a centre
    Binary_Layout data;        // the cells of a data file

    void Read() {
        if (run_.Debug) fprintf(run_.Debug, "%s input file %s\n", "ESRI Ascii/Float", run_.InpName);
        // A file that does not begin with a header line of a sound form is
        // the data file of a Float pair, whose header file lies beside it.
        int key, code = 0;
        const bool header = Next() && Line_Key(key);
        if (header) code = Take(key);
        if (!header || (code != 0 && !out_of_range_)) {
            Forget_Lines();
            source_.Close();
            Close_Input(run_);
            Companion_Input(run_, ".HDR", ".hdr");
            run_.InpFile = std::fopen(run_.InpName2, "r");
            if (!run_.InpFile) Not_Opened(run_, run_.InpName2);
            source_.Open(run_.InpFile);
            companion = true;
            if (!Next() || !Line_Key(key)) return Fail(Bad_Ncols);
            code = Take(key);
        }
        while (code == 0 && Next_Key(key)) code = Take(key);
        // The lines after a faulty one are taken as values of the file named,
        // so only a header beside its data file reports from that data file.
        values = image_ != nullptr && !(code != 0 && companion);
        if (code != 0) return Refuse(code);
        Complete();
    }

private:
    bool Next() { return (image_ = Get_Ascii_Line(run_, 0)) != nullptr; }

    // What the first line of a data file seemed to give.
    void Forget_Lines() {
        given_ = 0;
        corner_x = corner_y = upper_y_ = false;
        unsupported_.clear();
        binary_line_.clear();
    }
    void Fail(int code) { Set_Error(run_, code); }

    // The failure of a header line; a word of it that names what this reader
    // does not take is shown.
    void Refuse(int code) {
        if (code == Unsupported_Cells && !unsupported_.empty() && run_.Error == 0)
            fprintf(run_.StdErr, "%s not supported\n", unsupported_.c_str());
        Fail(code);
    }

    // The keyword a header line begins with; nothing is read from any other line.
    static bool Line_Key(int& key) {
        const int start = Get_LinePos();
        int symbol;
        if (Get_Symbol(&symbol, ESRI_Keywords)) {
            if (symbol <= byteorder) return key = symbol, true;
            Get_SetPos(start);  // msbfirst and its kind are values
            return false;
        }
        if (!Get_Symbol(&symbol, EHdr_Keywords)) return false;
        key = EHdr(symbol);
        return true;
    }

    // The next header line. False at the end of the file, and, in the file
    // named, at the first line without a header keyword: the first line of
    // values. A header file beside its data file may hold lines for other
    // programs, which are passed over.
    bool Next_Key(int& key) {
        while (Next()) {
            if (Empty_Line()) continue;
            if (Line_Key(key)) return true;
            if (!companion) return false;
        }
        return false;
    }

    // The value of a header line; 0, or the failure code of the line.
    int Take(int key) {
        const unsigned gives = Gives(key);
        if (given_ & gives) {
            if (run_.Error == 0) fprintf(run_.StdErr, "Line %1ld repeats a keyword:\n%.78s\n", Get_LineNo(), image_);
            return Repeated_Keyword;
        }
        given_ |= gives;
        if ((gives & Binary_Lines) && binary_line_.empty()) {
            binary_line_no_ = Get_LineNo();
            binary_line_ = image_;
        }
        switch (key) {
        case ncols: return Count(ncols_) ? 0 : Bad_Ncols;
        case nrows: return Count(nrows_) ? 0 : Bad_Nrows;
        case xllcenter: case xllcorner: case EHdr(ULXMAP):
            corner_x = key == xllcorner;
            return Coordinate(x_) ? 0 : Bad_Xll;
        case yllcenter: case yllcorner: case EHdr(ULYMAP):
            corner_y = key == yllcorner;
            upper_y_ = key == EHdr(ULYMAP);
            return Coordinate(y_) ? 0 : Bad_Yll;
        case cellsize:
            if (!Step(dx_)) return Bad_Cellsize;
            dy_ = dx_;
            return 0;
        case EHdr(DX): case EHdr(XDIM): return Step(dx_) ? 0 : Bad_Cellsize;
        case EHdr(DY): case EHdr(YDIM): return Step(dy_) ? 0 : Bad_Cellsize;
        case nodata_value: case EHdr(NODATA): return Nodata() ? 0 : Bad_Nodata;
        case byteorder:
            return Get_Symbol(&order_, Byte_Orders) && order_ != Vms_Float && Line_Done() ? 0 : Bad_Byte_Order;
        case EHdr(NBANDS): return Whole(bands_) ? 0 : Unsupported_Cells;
        case EHdr(NBITS): return Whole(bits_) ? 0 : Unsupported_Cells;
        case EHdr(PIXELTYPE): return Word(pixel_, Pixel_Types) ? 0 : Unsupported_Cells;
        case EHdr(LAYOUT): return Word(layout_, Layouts) ? 0 : Unsupported_Cells;
        case EHdr(SKIPBYTES): return Whole(skip_) && skip_ >= 0 ? 0 : Bad_Row_Bytes;
        case EHdr(BANDROWBYTES): return Whole(band_row_) && band_row_ >= 0 ? 0 : Bad_Row_Bytes;
        case EHdr(TOTALROWBYTES): return Whole(total_row_) && total_row_ >= 0 ? 0 : Bad_Row_Bytes;
        default: {  // BANDGAPBYTES: bytes between bands, of which there is one
            int gap;
            return Whole(gap) && gap >= 0 ? 0 : Bad_Row_Bytes;
        }
        }
    }

    static bool Whole(int& value) { return Get_Int(&value) && Line_Done(); }
    bool Count(int& value) {
        if (!Whole(value)) return false;
        out_of_range_ = value < 1;
        return !out_of_range_;
    }
    static bool Coordinate(double& value) {
        double v;
        if (!Get_Double(&v) || !Line_Done() || !std::isfinite(v)) return false;
        value = v;
        return true;
    }
    static bool Step(double& value) { return Coordinate(value) && value > 0; }

    // A float, or a text that stands for no value: then every NaN cell is undefined.
    bool Nodata() {
        float v;
        if (!Get_Float(&v)) {
            if (!Get_No_Value()) return false;
            v = std::numeric_limits<float>::quiet_NaN();
        }
        nodata_ = v;
        return Line_Done();
    }

    // One word of `table`. A word the reader does not know is named.
    bool Word(int& value, const char* const* table) {
        if (Get_Symbol(&value, table) && Line_Done()) return true;
        unsupported_ = image_;
        return false;
    }

    // Every line is read: what is missing, what does not fit together, and
    // what this reader cannot take.
    void Complete() {
        if (!(given_ & Got_Ncols)) return Fail(Bad_Ncols);
        if (!(given_ & Got_Nrows) || int64_t{nrows_} * ncols_ > Max_Grid_Cells) return Fail(Bad_Nrows);
        if (!(given_ & Got_X)) return Fail(Bad_Xll);
        if (!(given_ & Got_Y)) return Fail(Bad_Yll);
        if ((given_ & (Got_DX | Got_DY)) != (Got_DX | Got_DY)) return Fail(Bad_Cellsize);
        if (values && (given_ & Binary_Lines)) {
            // Text values have no byte layout: such a line is no header line
            // of an ASCII grid.
            fprintf(run_.StdErr, "Line %1ld:\n%.78s\n", binary_line_no_, binary_line_.c_str());
            return Fail(Bad_Value_Line);
        }
        if (!values && !Data_Layout()) return;
        if (!(given_ & Got_Nodata)) nodata_ = -9999;  // the ESRI default
        // 2-byte cells can only match a whole value in their range.
        const bool shorts = data.cell == Stored_Cell::Int16;
        if (shorts && !(nodata_ == std::trunc(nodata_) && nodata_ >= -32768 && nodata_ <= 32767))
            return Fail(Bad_Nodata);
        Store_Nodata(run_, nodata_, shorts);

        run_.Dimensions_X = ncols_;
        run_.Dimensions_Y = nrows_;
        run_.Origin_X = x_;
        // ULYMAP is the centre of the upper-left cell.
        run_.Origin_Y = upper_y_ ? y_ - (nrows_ - 1) * dy_ : y_;
        run_.Spacing_X = dx_;
        run_.Spacing_Y = dy_;

        // msbfirst and M are big-endian, lsbfirst and I little-endian. Without
        // a line, the data file named beside its header is read big-endian, a
        // data file found from its header little-endian; -r turns either.
        if (given_ & Got_Order)
            run_.Raw = order_ == Msb_First || order_ == Motorola;
        else if (!companion)
            run_.Raw ^= 1;
    }

    // The cells of the data file: one band of 4-byte floats, or of 2-byte or
    // 4-byte signed integers, in rows of at least their own bytes.
    bool Data_Layout() {
        if ((given_ & Got_Bands) && bands_ != 1)
            return Unsupported("%1d bands not supported: one band only\n", bands_);
        if (given_ & (Got_Bits | Got_Pixel)) {
            // Without PIXELTYPE the cells of a BIL file are unsigned; without
            // NBITS they have 8 bits, floats 32.
            const int pixel = given_ & Got_Pixel ? pixel_ : Unsigned_Pixels;
            const int bits = given_ & Got_Bits ? bits_ : pixel == Float_Pixels ? 32 : 8;
            if (pixel == Float_Pixels && bits == 32)
                data.cell = Stored_Cell::Float32;
            else if (pixel == Signed_Pixels && bits == 16)
                data.cell = Stored_Cell::Int16;
            else if (pixel == Signed_Pixels && bits == 32)
                data.cell = Stored_Cell::Int32;
            else
                return Unsupported("%1d-bit %s cells not supported\n", bits, Pixel_Names[pixel]);
        }
        const int64_t row = int64_t{ncols_} * Stored_Bytes(data.cell);
        if ((given_ & Got_Band_Row) && band_row_ < row)
            return Too_Short("BANDROWBYTES", band_row_, row);
        const int64_t band_row = given_ & Got_Band_Row ? band_row_ : row;
        if ((given_ & Got_Total_Row) && total_row_ < band_row)
            return Too_Short("TOTALROWBYTES", total_row_, band_row);
        data.row_bytes = given_ & Got_Total_Row ? total_row_ : band_row;
        data.skip = given_ & Got_Skip ? skip_ : 0;
        return true;
    }

    template <class... Args>
    bool Unsupported(const char* format, Args... args) {
        fprintf(run_.StdErr, format, args...);
        Fail(Unsupported_Cells);
        return false;
    }

    bool Too_Short(const char* keyword, int64_t given, int64_t row) {
        fprintf(run_.StdErr, "%s %lld is less than a row of %lld bytes\n", keyword, static_cast<long long>(given),
                static_cast<long long>(row));
        Fail(Bad_Row_Bytes);
        return false;
    }

    RunState& run_;
    Token_Source& source_;
    char* image_ = nullptr;  // the last line read
    unsigned given_ = 0;
    int ncols_ = 0, nrows_ = 0;
    double x_ = 0, y_ = 0, dx_ = 0, dy_ = 0;
    bool upper_y_ = false;
    float nodata_ = -9999;
    int order_ = Msb_First, bands_ = 1, bits_ = 0, pixel_ = -1, layout_ = 0;
    int skip_ = 0, band_row_ = 0, total_row_ = 0;
    bool out_of_range_ = false;  // a count of a sound form that names no cells
    std::string unsupported_;   // a PIXELTYPE or LAYOUT line naming what is not known
    long binary_line_no_ = 0;
    std::string binary_line_;   // the first line about a data file's bytes
};

void Esri_Geometry(RunState& run, bool corner_x, bool corner_y) {
    run.UTM = run.Spacing_X > 1 || run.Spacing_Y > 1 || run.Origin_X > 360 || run.Origin_X < -180 ||
              run.Origin_Y > 90 || run.Origin_Y < -90;
    if (!run.UTM) Snap_Grid(run);
    // Values stand at the centres of the cells.
    if (corner_x) run.Origin_X += run.Spacing_X / 2;
    if (corner_y) run.Origin_Y += run.Spacing_Y / 2;
    // A grid from 0 round the whole globe, both ends included, is read from -180 on.
    if (!run.UTM && run.Origin_X == 0 && run.Dimensions_X % 2 == 1 && run.Dimensions_X * run.Spacing_X > 360) {
        run.Origin_X = -180;
        run.Shift = run.Dimensions_X / 2;
    }
    Refuse_Non_Square_For_ESRI(run);
}

// A data file shorter than its header says would leave a broken output
// behind: it is refused before any output is made.
bool Data_Fits(RunState& run, const Binary_Layout& data) {
    const int64_t row = int64_t{run.Columns} * Stored_Bytes(data.cell);
    const int64_t needed = data.skip + (run.Rows - 1) * std::max(data.row_bytes, row) + row;
    struct stat info;
    if (fstat(fileno(run.InpFile), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size >= needed) return true;
    fprintf(run.StdErr, "%s holds %lld bytes, its header asks for %lld\n", run.InpName2,
            static_cast<long long>(info.st_size), static_cast<long long>(needed));
    Set_Error(run, Short_Data_File);
    return false;
}

// The data file of an ESRI Float or EHdr pair.
void Open_Data_File(RunState& run, const Grid_Header& grid) {
    Close_Input(run);
    if (grid.companion) {
        std::snprintf(run.InpName2, sizeof(String), "%s", run.InpName);
    } else {
        // A header named alone: its data file is the .flt beside it, or the
        // .bil of an EHdr pair.
        Companion_Input(run, ".FLT", ".flt");
        const std::string bil = Companion_Name(run.InpName, ".BIL", ".bil");
        if (!Exists(run.InpName2) && bil.size() <= Max_Companion_Name && Exists(bil.c_str()))
            std::snprintf(run.InpName2, sizeof(String), "%s", bil.c_str());
    }
    run.InpFile = std::fopen(run.InpName2, "rb");
    if (!run.InpFile) Not_Opened(run, run.InpName2);
    // A data file that is missing is said first; otherwise the report names
    // the header's fault, and a faulty header describes no bytes to check.
    if (run.Error != 0) return;
    run.Location = 0;
    run.FloatInp = grid.binary.cell != Stored_Cell::Int16;
    if (Data_Fits(run, grid.binary)) Prepare_Binary_Values(run, grid.binary);
}

void Read_Header(RunState& run, Token_Source& source, Grid_Header& grid) {
    Esri_Header header(run, source);
    header.Read();
    if (run.Error == 0) Esri_Geometry(run, header.corner_x, header.corner_y);
    // A header without values behind it is the header file of a Float pair.
    grid.companion = header.companion;
    grid.data = header.values ? Grid_Data::Text : Grid_Data::Data_File;
    grid.binary = header.data;
    grid.bad_values = Bad_Value_Line;
}

void Report(RunState& run) { Report_Text_Grid(run, "ESRI Ascii"); }

}  // namespace

void Read_ESRI_Header(RunState& run) {
    static constexpr Grid_Format esri{Read_Header, Describe_Top_Down_Grid, Open_Data_File, Report};
    Read_Grid(run, esri);
}
