// End to end: the real executable reading VTK, ESRI ASCII, ESRI Float and
// KMS2002 grids that the tests write. Expected cells, headers and messages
// are worked out from the format rules by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include "support/capture.h"
#include "support/grids.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;  // the first is named on the command line

// Writes `files` into `dir`; runs `program` with `options`, the first file and `out`.
Process_Result Run_On(const Scratch_Dir& dir, const std::string& program, const Files& files,
                      std::vector<std::string> options, const std::string& out) {
    for (const auto& [name, bytes] : files) Write_File(dir / name, bytes);
    options.insert(options.end(), {files.front().first, out});
    return Run_Program(program, options, In(dir));
}

// The words of a text, such as an ESRI ASCII output.
std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

const char* const Vtk_Head = "# vtk DataFile Version 3.0\ntitle\nASCII\nDATASET STRUCTURED_POINTS\n";
const char* const Vtk_Keys =
    "DIMENSIONS 2 2 1\nSPACING 1 1 0\nORIGIN 0 0 0\nPOINT_DATA 4\nSCALARS scalars float\nLOOKUP_TABLE default\n";
const char* const Esri_Head = "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n";

struct Run_Case {
    const char* what;
    std::string program;
    Files files;
    std::vector<std::string> options;
    std::string out, err;
    int status;
    bool output_kept = false;  // a failure in the transfer leaves what was written
};

std::string Vtk_Report(int code, const char* encoding = "ASCII ") {
    const std::string program = (std::filesystem::absolute(DEPTHGRID_BIN_DIR) / "vtk2esri").string();
    return Format("%sVTK file in.vtk could not be properly treated\nProgram %s, source line %d\n"
                  "No utputfile (out.asc) generated\n", encoding, program.c_str(), code);
}

std::string Grid_Report(const char* format, const char* file, int code) {
    return Format("%s GRID file %s could not be properly treated\nSource line %d\nNo utputfile (out.vtk) generated\n",
                  format, file, code);
}

// Every failure a real file can trigger, each with its report and status. A
// grid short of values fails where the transfer reads past its end; values
// beyond the grid are not read.
TEST(ReaderFailures, EveryCodeWithItsReportAndStatus) {
    const std::string head = Vtk_Head, data = "1 2 3 4\n", keyed = head + Vtk_Keys;
    const std::string binary = "# vtk DataFile Version 3.0\nt\nBINARY\nDATASET STRUCTURED_POINTS\n" + std::string(Vtk_Keys);
    const std::string head5 = Esri_Head, hdr = head5 + "NODATA_value -9999\n";
    const std::string floats = Little_Float(1) + Little_Float(2) + Little_Float(3) + Little_Float(4);
    auto keys_with = [&](const std::string& from, const std::string& to) {
        std::string keys = Vtk_Keys;
        return head + keys.replace(keys.find(from), from.size(), to) + data;
    };
    // `before`: what the reader prints ahead of its report.
    auto vtk = [](const char* what, std::string text, int code, std::string before = "") {
        return Run_Case{what, "vtk2esri", {{"in.vtk", text}}, {}, "out.asc", before + Vtk_Report(code), 1};
    };
    const std::string square = "ASCII VTK file in.vtk could not be properly treated\nOnly square cells accepted\n";
    auto grid = [](const char* program, const char* file, const char* format) {
        return [=](const char* what, std::string text, int code, std::string before = "") {
            return Run_Case{what, program, {{file, text}}, {}, "out.vtk", before + Grid_Report(format, file, code), 1};
        };
    };
    auto esri = grid("esri2vtk", "in.asc", "ESRI Ascii"), kms = grid("kms2vtk", "in.kms", "KMS2002");
    auto pair = [](const char* what, Files files, std::string err) {
        return Run_Case{what, "esri2vtk", files, {}, "out.vtk", err, 1};
    };
    // An EHdr pair of 2 x 2 floats with `lines` added to its header.
    auto ehdr = [&](const char* what, std::string lines, int code, std::string before = "") {
        const std::string header = "NCOLS 2\nNROWS 2\nULXMAP 0.5\nULYMAP 1.5\nXDIM 1\nYDIM 1\n" + lines;
        return pair(what, {{"g.bil", floats}, {"g.hdr", header}}, before + Grid_Report("ESRI Ascii", "g.bil", code));
    };
    // Stored from the top, the lower row starts at byte 8 of the values: its second cell is the one missing.
    auto short_of = [](const char* file, size_t from, size_t to) {
        return Format("File read/write error, Source line 2230, File %s, Location %zu -> %zu\n", file, from, to) +
               "First 0, Left 0, Last 1, Right 1, Shift 0\n";
    };
    const Run_Case cases[] = {
        vtk("empty file", "", 1178),
        vtk("version 1.0", "# vtk DataFile Version 1.0\n", 1188),
        vtk("item after the version", "# vtk DataFile Version 3.0 x\n", 1188),
        vtk("no title line", "# vtk DataFile Version 3.0\n", 1193),
        vtk("no encoding line", "# vtk DataFile Version 3.0\ntitle\n", 1200),
        vtk("unknown encoding", "# vtk DataFile Version 3.0\ntitle\nTEXT\n", 1206),
        {"binary without dataset line", "vtk2esri", {{"in.vtk", "# vtk DataFile Version 3.0\ntitle\nBINARY\n"}}, {},
         "out.asc", Vtk_Report(1215, ""), 1},
        vtk("dataset line without dataset", head.substr(0, head.rfind("STRUCTURED_POINTS")) + "\n", 1221),
        vtk("refused dataset", "# vtk DataFile Version 3.0\nt\nASCII\nDATASET POLYDATA\n", 1312,
            "DATASET POLYDATA not allowed, "),
        vtk("comment line among keywords", head + "/* note */\n" + Vtk_Keys + data, 1232),
        vtk("two dimensions", keys_with("2 2 1", "2 2"), 1241),
        vtk("zero dimension", keys_with("2 2 1", "0 2 1"), 1241),
        vtk("huge dimensions", keys_with("2 2 1", "2000000000 2000000000 1"), 1241),
        vtk("dimensions past 64 bits", keys_with("2 2 1", "3 2147483647 2147483647"), 1241),
        vtk("no dimensions", keys_with("DIMENSIONS 2 2 1\n", ""), 1241),
        vtk("spacing not a number", keys_with("SPACING 1 1", "SPACING 1 x"), 1248),
        vtk("zero spacing", keys_with("SPACING 1 1", "SPACING 0 0"), 1248),
        vtk("no spacing", keys_with("SPACING 1 1 0\n", ""), 1248),
        vtk("origin of two numbers", keys_with("ORIGIN 0 0 0", "ORIGIN 0 0"), 1267),
        vtk("cell data count", head + "CELL_DATA many\n" + Vtk_Keys + data, 1276),
        vtk("point data count", keys_with("POINT_DATA 4", "POINT_DATA 4 4"), 1280),
        vtk("scalars without a name", keys_with("scalars float", "float"), 1289),
        vtk("scalars of ints", keys_with("scalars float", "scalars int"), 1289),
        vtk("scalars of three components", keys_with("scalars float", "scalars float 3"), 1297),
        vtk("lookup table with its size", keys_with("TABLE default", "TABLE mine 4"), 1302),
        vtk("field of strings", head + "FIELD f 1\nnames 1 1 string\nx\n" + Vtk_Keys + data, 1305),
        vtk("aspect ratio", keys_with("SPACING", "ASPECT_RATIO"), 1305),
        vtk("cells not square", keys_with("SPACING 1 1", "SPACING 0.5 0.25"), 1326),
        vtk("word among the values", keyed + "1 2 abc 4\n", 1348, "Line 11:\n1 2 abc 4\n"),
        vtk("nan run on among the values", keyed + "1 nanx 3 4\n", 1348, "Line 11:\n1 nanx 3 4\n"),
        {"metric cells not square", "vtk2esri", {{"in.vtk", keys_with("SPACING 1 1", "SPACING 2 1")}}, {}, "out.asc",
         square + "No utputfile (out.asc) generated\n", 1},
        {"metric grid to GRD98", "vtk2grd98", {{"in.vtk", keys_with("SPACING 1 1", "SPACING 1000 1000")}}, {}, "out.grd",
         square + "No utputfile (out.grd) generated\n", 1},

        esri("rows not a number", "ncols 2\nnrows x\n", 1487),
        esri("no rows", "ncols 2\nnrows 0\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n", 1487),
        esri("x origin missing", "ncols 2\nnrows 2\nyllcorner 0\n1 2\n3 4\n", 1495),
        // A header cut short with nothing behind it is a header file alone,
        // and its data file is looked for first.
        pair("header alone cut short", {{"in.asc", "ncols 2\nnrows 2\n"}}, "in.flt could not be opened\n"),
        esri("y origin not a number", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner south\n", 1503),
        esri("cell size zero", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 0\n1 2\n3 4\n", 1510),
        esri("cell size negative", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize -1\n1 2\n3 4\n", 1510),
        esri("no columns", "ncols 0\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n", 1480),
        esri("nodata not a number", head5 + "NODATA_value none\n1 2\n3 4\n", 1524),
        esri("keyword given twice", head5 + "ncols 2\n1 2\n3 4\n", 1450, "Line 6 repeats a keyword:\nncols 2\n"),
        esri("cell size and dx", "dx 1\n" + head5, 1450, "Line 6 repeats a keyword:\ncellsize 1\n"),
        esri("lines in any order, cell size missing", "nrows 2\nncols 2\n\nyllcorner 0\nxllcorner 0\n1 2\n3 4\n", 1510),
        esri("byte order in a text grid", hdr + "byteorder lsbfirst\n1 2\n3 4\n", 1640, "Line 7:\nbyteorder lsbfirst\n"),
        esri("word among the values", hdr + "1 2\nx 4\n", 1640, "Line 8:\nx 4\n"),
        ehdr("unsigned 2-byte cells", "NBITS 16\nPIXELTYPE UNSIGNEDINT\n", 1545,
             "16-bit unsigned integer cells not supported\n"),
        ehdr("8-bit cells, unsigned without a PIXELTYPE", "NBITS 8\n", 1545, "8-bit unsigned integer cells not supported\n"),
        ehdr("doubles", "PIXELTYPE FLOAT\nNBITS 64\n", 1545, "64-bit float cells not supported\n"),
        ehdr("an unknown pixel type", "PIXELTYPE COMPLEX\n", 1545, "PIXELTYPE COMPLEX not supported\n"),
        ehdr("three bands", "NBANDS 3\n", 1545, "3 bands not supported: one band only\n"),
        ehdr("band rows shorter than a row", "BANDROWBYTES 4\n", 1550, "BANDROWBYTES 4 is less than a row of 8 bytes\n"),
        ehdr("total rows shorter than band rows", "BANDROWBYTES 12\nTOTALROWBYTES 8\n", 1550,
             "TOTALROWBYTES 8 is less than a row of 12 bytes\n"),
        ehdr("negative skip", "SKIPBYTES -4\n", 1550),
        ehdr("data short of the skipped bytes", "SKIPBYTES 8\n", 1555, "g.bil holds 16 bytes, its header asks for 24\n"),
        ehdr("nodata no 2-byte cell can hold", "NBITS 16\nPIXELTYPE SIGNEDINT\nNODATA 0.5\n", 1524),
        {"KMS2002 steps 0.5 and 1 to ESRI", "kms2esri", {{"in.kms", "0 1 0 1 1 0.5\n1 2\n3 4\n5 6\n"}}, {}, "out.asc",
         "KMS2002 GRID file in.kms could not be properly treated\nOnly square cells accepted\n"
         "No utputfile (out.asc) generated\n", 1},
        {"ESRI dx and dy to ESRI", "arc2ascii", {{"in.asc", "ncols 1\nnrows 1\nxllcorner 0\nyllcorner 0\ndx 1\ndy 2\n5\n"}},
         {}, "out.asc", "ESRI Ascii GRID file in.asc could not be properly treated\nOnly square cells accepted\n"
         "No utputfile (out.asc) generated\n", 1},
        pair("Float header without ncols", {{"g.flt", floats}, {"g.hdr", "nrows 2\n"}},
             Grid_Report("ESRI Ascii", "g.flt", 1480)),
        pair("Float byte order vms_ffloat", {{"g.flt", floats}, {"g.hdr", hdr + "byteorder VMS_FFLOAT\n"}},
             Grid_Report("ESRI Ascii", "g.flt", 1541)),
        pair("Float header missing", {{"g.flt", floats}}, "g.hdr could not be opened\n"),
        pair("Float data missing", {{"g.hdr", hdr}}, "g.flt could not be opened\n"),

        kms("five numbers", "50 60 -10 10 0.5\n1\n", 1430),
        kms("header alone", "50 60 -10 10 0.5 1\n", 1430),
        kms("zero step", "50 60 -10 10 0 1\n1 2\n", 1430),
        kms("word among the values", "0 1 0 1 1 1\n1 2\n3 four\n", 1640, "Line 3:\n3 four\n"),

        {"window beside an ESRI grid", "esri2vtk", {{"in.asc", hdr + "1 2\n3 4\n"}}, {"-s", "10"}, "out.vtk",
         "ESRI ASCII GRID file in.asc skipped\n", 0},
        {"window beside a KMS2002 grid", "kms2vtk", {{"in.kms", "0 1 0 1 1 1\n1 2\n3 4\n"}}, {"-w", "5", "-e", "6"},
         "out.vtk", "ESRI ASCII GRID file in.kms skipped\n", 0},

        {"VTK text short", "vtk2esri", {{"in.vtk", keyed + "1 2 3\n"}}, {}, "out.asc", short_of("in.vtk", 8, 12), 1, true},
        {"VTK text long", "vtk2esri", {{"in.vtk", keyed + "1 2 3 4 5\n"}}, {}, "out.asc", "", 0, true},
        {"VTK binary short", "vtk2esri", {{"in.vtk", binary + Big_Float(1) + Big_Float(2)}}, {}, "out.asc",
         short_of("in.vtk", binary.size() + 8, binary.size() + 8), 1, true},
        {"ESRI text short", "esri2vtk", {{"in.asc", hdr + "1 2\n3\n"}}, {}, "out.vtk", short_of("in.asc", 8, 12), 1, true},
        pair("ESRI Float short", {{"g.flt", std::string(12, '\0')}, {"g.hdr", hdr}},
             "g.flt holds 12 bytes, its header asks for 16\n" + Grid_Report("ESRI Ascii", "g.flt", 1555)),
        {"KMS2002 text long", "kms2vtk", {{"in.kms", "0 1 0 1 1 1\n1 2 3 4 5\n"}}, {}, "out.vtk", "", 0, true},
    };
    for (const Run_Case& c : cases) {
        Scratch_Dir dir;
        Process_Result result = Run_On(dir, c.program, c.files, c.options, c.out);
        EXPECT_EQ(result.err, c.err) << c.what;
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.out, "") << c.what;
        EXPECT_TRUE(c.output_kept || !std::filesystem::exists(dir / c.out)) << c.what << ": no output file is made";
    }
}

// A 7 x 5 grid at 0.5°, cell centres from 10.25°E and 40.25°N; rows from the
// top. One cell is undefined.
constexpr int kCols = 7, kRows = 5;
std::string Cell_Text(int row, int column) {
    return row == 1 && column == 2 ? "-9999" : Format("%g", (row * 10 + column) * 1.5f - 20);
}

struct Window {
    std::vector<std::string> limits;
    int left, right, top, bottom;  // columns and rows (from the top) it selects
};

// The ESRI ASCII output of window `w`, written with -y -9999.
std::vector<std::string> Esri_Words(const Window& w) {
    std::vector<std::string> words = {
        "ncols", std::to_string(w.right - w.left + 1), "nrows", std::to_string(w.bottom - w.top + 1),
        "xllcenter", Format("%g", 10.25 + 0.5 * w.left), "yllcenter", Format("%g", 40.25 + 0.5 * (kRows - 1 - w.bottom)),
        "cellsize", "0.5", "nodata_value", "-9999"};
    for (int r = w.top; r <= w.bottom; ++r)
        for (int c = w.left; c <= w.right; ++c) words.push_back(Cell_Text(r, c));
    return words;
}

TEST(ReaderRoundTrips, EveryWrittenFormatReadsBackTheSameCellsWhateverTheWindow) {
    Scratch_Dir dir;
    std::string source = "NCOLS 7\nnrows 5\nxllcorner 10\nYLLCORNER 40\ncellsize 0.5\nnodata_value -9999\n";
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) source += Cell_Text(r, c) + (c + 1 < kCols ? " " : "\r\n");
    Write_File(dir / "g.asc", source);
    const Window windows[] = {
        {{}, 0, kCols - 1, 0, kRows - 1},
        {{"-w", "11.2", "-e", "11.9", "-s", "40.8", "-n", "41.2"}, 1, 4, 2, 3},
        {{"-w", "13.25", "-e", "13.25", "-n", "42.25", "-s", "42.25"}, 6, 6, 0, 0},
    };
    // The writer and the reader, each a program and its options.
    struct Format_Case {
        std::string what, file;
        std::vector<std::string> writer, reader;
    };
    const Format_Case formats[] = {
        {"binary VTK", "f.vtk", {"esri2vtk"}, {"vtk2ascii"}},
        {"upper row first binary VTK", "u.vtk", {"esri2vtk", "-u"}, {"vtk2ascii"}},
        {"ASCII VTK", "a.vtk", {"esri2vtk", "-a"}, {"vtk2ascii"}},
        {"ESRI ASCII", "e.asc", {"arc2ascii"}, {"arc2ascii"}},
        {"ESRI Float by its data file", "F.FLT", {"esri2flt"}, {"arc2ascii"}},
        {"GRD98", "g.grd", {"esri2grd98"}, {"depthgrid", "-d", "-ao"}},
    };
    for (const Format_Case& f : formats) {
        std::vector<std::string> args(f.writer.begin() + 1, f.writer.end());
        args.insert(args.end(), {"g.asc", f.file});
        Process_Result written = Run_Program(f.writer[0], args, In(dir));
        ASSERT_EQ(written.status, 0) << f.what << ": " << written.err;
        for (const Window& w : windows) {
            args.assign(f.reader.begin() + 1, f.reader.end());
            args.insert(args.end(), w.limits.begin(), w.limits.end());
            args.insert(args.end(), {"-y", "-9999", f.file, "back.asc"});
            Process_Result back = Run_Program(f.reader[0], args, In(dir));
            ASSERT_EQ(back.status, 0) << f.what << ": " << back.err;
            EXPECT_EQ(Words(Read_File(dir / "back.asc")), Esri_Words(w)) << f.what;
        }
    }
}

TEST(VtkInput, DebugEchoAndStandardInputThroughAPipe) {
    const std::string header = std::string(Vtk_Head) + Vtk_Keys, echo = "VTK input file -:\n" + header + "\n";
    Scratch_Dir dir;
    Process_Result result = Run_Program("depthgrid", {"-#", "-", "out.vtk"}, {dir.path().string(), header + "1 2 3 4\n", true});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, echo.size()), echo);
    EXPECT_EQ(Vtk_Floats(dir / "out.vtk"), (std::vector<float>{1, 2, 3, 4}));
}

std::string Big_Double(double value) {
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &value, 8);
    return std::string(bytes.rbegin(), bytes.rend());
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
        std::string program;
        Files files;
        std::vector<std::string> options, header;  // header: DIMENSIONS to ORIGIN of the VTK output
        std::vector<float> cells;                  // lower row first
    };
    const std::string vtk = Vtk_Head;
    // A binary globe of 360 one-degree columns centred on -179.5..179.5,
    // written by another program (CRLF line ends, upper row first), is read
    // across the date line: columns 349 (169.5°E) to 370 are stored 349..359,
    // then 0..10 of the same row.
    std::string globe =
        "# vtk DataFile Version 3.0\r\nglobe\r\nBINARY\r\nDATASET STRUCTURED_POINTS\r\nDIMENSIONS 360 2 1\r\n"
        "SPACING 1 -1 0\r\nORIGIN -179.5 0.5 0\r\nPOINT_DATA 720\r\nSCALARS scalars short\r\nLOOKUP_TABLE default\r\n";
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 360; ++column) globe += Big_Short(int16_t(1000 * row + column));
    std::vector<float> across;
    for (int row : {1, 0})
        for (int j = 0; j < 22; ++j) across.push_back(1000 * row + (349 + j) % 360);
    // ESRI Float pairs of the cells 7 (the nodata value) and -2.5: the byte
    // order of the header line, the name case, and the file named.
    auto pair = [](const char* what, std::string data, std::string header, std::string order_line, bool big_endian,
                   bool header_named, std::vector<std::string> options = {}) {
        Files files = {{data, big_endian ? Big_Float(7) + Big_Float(-2.5f) : Little_Float(7) + Little_Float(-2.5f)},
                       {header, "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nnodata_value 7\n" + order_line}};
        if (header_named) std::swap(files[0], files[1]);
        return Case{what, "esri2vtk", files, options, {"DIMENSIONS 2 1 1", "SPACING 1 1 0", "ORIGIN 0.5 0.5 0"},
                    {kFloatNaN, -2.5f}};
    };
    const Case cases[] = {
        {"VTK: lower-case keywords, trailing comment, snapped spacing and origin", "depthgrid",
         {{"in.vtk", vtk + "dimensions 2 2 1\nspacing 0.0083333 0.0083333 0 /* 30 seconds */\n"
                           "origin 10.0041666 0.0041666 0\npoint_data 4\nscalars scalars float 1\n"
                           "lookup_table default\n1 2\n3 4\n"}},
         {}, {"DIMENSIONS 2 2 1", "SPACING 0.008333333333 0.008333333333 0", "ORIGIN 10.00416667 0.004166666667 0"},
         {1, 2, 3, 4}},
        {"VTK: metric lattice of shorts, negative ones too", "depthgrid",
         {{"in.vtk", vtk + "DIMENSIONS 3 2 1\nSPACING 1000 1000 0\nORIGIN 500000 6100000 0\nSCALARS scalars short\n"
               "LOOKUP_TABLE default\n1 -2 3\n-4 5 40000\n"}},
         {}, {"DIMENSIONS 3 2 1", "SPACING 1000 1000 0", "ORIGIN 500000 6100000 0"}, {1, -2, 3, -4, 5, -25536}},
        {"VTK: binary globe across the date line", "depthgrid", {{"globe.vtk", globe}}, {"-w", "170", "-e", "190"},
         {"DIMENSIONS 22 2 1", "SPACING 1 1 0", "ORIGIN 169.5 -0.5 0"}, across},
        {"ESRI: centre origin, no nodata line, so -9999 is undefined", "esri2vtk",
         {{"in.asc", "NCOLS 2\nNROWS 2\nXLLCENTER 10\nYLLCENTER 10\nCELLSIZE 0.5\n1 -9999\n3 4\n"}}, {},
         {"DIMENSIONS 2 2 1", "SPACING 0.5 0.5 0", "ORIGIN 10 10 0"}, {3, 4, 1, kFloatNaN}},
        {"ESRI: metric cell size, no snapping and no window test", "esri2vtk",
         {{"in.asc", "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 100\n1 2\n"}}, {"-s", "1000"},
         {"DIMENSIONS 2 1 1", "SPACING 100 100 0", "ORIGIN 50 50 0"}, {1, 2}},
        {"ESRI: 361 columns from 0 are read from -180", "esri2vtk",
         {{"in.asc", Globe_Row("ncols 361\nnrows 1\nxllcenter 0\nyllcenter 0\ncellsize 1\n")}}, {"-w", "-180", "-e", "-178"},
         {"DIMENSIONS 3 1 1", "SPACING 1 1 0", "ORIGIN -180 0 0"}, {180, 181, 182}},
        {"KMS2002: comment lines before the header", "kms2vtk",
         {{"in.kms", "\n/* grid */\n50 51 -10 -9 0.5 1\n1 2\n3 4\n5 6\n"}}, {},
         {"DIMENSIONS 2 3 1", "SPACING 1 0.5 0", "ORIGIN -10 50 0"}, {5, 6, 3, 4, 1, 2}},
        {"KMS2002: 0 to 360 is read from -180", "kms2vtk", {{"in.kms", Globe_Row("0 0 0 360 1 1\n")}},
         {"-w", "-1", "-e", "1"}, {"DIMENSIONS 3 1 1", "SPACING 1 1 0", "ORIGIN -1 0 0"}, {359, 0, 1}},
        pair("Float: data named, msbfirst", "g.flt", "g.hdr", "byteorder msbfirst\n", true, false),
        pair("Float: data named, LSBFIRST", "g.flt", "g.hdr", "BYTEORDER LSBFIRST\n", false, false),
        pair("Float: data named, no byte order, -r", "g.flt", "g.hdr", "", false, false, {"-r"}),
        pair("Float: upper-case names", "G.FLT", "G.HDR", "", true, false),
        pair("Float: no extension", "grid", "grid.hdr", "byteorder lsbfirst\n", false, false),
        pair("Float: header named alone", "g.flt", "g.hdr", "", false, true),
        pair("Float: header named alone, -r", "g.flt", "g.hdr", "", true, true, {"-r"}),
        pair("Float: header named alone with its byte order", "g.flt", "g.hdr", "byteorder msbfirst\n", true, true),

        {"ESRI: lines in any order and case, empty lines between", "esri2vtk",
         {{"in.asc", "nrows 2\n\nCellSize 0.5\n  \nNCOLS 2\nyllcorner 40\nXLLCENTER 10\nnodata_value 4\n1 2\n3 4\n"}}, {},
         {"DIMENSIONS 2 2 1", "SPACING 0.5 0.5 0", "ORIGIN 10 40.25 0"}, {3, kFloatNaN, 1, 2}},
        {"ESRI: dx and dy of non-square cells", "esri2vtk",
         {{"in.asc", "ncols 2\nnrows 3\nxllcorner 10\nyllcorner 40\ndx 0.5\ndy 0.25\n1 2\n3 4\n5 6\n"}}, {},
         {"DIMENSIONS 2 3 1", "SPACING 0.5 0.25 0", "ORIGIN 10.25 40.125 0"}, {5, 6, 3, 4, 1, 2}},
        {"ESRI: nan as nodata and texts for no value", "esri2vtk",
         {{"in.asc", "ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value NaN\nnan -NAN +Nan\nnull, 7 -9999\n"}},
         {}, {"DIMENSIONS 3 2 1", "SPACING 1 1 0", "ORIGIN 0.5 0.5 0"},
         {kFloatNaN, 7, -9999, kFloatNaN, kFloatNaN, kFloatNaN}},
        // GDAL's EHdr header; lines for other programs are passed over.
        {"EHdr: floats in Intel order, named by the data file", "esri2vtk",
         {{"g.flt", Little_Float(7) + Little_Float(-2.5f)},
          {"g.hdr", "BYTEORDER I\nLAYOUT BIL\nNROWS 1\nNCOLS 2\nNBANDS 1\nNBITS 32\nBANDROWBYTES 8\n"
                    "TOTALROWBYTES 8\nPIXELTYPE FLOAT\nULXMAP 0.5\nULYMAP 0.5\nXDIM 1\nYDIM 1\nNODATA 7\nUNITS METERS\n\n"}},
         {}, {"DIMENSIONS 2 1 1", "SPACING 1 1 0", "ORIGIN 0.5 0.5 0"}, {kFloatNaN, -2.5f}},
        {"EHdr: 2-byte integers in Motorola order, skipped bytes and padded rows", "esri2vtk",
         {{"g.bil", "abc" + Big_Short(1) + Big_Short(2) + "pp" + Big_Short(-5) + Big_Short(4) + "pp"},
          {"g.hdr", "byteorder m\nnrows 2\nncols 2\nnbits 16\npixeltype signedint\nskipbytes 3\nbandrowbytes 6\n"
                    "totalrowbytes 6\nulxmap 10.5\nulymap 41.5\nxdim 1\nydim 1\nnodata -5\n"}},
         {}, {"DIMENSIONS 2 2 1", "SPACING 1 1 0", "ORIGIN 10.5 40.5 0"}, {kFloatNaN, 4, 1, 2}},
        {"EHdr: 4-byte integers named by the header, data in the .bil", "esri2vtk",
         {{"g.hdr", "NCOLS 2\nNROWS 1\nNBITS 32\nPIXELTYPE SIGNEDINT\nBYTEORDER I\nULXMAP 0.5\nULYMAP 0.5\nXDIM 1\nYDIM 1\n"},
          {"g.bil", std::string("\xa0\x86\x01\x00\xf9\xff\xff\xff", 8)}},
         {}, {"DIMENSIONS 2 1 1", "SPACING 1 1 0", "ORIGIN 0.5 0.5 0"}, {100000, -7}},
        // VTK's own writers: the bytes of the FIELD array would read as a
        // SPACING line if they were taken for text.
        {"VTK: field data, metadata, named doubles and a lookup table behind them", "depthgrid",
         {{"in.vtk", "# vtk DataFile Version 5.1\nvtk output\nBINARY\nDATASET STRUCTURED_POINTS\nFIELD FieldData 1\n"
                     "note 1 2 float\n\nSPACING\nMETADATA\nINFORMATION 0\n\nDIMENSIONS 2 2 1\nSPACING 1 1 1\nORIGIN 0 0 0\n"
                     "POINT_DATA 4\nSCALARS elevation double\nLOOKUP_TABLE colours\n" +
                     Big_Double(1) + Big_Double(2.5) + Big_Double(3) + Big_Double(4) +
                     "\nLOOKUP_TABLE colours 1\n\xff\0\0\xff"}},
         {}, {"DIMENSIONS 2 2 1", "SPACING 1 1 0", "ORIGIN 0 0 0"}, {1, 2.5f, 3, 4}},
        {"VTK: text field data before and after the values, empty lines, nan", "depthgrid",
         {{"in.vtk", vtk + "FIELD FieldData 2\nnote 1 3 float\n1.5 2.5\n3.5\nNULL_ARRAY\n\nDIMENSIONS 2 2 1\n"
                           "SPACING 1 1 0\n\nORIGIN 0 0 0\nPOINT_DATA 4\nSCALARS values double 1\nLOOKUP_TABLE mine\n"
                           "1 nan\n3 4\nFIELD FieldData 1\nextra 1 2 float\n7 8\n"}},
         {}, {"DIMENSIONS 2 2 1", "SPACING 1 1 0", "ORIGIN 0 0 0"}, {1, kFloatNaN, 3, 4}},
        {"VTK: the first scalars of the points, behind those of the cells, vectors after them", "depthgrid",
         {{"in.vtk", vtk + "DIMENSIONS 2 2 1\nSPACING 1 1 0\nORIGIN 0 0 0\nCELL_DATA 1\nSCALARS cells float\n"
                           "LOOKUP_TABLE default\n9\nVECTORS v int\n1 2 3\nPOINT_DATA 4\nSCALARS points float\n"
                           "LOOKUP_TABLE default\n1 2\n3 4\nVECTORS v float\n1 2 3 4 5 6 7 8 9 10 11 12\n"}},
         {}, {"DIMENSIONS 2 2 1", "SPACING 1 1 0", "ORIGIN 0 0 0"}, {1, 2, 3, 4}},
        {"VTK: 2-byte text values, null undefined", "depthgrid",
         {{"in.vtk", vtk + "DIMENSIONS 2 1 1\nSPACING 1 1 0\nORIGIN 0 0 0\nSCALARS s short\nLOOKUP_TABLE default\n5 NULL\n"}},
         {}, {"DIMENSIONS 2 1 1", "SPACING 1 1 0", "ORIGIN 0 0 0"}, {5, kFloatNaN}},
    };
    for (const Case& c : cases) {
        Scratch_Dir dir;
        Process_Result result = Run_On(dir, c.program, c.files, c.options, "out.vtk");
        ASSERT_EQ(result.status, 0) << c.what << ": " << result.err;
        Vtk_File out = Split_Vtk(Read_File(dir / "out.vtk"));
        ASSERT_GE(out.header.size(), 7u) << c.what;
        EXPECT_EQ(std::vector<std::string>(out.header.begin() + 4, out.header.begin() + 7), c.header) << c.what;
        EXPECT_EQ(Big_Floats(out.data), c.cells) << c.what;
    }
}

// The header's nodata value and three -x values are all undefined, into
// VTK and into ESRI output.
TEST(EsriInput, MinusXValuesStayUndefinedBesideTheNodataValue) {
    Scratch_Dir dir;
    const Files in = {
        {"in.asc", "ncols 5\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nnodata_value -9999\n-9999 5 0 6 7\n"}};
    const std::vector<std::string> options = {"-x", "5", "-x", "6", "-x", "7"};
    ASSERT_EQ(Run_On(dir, "arc2ascii", in, options, "out.asc").status, 0);
    const std::vector<std::string> words = Words(Read_File(dir / "out.asc"));
    EXPECT_EQ(std::vector<std::string>(words.begin() + 12, words.end()),
              (std::vector<std::string>{"-9999", "-9999", "0", "-9999", "-9999"}));
    ASSERT_EQ(Run_On(dir, "esri2vtk", in, options, "out.vtk").status, 0);
    EXPECT_EQ(Vtk_Floats(dir / "out.vtk"), (std::vector<float>{kFloatNaN, kFloatNaN, 0, kFloatNaN, kFloatNaN}));
}

}  // namespace
