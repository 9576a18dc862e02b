// End to end: GRD98 grids in either byte order read into every output, and
// every input written as GRD98. Expectations come from the GRD98 layout and
// the value rules.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/grd98_test_support.h"
#include "support/capture.h"
#include "support/grids.h"

namespace {

// 3 rows by 4 columns of one-minute cells, corner 60°N 10°E, grid-line
// registered, 2-byte cells; the reserved words carry 1..10.
GRD98_Header Header() {
    GRD98_Header h = Plain_Header();
    h.Minimum_Value = -5, h.Maximum_Value = 18, h.Grid_Radius = -1;
    for (int i = 0; i < 10; ++i) h.Unused[i] = i + 1;
    return h;
}

// Cell (row from the north, column) of the test grid; one empty cell.
double Cell(int row, int column) { return row == 1 && column == 2 ? -32768 : 10 * row + column - 5; }

std::vector<double> Cells() {
    std::vector<double> cells;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column) cells.push_back(Cell(row, column));
    return cells;
}

struct Grd98 : ::testing::Test {
    Scratch_Dir dir;
    void Input(const GRD98_Header& header, const std::vector<double>& cells, bool big_endian = true) {
        Write_File(dir / "in.grd", Grd98_File(header, cells, big_endian));
    }
    Process_Result Run(const std::string& name, std::vector<std::string> args) {
        return Run_Program(name, args, In(dir));
    }
    std::string Output(const std::string& name) { return Read_File(dir / name); }
};

TEST_F(Grd98, EitherByteOrderIsListedAndReadToVtk) {
    for (bool big_endian : {true, false}) {
        Input(Header(), Cells(), big_endian);
        Process_Result result = Run("depthgrid", {"-d#", "in.grd", "out.vtk"});
        ASSERT_EQ(result.status, 0) << result.err;
        // The listing is laid out as the output one below; here its words
        // must read the same in either byte order.
        EXPECT_EQ(result.out.rfind("GRD98 input file in.grd:\n  Version: 1000000001\n  Length: 128\n", 0), 0u);
        EXPECT_NE(result.out.find("\n  Minimum Maximum Value: -5 18\n"), std::string::npos) << big_endian;
        EXPECT_NE(result.out.find("\n  Unused [0 : 9]:  1 2 3 4 5 6 7 8 9 10\n\n"), std::string::npos) << big_endian;
        EXPECT_NE(result.out.find("\nValue Range -5 : 18\n"), std::string::npos);

        Vtk_File vtk = Split_Vtk(Output("out.vtk"));
        EXPECT_EQ(vtk.header[1], "GRD98 Grid in.grd 10\xB0" "0'0\":60\"x4, 60\xB0" "0'0\":60\"x3");
        EXPECT_EQ(vtk.header[4], "DIMENSIONS 4 3 1");
        EXPECT_EQ(vtk.header[6], "ORIGIN 10 59.96666667 0");
        std::vector<float> cells;
        for (int row = 2; row >= 0; --row)
            for (int column = 0; column < 4; ++column)
                cells.push_back(row == 1 && column == 2 ? kFloatNaN : float(Cell(row, column)));
        EXPECT_EQ(Big_Floats(vtk.data), cells) << big_endian;
    }
}

TEST_F(Grd98, WrittenAsGrd98WithItsRangeCornerAndReservedWords) {
    Input(Header(), Cells(), false);
    Process_Result result = Run("depthgrid", {"-do#", "in.grd", "out.grd"});
    ASSERT_EQ(result.status, 0) << result.err;
    // Float output of a float range: precision 10, range in tenths, the
    // empty marker the bits of -32768.0; pixel registered, so the corner
    // moves half a cell out from the upper-left value.
    const char* const listing =
        "GRD98 utput file out.grd:\n"
        "  Version: 1000000001\n"
        "  Length: 128\n"
        "  Data Type: 1\n"
        "  Latitude Degrees Minutes Seconds: 60 0 30 \n"
        "  Longitude Degrees Minutes Seconds: 9 59 30\n"
        "  Latitude Longitude Cell Size: 60 60\n"
        "  Latitude Longitude Number of Cells: 3 4\n"
        "  Minimum Maximum Value: -50 180\n"
        "  Grid Radius: -1\n"
        "  Precision: 10\n"
        "  Empty Grid Cell Value: -956301312 (-32768)\n"
        "  Number Type: -4\n"
        "  Water Datum: 0\n"
        "  Data Value Limit: 0\n"
        "  Cell Registration: 1\n"
        "  Unused [0 : 9]:  1 2 3 4 5 6 7 8 9 10\n"
        "\n";
    EXPECT_NE(result.out.find(listing), std::string::npos) << result.out;

    const std::string out = Output("out.grd");
    ASSERT_EQ(out.size(), 128u + 12 * 4) << "the check pass writes nothing";
    std::vector<float> cells = Big_Floats(out.substr(128));
    for (int row = 0, at = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column, ++at) EXPECT_EQ(cells[at], float(Cell(row, column)));

    // And back: the written grid reads as the same cells (its empty value is
    // an undefined value only for GRD98 and ESRI output).
    ASSERT_EQ(Run("depthgrid", {"-d", "-u", "out.grd", "back.vtk"}).status, 0);
    std::vector<float> back = Big_Floats(Split_Vtk(Output("back.vtk")).data);
    for (int at = 0; at < 12; ++at) EXPECT_EQ(back[at], float(Cell(at / 4, at % 4))) << at;
    ASSERT_EQ(Run("depthgrid", {"-do", "out.grd", "again.grd"}).status, 0);
    EXPECT_EQ(Output("again.grd"), out) << "GRD98 to GRD98 keeps every byte";
}

TEST_F(Grd98, FloatGridAsShortsIsWrittenInTenths) {
    GRD98_Header h = Header();
    h.Number_Type = -4;
    std::vector<double> cells = {-12.34, 45.67, 0.05, -0.04, 1, 2, 3, 4, 5, 6, 7, 8};
    Input(h, cells);
    ASSERT_EQ(Run("depthgrid", {"-doi", "in.grd", "out.grd"}).status, 0);
    const std::string out = Output("out.grd");
    EXPECT_EQ(Big_Word(out, 16), 10) << "precision";
    EXPECT_EQ(Big_Word(out, 13), -123) << "minimum, truncated";
    EXPECT_EQ(Big_Word(out, 14), 456) << "maximum, truncated";
    EXPECT_EQ(Big_Word(out, 18), 2) << "number type";
    std::vector<int16_t> data = Big_Shorts(out.substr(128));
    EXPECT_EQ(data, (std::vector<int16_t>{-123, 457, 1, 0, 10, 20, 30, 40, 50, 60, 70, 80}));
}

TEST_F(Grd98, ToEsriTheEmptyValueNamesTheUndefinedCells) {
    Input(Header(), Cells());
    const std::string header =
        "ncols        4\n"
        "nrows        3\n"
        "xllcenter    10\n"
        "yllcenter    59.96666667\n"
        "cellsize     0.01666666667\n"
        "nodata_value -32768\n";
    ASSERT_EQ(Run("depthgrid", {"-doa", "in.grd", "out.asc"}).status, 0);
    EXPECT_EQ(Output("out.asc"), header + " -5 -4 -3 -2\n5 6 -32768 8\n15 16 17 18\n");

    ASSERT_EQ(Run("depthgrid", {"-doa", "in.grd", "out.flt"}).status, 0);
    EXPECT_EQ(Output("out.hdr"), header + "byteorder    msbfirst\n");
    std::vector<float> cells = Big_Floats(Output("out.flt"));
    ASSERT_EQ(cells.size(), 12u);
    EXPECT_EQ(cells[6], -32768.0f);
    EXPECT_EQ(cells[11], 18.0f);
}

TEST_F(Grd98, BadHeadersEndWithTheirMessage) {
    // The test header with one word changed.
    auto with = [](int32_t GRD98_Header::*word, int32_t value, bool big_endian = true) {
        GRD98_Header h = Header();
        h.*word = value;
        return Grd98_File(h, {}, big_endian);
    };
    struct Case {
        const char* what;
        std::string file;
        std::string err;
    } cases[] = {
        {"zeros", std::string(128, '\0'), "in.grd is not in GRD98 format (0 0)\n"},
        {"short header", std::string(50, '\0'), "in.grd could not be read from\nNo utputfile (out.vtk) generated\n"},
        {"type -2", with(&GRD98_Header::Number_Type, -2), "in.grd is not in GRD98 format (1000000001 128)\n"},
        {"no rows", with(&GRD98_Header::Latitude_Number_of_Cells, 0, false),
         "in.grd is not in GRD98 format (1000000001 128)\n"},
        {"cell size 0", with(&GRD98_Header::Longitude_Cell_Size, 0), "in.grd is not in GRD98 format (1000000001 128)\n"},
        {"length", with(&GRD98_Header::Length, 256), "in.grd is not in GRD98 format (1000000001 256)\n"},
        // Tried big-endian first, then read back in the other order.
        {"wrong mark", with(&GRD98_Header::Version, 0x01020304), "in.grd is not in GRD98 format (67305985 -2147483648)\n"},
    };
    for (const auto& c : cases) {
        Write_File(dir / "in.grd", c.file);
        Process_Result result = Run("depthgrid", {"-d", "in.grd", "out.vtk"});
        EXPECT_EQ(result.status, 1) << c.what;
        EXPECT_EQ(result.err, c.err) << c.what;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.vtk")) << c.what;
    }

    // Data that end early: the transfer reports its failed read.
    Input(Header(), {1, 2, 3, 4, 5});
    Process_Result short_data = Run("depthgrid", {"-d", "in.grd", "out.vtk"});
    EXPECT_EQ(short_data.status, 1);
    EXPECT_NE(short_data.err.find("File read/write error, Source line 2187, File in.grd,"), std::string::npos)
        << short_data.err;
}

TEST_F(Grd98, DataAfterTheLastRowIsAnError) {
    // 3 rows of 4 2-byte cells end at byte 128 + 24 = 152.
    const std::string file = Grd98_File(Header(), Cells(), true);
    ASSERT_EQ(file.size(), 152u);
    Write_File(dir / "in.grd", file + Big_Short(7));
    Process_Result value = Run("depthgrid", {"-d", "in.grd", "out.vtk"});
    EXPECT_EQ(value.status, 1);
    EXPECT_EQ(value.err,
              "File read/write error, Source line 2802, File in.grd, Location 152 -> 154\n"
              "First 0, Left 0, Last 2, Right 3, Shift 0\n");

    // One byte is no 16-bit value.
    Write_File(dir / "in.grd", file + '\x07');
    Process_Result byte = Run("depthgrid", {"-d", "in.grd", "out.vtk"});
    EXPECT_EQ(byte.status, 0) << byte.err;
}

// Degrees beyond the header's 32-bit words: the corner cannot be written.
TEST_F(Grd98, ACornerBeyondTheDegreeWordsIsRefused) {
    // Upper-left cell centre 1000 m above the lower one, its corner half a cell further.
    Write_File(dir / "in.asc", "ncols 2\nnrows 2\nxllcenter 0\nyllcenter -3000000000\ncellsize 1000\n1 2\n3 4\n");
    Process_Result metric = Run("esri2grd98", {"in.asc", "out.grd"});
    EXPECT_EQ(metric.status, 1);
    EXPECT_EQ(metric.err, "out.grd could not be written: corner -2999998500 out of the GRD98 degree range\n");

    GRD98_Header h = Header();
    h.Longitude_Degrees = INT32_MIN;  // the outer corner lies half a cell further west
    Input(h, Cells());
    Process_Result huge = Run("depthgrid", {"-do", "in.grd", "out.grd"});
    EXPECT_EQ(huge.status, 1);
    EXPECT_EQ(huge.err, "out.grd could not be written: corner -2147483648 out of the GRD98 degree range\n");
}

TEST_F(Grd98, GlobalDatasetToGrd98HasAnExactCorner) {
    Sparse_Grid grid = Etopo2_Grid();  // a 2 x 2 window at 0°E 50°N
    grid.Set(1200, 5400, -300);
    grid.Set(1200, 5401, -250);
    grid.Set(1201, 5400, 120);
    grid.Set(1201, 5401, 0);
    grid.Write(dir / "in.bin");
    // Read from a pipe, which cannot be positioned, as from the file.
    std::vector<std::string> args = {"-i", "-w", "0", "-e", "0.034", "-s", "49.966", "-n", "50", "-", "o.grd"};
    ASSERT_EQ(Run_Program("etopo2grd98", args, {dir.path().string(), Output("in.bin"), true}).status, 0);
    const std::string from_pipe = Output("o.grd");
    args[9] = "in.bin";
    ASSERT_EQ(Run("etopo2grd98", args).status, 0);
    const std::string out = Output("o.grd");
    EXPECT_EQ(from_pipe, out);
    auto word = [&](int index) { return Big_Word(out, index); };
    // The outer corner of the upper-left cell: half a cell north-west of it.
    const double latitude = word(3) + word(4) / 60.0 + word(5) / 3600.0;
    const double longitude = word(8) + word(9) / 60.0 + word(10) / 3600.0;
    EXPECT_NEAR(latitude, 50 + 1.0 / 60, 1e-9);
    EXPECT_NEAR(longitude, -1.0 / 60, 1e-9);
    EXPECT_EQ(word(6), 120) << "two-minute cells";
    EXPECT_EQ(word(18), 2);
    EXPECT_EQ(word(16), 1) << "2-byte data keep precision 1";
    EXPECT_EQ(word(13), -120);
    EXPECT_EQ(word(14), 300);
    EXPECT_EQ(Big_Shorts(out.substr(128)), (std::vector<int16_t>{300, 250, -120, 0}));
}

}  // namespace
