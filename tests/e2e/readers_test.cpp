// End to end: the real executable reading VTK, ESRI ASCII, ESRI Float and
// KMS2002 grids that the tests write. Expected cells, headers and messages
// are worked out from the format rules by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "support/capture.h"
#include "support/grids.h"

namespace {

constexpr float kFloatNaN = 1.05409E+14f;

std::string Program(const std::string& name) {
    return (std::filesystem::absolute(DEPTHGRID_BIN_DIR) / name).string();
}

// An ESRI ASCII output: its six header lines and its values.
struct Esri_Grid {
    std::vector<std::string> header;
    std::vector<std::string> values;
};
Esri_Grid Split_Esri(const std::string& text) {
    Esri_Grid grid;
    std::istringstream in(text);
    std::string line;
    for (int i = 0; i < 6 && std::getline(in, line); ++i) grid.header.push_back(line);
    std::string value;
    while (in >> value) grid.values.push_back(value);
    return grid;
}

std::string Little_Float(float value) {
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

// ---- Failures: every code a real file can trigger -------------------------

const char* const Vtk_Head = "# vtk DataFile Version 3.0\ntitle\nASCII\nDATASET STRUCTURED_POINTS\n";
const char* const Vtk_Keys =
    "DIMENSIONS 2 2 1\nSPACING 1 1 0\nORIGIN 0 0 0\nPOINT_DATA 4\nSCALARS scalars float\n"
    "LOOKUP_TABLE default\n";
const char* const Esri_Head = "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n";

struct Failure_Case {
    const char* what;
    std::string program;
    std::vector<std::pair<std::string, std::string>> files;  // the first is named on the command line
    std::vector<std::string> options;
    std::string out;
    std::string err;  // "%P" stands for the program as typed
    int status;
};

std::string Vtk_Report(const std::string& file, int code, const std::string& program = "vtk2esri",
                       const std::string& out = "out.asc", bool ascii = true) {
    return std::string(ascii ? "ASCII " : "") + "VTK file " + file + " could not be properly treated\n" +
           "Program " + Program(program) + ", source line " + std::to_string(code) + "\n" +
           "No utputfile (" + out + ") generated\n";
}

std::string Grid_Report(const std::string& format, const std::string& file, int code,
                        const std::string& out = "out.vtk") {
    return format + " GRID file " + file + " could not be properly treated\nSource line " + std::to_string(code) +
           "\nNo utputfile (" + out + ") generated\n";
}

std::string Keys_With(const std::string& from, const std::string& to) {
    std::string keys = Vtk_Keys;
    keys.replace(keys.find(from), from.size(), to);
    return keys;
}

std::vector<Failure_Case> Failure_Cases() {
    const std::string head = Vtk_Head, keys = Vtk_Keys, data = "1 2 3 4\n";
    const std::string head5 = Esri_Head, hdr = std::string(Esri_Head) + "NODATA_value -9999\n";
    const std::string floats = Little_Float(1) + Little_Float(2) + Little_Float(3) + Little_Float(4);
    // `before`: what the reader prints ahead of its report.
    auto vtk = [](const char* what, std::string text, int code, std::string before = "") {
        return Failure_Case{what, "vtk2esri", {{"in.vtk", text}}, {}, "out.asc", before + Vtk_Report("in.vtk", code), 1};
    };
    // `before`: what the reader prints ahead of its report.
    auto esri = [](const char* what, std::string text, int code, std::string before = "") {
        return Failure_Case{what, "esri2vtk", {{"in.asc", text}}, {}, "out.vtk", before + Grid_Report("ESRI Ascii", "in.asc", code), 1};
    };
    // `before`: what the reader prints ahead of its report.
    auto kms = [](const char* what, std::string text, int code, std::string before = "") {
        return Failure_Case{what, "kms2vtk", {{"in.kms", text}}, {}, "out.vtk", before + Grid_Report("KMS2002", "in.kms", code), 1};
    };
    return {
        vtk("empty file", "", 1178),
        vtk("version 1.0", "# vtk DataFile Version 1.0\n", 1188),
        vtk("item after the version", "# vtk DataFile Version 3.0 x\n", 1188),
        vtk("no title line", "# vtk DataFile Version 3.0\n", 1193),
        vtk("no encoding line", "# vtk DataFile Version 3.0\ntitle\n", 1200),
        vtk("unknown encoding", "# vtk DataFile Version 3.0\ntitle\nTEXT\n", 1206),
        {"binary without dataset line", "vtk2esri", {{"in.vtk", "# vtk DataFile Version 3.0\ntitle\nBINARY\n"}}, {},
         "out.asc", Vtk_Report("in.vtk", 1215, "vtk2esri", "out.asc", false), 1},
        vtk("dataset line without dataset", head.substr(0, head.rfind("STRUCTURED_POINTS")) + "\n", 1221),
        {"refused dataset", "vtk2esri", {{"in.vtk", "# vtk DataFile Version 3.0\nt\nASCII\nDATASET POLYDATA\n"}}, {},
         "out.asc", "DATASET POLYDATA not allowed, " + Vtk_Report("in.vtk", 1312), 1},
        vtk("empty line among keywords", head + "\n" + keys + data, 1232),
        vtk("two dimensions", head + Keys_With("2 2 1", "2 2") + data, 1241),
        vtk("zero dimension", head + Keys_With("2 2 1", "0 2 1") + data, 1241),
        vtk("huge dimensions", head + Keys_With("2 2 1", "2000000000 2000000000 1") + data, 1241),
        vtk("no dimensions", head + Keys_With("DIMENSIONS 2 2 1\n", "") + data, 1241),
        vtk("spacing not a number", head + Keys_With("SPACING 1 1", "SPACING 1 x") + data, 1248),
        vtk("zero spacing", head + Keys_With("SPACING 1 1", "SPACING 0 0") + data, 1248),
        vtk("no spacing", head + Keys_With("SPACING 1 1 0\n", "") + data, 1248),
        vtk("origin of two numbers", head + Keys_With("ORIGIN 0 0 0", "ORIGIN 0 0") + data, 1267),
        vtk("cell data count", head + "CELL_DATA many\n" + keys + data, 1276),
        vtk("point data count", head + Keys_With("POINT_DATA 4", "POINT_DATA 4 4") + data, 1280),
        vtk("scalars named otherwise", head + Keys_With("scalars float", "elevation float") + data, 1289),
        vtk("scalars of doubles", head + Keys_With("scalars float", "scalars double") + data, 1289),
        vtk("scalars of three components", head + Keys_With("scalars float", "scalars float 3") + data, 1297),
        vtk("lookup table not default", head + Keys_With("TABLE default", "TABLE mine") + data, 1302),
        vtk("aspect ratio", head + Keys_With("SPACING", "ASPECT_RATIO") + data, 1305),
        vtk("cells not square", head + Keys_With("SPACING 1 1", "SPACING 0.5 0.25") + data, 1326),
        vtk("word among the values", head + keys + "1 2 abc 4\n", 1348, "Line 11:\n1 2 abc 4\n"),
        vtk("nan among the values", head + keys + "1 nan 3 4\n", 1348, "Line 11:\n1 nan 3 4\n"),
        {"metric cells not square", "vtk2esri", {{"in.vtk", head + Keys_With("SPACING 1 1", "SPACING 2 1") + data}}, {},
         "out.asc",
         "ASCII VTK file in.vtk could not be properly treated\nOnly square cells accepted\n"
         "No utputfile (out.asc) generated\n", 1},
        {"metric grid to GRD98", "vtk2grd98", {{"in.vtk", head + Keys_With("SPACING 1 1", "SPACING 1000 1000") + data}},
         {}, "out.grd",
         "ASCII VTK file in.vtk could not be properly treated\nOnly square cells accepted\n"
         "No utputfile (out.grd) generated\n", 1},

        esri("rows not a number", "ncols 2\nnrows x\n", 1487),
        esri("no rows", "ncols 2\nnrows 0\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n", 1487),
        esri("x origin missing", "ncols 2\nnrows 2\nyllcorner 0\n", 1495),
        esri("y origin not a number", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner south\n", 1503),
        esri("cell size zero", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 0\n1 2\n3 4\n", 1510),
        esri("cell size negative", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize -1\n1 2\n3 4\n", 1510),
        esri("no columns", "ncols 0\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n", 1480),
        esri("nodata not a number", head5 + "NODATA_value none\n1 2\n3 4\n", 1524),
        esri("keyword in place of nodata", head5 + "ncols 2\n1 2\n3 4\n", 1524),
        esri("word among the values", hdr + "1 2\nx 4\n", 1640, "Line 8:\nx 4\n"),
        {"nothing after cellsize in a text grid", "esri2vtk", {{"in.asc", head5}}, {}, "out.vtk",
         "in.flt could not be opened\n", 1},
        {"Float header ends after cellsize", "esri2vtk", {{"g.flt", floats}, {"g.hdr", head5}}, {}, "out.vtk",
         Grid_Report("ESRI Ascii", "g.flt", 1515), 1},
        {"Float header without ncols", "esri2vtk", {{"g.flt", floats}, {"g.hdr", "nrows 2\n"}}, {}, "out.vtk",
         Grid_Report("ESRI Ascii", "g.flt", 1480), 1},
        {"Float byte order vms_ffloat", "esri2vtk", {{"g.flt", floats}, {"g.hdr", hdr + "byteorder VMS_FFLOAT\n"}},
         {}, "out.vtk", Grid_Report("ESRI Ascii", "g.flt", 1541), 1},
        {"Float header missing", "esri2vtk", {{"g.flt", floats}}, {}, "out.vtk", "g.hdr could not be opened\n", 1},
        {"Float data missing", "esri2vtk", {{"g.hdr", hdr}}, {}, "out.vtk", "g.flt could not be opened\n", 1},

        kms("five numbers", "50 60 -10 10 0.5\n1\n", 1430),
        kms("header alone", "50 60 -10 10 0.5 1\n", 1430),
        kms("zero step", "50 60 -10 10 0 1\n1 2\n", 1430),
        kms("word among the values", "0 1 0 1 1 1\n1 2\n3 four\n", 1640, "Line 3:\n3 four\n"),

        {"window beside an ESRI grid", "esri2vtk", {{"in.asc", hdr + "1 2\n3 4\n"}}, {"-s", "10"}, "out.vtk",
         "ESRI ASCII GRID file in.asc skipped\n", 0},
        {"window beside a KMS2002 grid", "kms2vtk", {{"in.kms", "0 1 0 1 1 1\n1 2\n3 4\n"}}, {"-w", "5", "-e", "6"},
         "out.vtk", "ESRI ASCII GRID file in.kms skipped\n", 0},
    };
}

TEST(ReaderFailures, EveryCodeWithItsReportAndStatus) {
    for (const Failure_Case& c : Failure_Cases()) {
        Scratch_Dir dir;
        for (const auto& [name, bytes] : c.files) Write_File(dir / name, bytes);
        std::vector<std::string> args = c.options;
        args.push_back(c.files.front().first);
        args.push_back(c.out);
        Process_Result result = Run_Program(c.program, args, In(dir));
        EXPECT_EQ(result.err, c.err) << c.what;
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.out, "") << c.what;
        EXPECT_FALSE(std::filesystem::exists(dir / c.out)) << c.what << ": no output file is made";
    }
}

// A grid short of values fails where the transfer reads past its end; values
// beyond the grid are not read.
TEST(ReaderCounts, DataShortOfTheGridFailInTheTransfer) {
    const std::string head = Vtk_Head, keys = Vtk_Keys;
    const std::string hdr = std::string(Esri_Head) + "NODATA_value -9999\n";
    const std::string binary_head = "# vtk DataFile Version 3.0\nt\nBINARY\nDATASET STRUCTURED_POINTS\n" + keys;
    // The lower row of a 2 x 2 grid stored from the top starts at byte 8 of
    // the values: its second cell is the one missing.
    const std::string report = "First 0, Left 0, Last 1, Right 1, Shift 0\n";
    struct Case {
        const char* what;
        std::string program;
        std::vector<std::pair<std::string, std::string>> files;
        std::string out, err;
        int status;
    } cases[] = {
        {"VTK text short", "vtk2esri", {{"in.vtk", head + keys + "1 2 3\n"}}, "out.asc",
         "File read/write error, Source line 2230, File in.vtk, Location 8 -> 12\n" + report, 1},
        {"VTK text long", "vtk2esri", {{"in.vtk", head + keys + "1 2 3 4 5\n"}}, "out.asc", "", 0},
        {"VTK binary short", "vtk2esri", {{"in.vtk", binary_head + Big_Float(1) + Big_Float(2)}}, "out.asc",
         Format("File read/write error, Source line 2230, File in.vtk, Location %zu -> %zu\n",
                binary_head.size() + 8, binary_head.size() + 8) + report, 1},
        {"ESRI text short", "esri2vtk", {{"in.asc", hdr + "1 2\n3\n"}}, "out.vtk",
         "File read/write error, Source line 2230, File in.asc, Location 8 -> 12\n" + report, 1},
        {"ESRI Float short", "esri2vtk", {{"g.flt", std::string(12, '\0')}, {"g.hdr", hdr}}, "out.vtk",
         "File read/write error, Source line 2230, File g.flt, Location 8 -> 12\n" + report, 1},
        {"KMS2002 text long", "kms2vtk", {{"in.kms", "0 1 0 1 1 1\n1 2 3 4 5\n"}}, "out.vtk", "", 0},
    };
    for (const auto& c : cases) {
        Scratch_Dir dir;
        for (const auto& [name, bytes] : c.files) Write_File(dir / name, bytes);
        Process_Result result = Run_Program(c.program, {c.files.front().first, c.out}, In(dir));
        EXPECT_EQ(result.err, c.err) << c.what;
        EXPECT_EQ(result.status, c.status) << c.what;
    }
}

// ---- Round trips -------------------------------------------------------------

// A 7 x 5 grid at 0.5°, cell centres from 10.25°E and 40.25°N; rows from the
// top. One cell is undefined.
constexpr int kCols = 7, kRows = 5;
float Cell(int row, int column) { return (row * 10 + column) * 1.5f - 20; }
bool Undefined(int row, int column) { return row == 1 && column == 2; }

std::string Esri_Source() {
    std::string text = "NCOLS 7\nnrows 5\nxllcorner 10\nYLLCORNER 40\ncellsize 0.5\nnodata_value -9999\n";
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            if (c > 0) text += ' ';
            text += Undefined(r, c) ? std::string("-9999") : Format("%g", Cell(r, c));
        }
        text += "\r\n";
    }
    return text;
}

struct Window {
    std::vector<std::string> limits;
    int left, right, top, bottom;  // columns and rows (from the top) it selects
};

void Expect_Cells(const Esri_Grid& grid, const Window& w, const std::string& what) {
    ASSERT_EQ(grid.header.size(), 6u) << what;
    EXPECT_EQ(grid.header[0], Format("ncols        %d", w.right - w.left + 1)) << what;
    EXPECT_EQ(grid.header[1], Format("nrows        %d", w.bottom - w.top + 1)) << what;
    EXPECT_EQ(grid.header[2], Format("xllcenter    %g", 10.25 + 0.5 * w.left)) << what;
    EXPECT_EQ(grid.header[3], Format("yllcenter    %g", 40.25 + 0.5 * (kRows - 1 - w.bottom))) << what;
    ASSERT_EQ(grid.values.size(), size_t((w.right - w.left + 1) * (w.bottom - w.top + 1))) << what;
    size_t at = 0;
    for (int r = w.top; r <= w.bottom; ++r)
        for (int c = w.left; c <= w.right; ++c, ++at)
            EXPECT_EQ(grid.values[at], Undefined(r, c) ? "-9999" : Format("%g", Cell(r, c)))
                << what << " row " << r << " column " << c;
}

TEST(ReaderRoundTrips, EveryWrittenFormatReadsBackTheSameCellsWhateverTheWindow) {
    Scratch_Dir dir;
    Write_File(dir / "g.asc", Esri_Source());
    const Window windows[] = {
        {{}, 0, kCols - 1, 0, kRows - 1},
        {{"-w", "11.2", "-e", "11.9", "-s", "40.8", "-n", "41.2"}, 1, 4, 2, 3},
        {{"-w", "13.25", "-e", "13.25", "-n", "42.25", "-s", "42.25"}, 6, 6, 0, 0},
    };
    struct Format_Case {
        std::string what, writer, file, reader;
        std::vector<std::string> write_options, read_options;
    };
    const Format_Case formats[] = {
        {"ESRI ASCII read directly", "", "g.asc", "arc2ascii", {}, {}},
        {"binary VTK", "esri2vtk", "f.vtk", "vtk2ascii", {}, {}},
        {"upper row first binary VTK", "esri2vtk", "u.vtk", "vtk2ascii", {"-u"}, {}},
        {"ASCII VTK", "esri2vtk", "a.vtk", "vtk2ascii", {"-a"}, {}},
        {"ESRI ASCII", "arc2ascii", "e.asc", "arc2ascii", {}, {}},
        {"ESRI Float by its data file", "esri2flt", "F.FLT", "arc2ascii", {}, {}},
        {"GRD98", "esri2grd98", "g.grd", "depthgrid", {}, {"-d", "-ao"}},
    };
    for (const Format_Case& f : formats) {
        if (!f.writer.empty()) {
            std::vector<std::string> args = f.write_options;
            args.insert(args.end(), {"g.asc", f.file});
            Process_Result written = Run_Program(f.writer, args, In(dir));
            ASSERT_EQ(written.status, 0) << f.what << ": " << written.err;
        }
        for (const Window& w : windows) {
            std::vector<std::string> args = f.read_options;
            args.insert(args.end(), {"-y", "-9999"});
            args.insert(args.end(), w.limits.begin(), w.limits.end());
            args.insert(args.end(), {f.file, "back.asc"});
            Process_Result back = Run_Program(f.reader, args, In(dir));
            ASSERT_EQ(back.status, 0) << f.what << ": " << back.err;
            Expect_Cells(Split_Esri(Read_File(dir / "back.asc")), w, f.what);
        }
    }
}

// ---- Geometry of each reader ---------------------------------------------------

// A global binary VTK grid of 360 one-degree columns centred on -179.5..179.5,
// written by another program (CRLF line ends, upper row first), read across
// the date line.
TEST(VtkInput, GlobalBinaryGridCutAcrossTheDateLine) {
    Scratch_Dir dir;
    std::string file =
        "# vtk DataFile Version 3.0\r\nglobe\r\nBINARY\r\nDATASET STRUCTURED_POINTS\r\n"
        "DIMENSIONS 360 2 1\r\nSPACING 1 -1 0\r\nORIGIN -179.5 0.5 0\r\nPOINT_DATA 720\r\n"
        "SCALARS scalars short\r\nLOOKUP_TABLE default\r\n";
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 360; ++column) file += Big_Short(int16_t(1000 * row + column));
    Write_File(dir / "globe.vtk", file);

    Process_Result result = Run_Program("depthgrid", {"-i", "-w", "170", "-e", "190", "globe.vtk", "cut.vtk"}, In(dir));
    ASSERT_EQ(result.status, 0) << result.err;
    Vtk_File vtk = Split_Vtk(Read_File(dir / "cut.vtk"));
    // Columns 349 (169.5°E) to 370: stored 349..359, then 0..10 of the same row.
    const std::vector<std::string> header = {
        "# vtk DataFile Version 3.0", "globe", "BINARY", "DATASET STRUCTURED_POINTS", "DIMENSIONS 22 2 1",
        "SPACING 1 1 0", "ORIGIN 169.5 -0.5 0", "POINT_DATA 44", "SCALARS scalars short", "LOOKUP_TABLE default"};
    EXPECT_EQ(vtk.header, header);
    std::vector<int16_t> cells = Big_Shorts(vtk.data);
    ASSERT_EQ(cells.size(), 44u);
    for (int out_row = 0; out_row < 2; ++out_row) {
        const int stored_row = 1 - out_row;  // the output starts with the southern row
        for (int j = 0; j < 22; ++j)
            EXPECT_EQ(cells[out_row * 22 + j], 1000 * stored_row + (349 + j) % 360) << out_row << "," << j;
    }
}

TEST(VtkInput, DebugEchoAndStandardInputThroughAPipe) {
    const std::string text = std::string(Vtk_Head) + Vtk_Keys + "1 2 3 4\n";
    Scratch_Dir dir;
    Process_Result result = Run_Program("depthgrid", {"-#", "-", "out.vtk"}, {dir.path().string(), text, true});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string echo = "VTK input file -:\n" + std::string(Vtk_Head) + Vtk_Keys + "\n";
    EXPECT_EQ(result.out.substr(0, echo.size()), echo);
    EXPECT_EQ(Big_Floats(Split_Vtk(Read_File(dir / "out.vtk")).data), (std::vector<float>{1, 2, 3, 4}));
}

// One row of 361 values, 0 to 360, the first at longitude 0.
std::string Globe_Row(const std::string& header) {
    std::string text = header;
    for (int i = 0; i <= 360; ++i) text += std::to_string(i) + (i % 20 == 19 ? "\n" : " ");
    return text + "\n";
}

TEST(ReaderGeometry, HeaderVariantsAndTheirGrids) {
    struct Case {
        const char* what;
        std::string program, file, text;
        std::vector<std::string> options;
        std::vector<std::string> header;  // DIMENSIONS to ORIGIN of the VTK output
        std::vector<float> cells;         // lower row first
    };
    const std::string vtk = Vtk_Head;
    const Case cases[] = {
        {"VTK: lower-case keywords, trailing comment, snapped spacing and origin", "depthgrid", "in.vtk",
         vtk + "dimensions 2 2 1\nspacing 0.0083333 0.0083333 0 /* 30 seconds */\norigin 10.0041666 0.0041666 0\n"
               "point_data 4\nscalars scalars float 1\nlookup_table default\n1 2\n3 4\n",
         {}, {"DIMENSIONS 2 2 1", "SPACING 0.008333333333 0.008333333333 0", "ORIGIN 10.00416667 0.004166666667 0"},
         {1, 2, 3, 4}},
        {"VTK: negative y spacing, upper row first", "depthgrid", "in.vtk",
         vtk + "DIMENSIONS 2 2 1\nSPACING 0.5 -0.5 0\nORIGIN 0 1 0\nSCALARS scalars float\nLOOKUP_TABLE default\n1 2 3 4\n",
         {}, {"DIMENSIONS 2 2 1", "SPACING 0.5 0.5 0", "ORIGIN 0 0.5 0"}, {3, 4, 1, 2}},
        {"VTK: metric lattice of shorts", "depthgrid", "in.vtk",
         vtk + "DIMENSIONS 3 2 1\nSPACING 1000 1000 0\nORIGIN 500000 6100000 0\nSCALARS scalars short\n"
               "LOOKUP_TABLE default\n1 2 3\n4 5 40000\n",
         {}, {"DIMENSIONS 3 2 1", "SPACING 1000 1000 0", "ORIGIN 500000 6100000 0"}, {1, 2, 3, 4, 5, -25536}},
        {"ESRI: corner origin, lower-case keywords, CRLF", "esri2vtk", "in.asc",
         "ncols 2\r\nnrows 2\r\nxllcorner 10\r\nyllcorner 10\r\ncellsize 0.5\r\nnodata_value -1\r\n1 2\r\n3 -1\r\n",
         {}, {"DIMENSIONS 2 2 1", "SPACING 0.5 0.5 0", "ORIGIN 10.25 10.25 0"}, {3, kFloatNaN, 1, 2}},
        {"ESRI: centre origin, no nodata line, so -9999 is undefined", "esri2vtk", "in.asc",
         "NCOLS 2\nNROWS 2\nXLLCENTER 10\nYLLCENTER 10\nCELLSIZE 0.5\n1 -9999\n3 4\n", {},
         {"DIMENSIONS 2 2 1", "SPACING 0.5 0.5 0", "ORIGIN 10 10 0"}, {3, 4, 1, kFloatNaN}},
        {"ESRI: metric cell size, no snapping and no window test", "esri2vtk", "in.asc",
         "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 100\n1 2\n", {"-s", "1000"},
         {"DIMENSIONS 2 1 1", "SPACING 100 100 0", "ORIGIN 50 50 0"}, {1, 2}},
        {"ESRI: 361 columns from 0 are read from -180", "esri2vtk", "in.asc",
         Globe_Row("ncols 361\nnrows 1\nxllcenter 0\nyllcenter 0\ncellsize 1\n"), {"-w", "-180", "-e", "-178"},
         {"DIMENSIONS 3 1 1", "SPACING 1 1 0", "ORIGIN -180 0 0"}, {180, 181, 182}},
        {"KMS2002: comment lines before the header", "kms2vtk", "in.kms",
         "\n/* grid */\n50 51 -10 -9 0.5 1\n1 2\n3 4\n5 6\n", {},
         {"DIMENSIONS 2 3 1", "SPACING 1 0.5 0", "ORIGIN -10 50 0"}, {5, 6, 3, 4, 1, 2}},
        {"KMS2002: 0 to 360 is read from -180", "kms2vtk", "in.kms", Globe_Row("0 0 0 360 1 1\n"),
         {"-w", "-1", "-e", "1"}, {"DIMENSIONS 3 1 1", "SPACING 1 1 0", "ORIGIN -1 0 0"}, {359, 0, 1}},
    };
    for (const Case& c : cases) {
        Scratch_Dir dir;
        Write_File(dir / c.file, c.text);
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {c.file, "out.vtk"});
        Process_Result result = Run_Program(c.program, args, In(dir));
        ASSERT_EQ(result.status, 0) << c.what << ": " << result.err;
        Vtk_File out = Split_Vtk(Read_File(dir / "out.vtk"));
        ASSERT_GE(out.header.size(), 7u) << c.what;
        EXPECT_EQ(std::vector<std::string>(out.header.begin() + 4, out.header.begin() + 7), c.header) << c.what;
        EXPECT_EQ(Big_Floats(out.data), c.cells) << c.what;
    }
}

// ESRI Float pairs: the byte order of the header line, the name case, and the
// file named.
TEST(EsriInput, FloatPairsByNameAndByteOrder) {
    struct Case {
        const char* what;
        std::string data, header, named, order_line;
        std::vector<std::string> options;
        bool big_endian;
    };
    const Case cases[] = {
        {"data named, msbfirst", "g.flt", "g.hdr", "g.flt", "byteorder msbfirst\n", {}, true},
        {"data named, LSBFIRST", "g.flt", "g.hdr", "g.flt", "BYTEORDER LSBFIRST\n", {}, false},
        {"data named, no byte order", "g.flt", "g.hdr", "g.flt", "", {}, true},
        {"data named, no byte order, -r", "g.flt", "g.hdr", "g.flt", "", {"-r"}, false},
        {"upper-case names", "G.FLT", "G.HDR", "G.FLT", "", {}, true},
        {"no extension", "grid", "grid.hdr", "grid", "byteorder lsbfirst\n", {}, false},
        {"header named alone", "g.flt", "g.hdr", "g.hdr", "", {}, false},
        {"header named alone, -r", "g.flt", "g.hdr", "g.hdr", "", {"-r"}, true},
    };
    for (const Case& c : cases) {
        Scratch_Dir dir;
        Write_File(dir / c.header, "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nnodata_value 7\n" + c.order_line);
        Write_File(dir / c.data, c.big_endian ? Big_Float(7) + Big_Float(-2.5f) : Little_Float(7) + Little_Float(-2.5f));
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {c.named, "out.vtk"});
        Process_Result result = Run_Program("esri2vtk", args, In(dir));
        ASSERT_EQ(result.status, 0) << c.what << ": " << result.err;
        EXPECT_EQ(Big_Floats(Split_Vtk(Read_File(dir / "out.vtk")).data), (std::vector<float>{kFloatNaN, -2.5f}))
            << c.what;
    }
}

// The header's nodata value and every -x value are undefined together, into
// VTK and into ESRI output, with up to three -x values.
TEST(EsriInput, MinusXValuesStayUndefinedBesideTheNodataValue) {
    Scratch_Dir dir;
    Write_File(dir / "in.asc", "ncols 5\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nnodata_value -9999\n"
                               "-9999 5 0 6 7\n");
    struct Case {
        std::vector<std::string> options;
        std::string values;  // ESRI ASCII output
        std::vector<float> cells;
    };
    const Case cases[] = {
        {{"-x", "5"}, "-9999 -9999 0 6 7", {kFloatNaN, kFloatNaN, 0, 6, 7}},
        {{"-x", "5", "-x", "6", "-x", "7"}, "-9999 -9999 0 -9999 -9999", {kFloatNaN, kFloatNaN, 0, kFloatNaN, kFloatNaN}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"in.asc", "out.asc"});
        ASSERT_EQ(Run_Program("arc2ascii", args, In(dir)).status, 0);
        Esri_Grid esri = Split_Esri(Read_File(dir / "out.asc"));
        std::string values;
        for (const std::string& v : esri.values) values += (values.empty() ? "" : " ") + v;
        EXPECT_EQ(values, c.values) << c.options.size();

        args.back() = "out.vtk";
        ASSERT_EQ(Run_Program("esri2vtk", args, In(dir)).status, 0);
        EXPECT_EQ(Big_Floats(Split_Vtk(Read_File(dir / "out.vtk")).data), c.cells) << c.options.size();
    }
}

}  // namespace
