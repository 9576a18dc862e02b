// End to end: the real executable on generated global datasets. Every
// expectation is worked out from the dataset layouts and the value rules.
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>

#include "support/capture.h"
#include "support/grids.h"

namespace {

// GEBCO: 612 header bytes, rows of 21601 big-endian cells from 90°N, and one
// end value -32767 behind the 10800 rows.
constexpr int64_t kGebcoEnd = 612 + int64_t{10800} * 21601 * 2;
Sparse_Grid Gebco() {
    Sparse_Grid grid;
    grid.offset = 612;
    grid.row_cells = 21601;
    grid.raw.push_back({kGebcoEnd, Big_Short(-32767)});
    return grid;
}

// A 4 x 4 GEBCO window at 0..0.05°E, 50..50.05°N: columns 10800..10803,
// rows 2397..2400 from 90°N.
struct Gebco_Window : ::testing::Test {
    Scratch_Dir dir;
    Sparse_Grid grid = Gebco();
    static double Stored(int row, int column) { return 100.0 * (row - 2397) + (column - 10800) - 150; }
    void SetUp() override {
        for (int row = 2397; row <= 2400; ++row)
            for (int column = 10800; column <= 10803; ++column) grid.Set(row, column, Stored(row, column));
        grid.Set(2398, 10801, -32768);  // undefined
        grid.Write(dir / "in.bin");
    }
    Process_Result Run(const std::string& name, std::vector<std::string> args, const std::string& out = "out") {
        args.insert(args.end(), {"-w", "0", "-e", "0.05", "-s", "50", "-n", "50.05", "in.bin", out});
        return Run_Program(name, args, In(dir));
    }
    std::string Output() { return Read_File(dir / "out"); }
};

TEST_F(Gebco_Window, BinaryVtkHeaderAndNegatedCellsLowerRowFirst) {
    Process_Result result = Run("gebco2vtk", {});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out + result.err, "");
    Vtk_File vtk = Split_Vtk(Output());
    const std::vector<std::string> header = {
        "# vtk DataFile Version 3.0", "GEBCO One minute Grid in.bin -w0 -n50 -e0.05 -s50.05", "BINARY",
        "DATASET STRUCTURED_POINTS", "DIMENSIONS 4 4 1", "SPACING 0.01666666667 0.01666666667 0", "ORIGIN 0 50 0",
        "POINT_DATA 16", "SCALARS scalars float", "LOOKUP_TABLE default"};
    EXPECT_EQ(vtk.header, header);
    // Undefined cells carry the float marker.
    std::vector<float> cells;
    for (int row = 2400; row >= 2397; --row)
        for (int column = 10800; column <= 10803; ++column)
            cells.push_back(row == 2398 && column == 10801 ? kFloatNaN : float(-Stored(row, column)));
    EXPECT_EQ(Big_Floats(vtk.data), cells);
}

TEST_F(Gebco_Window, RowOrdersAndSignOptions) {
    // -u: the northern row first, and the title's -n/-s follow it.
    Process_Result upper = Run("gebco2vtk", {"-um"});
    ASSERT_EQ(upper.status, 0) << upper.err;
    Vtk_File vtk = Split_Vtk(Output());
    EXPECT_EQ(vtk.header[1], "GEBCO One minute Grid in.bin -w0 -n50.05 -e0.05 -s50");
    EXPECT_EQ(vtk.header[5], "SPACING 0.01666666667 -0.01666666667 0");
    EXPECT_EQ(vtk.header[6], "ORIGIN 0 50.05 0");
    std::vector<float> cells = Big_Floats(vtk.data);
    EXPECT_EQ(cells[0], float(Stored(2397, 10800))) << "-m keeps the stored sign";
    EXPECT_EQ(cells[15], float(Stored(2400, 10803)));

    // -q mirrors the selected rows: the lower-first output starts at the
    // stored row that mirrors the southern one.
    Sparse_Grid mirrored = Gebco();
    mirrored.Set(10799 - 2397, 10800, 1234);
    mirrored.Write(dir / "in.bin");
    Process_Result q = Run("gebco2vtk", {"-q", "-i"});
    ASSERT_EQ(q.status, 0) << q.err;
    Vtk_File mirror = Split_Vtk(Output());
    EXPECT_EQ(mirror.header[8], "SCALARS scalars short");
    EXPECT_EQ(Big_Shorts(mirror.data)[0], -1234);
}

// -y nan: a quiet NaN in float cells, "nan" as text and as the ESRI nodata
// value; 2-byte cells cannot hold it. The undefined cell is the second of
// the second row from the north. ESRI Float with -i declares its 2-byte cells.
TEST_F(Gebco_Window, NanMarksUndefinedCellsOfFloatAndTextOutputs) {
    const std::string head = "ncols        4\nnrows        4\nxllcenter    0\nyllcenter    50\n"
                             "cellsize     0.01666666667\nnodata_value ";
    const std::string rows = " 150 149 148 147\n50 nan 48 47\n-50 -51 -52 -53\n-150 -151 -152 -153\n";
    const std::string pair = "byteorder    msbfirst\n";
    const uint32_t quiet = 0x7FC00000;
    const struct {
        std::string program, option, out, hdr;  // hdr: the ESRI Float header
        size_t cell;                             // of the undefined cell among the binary cells
    } cases[] = {
        {"gebco2vtk", "-y", "", "", 9},  // VTK rows go from the south
        {"gebco2flt", "-y", "", head + "nan\n" + pair, 5},
        {"gebco2esri", "-y", head + "nan\n" + rows, "", 0},
        {"gebco2esri", "-iy", head + "nan\n" + rows, "", 0},
        {"gebco2flt", "-i", "", head + "-32768\n" + pair + "NBITS 16\nPIXELTYPE SIGNEDINT\n", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program + " " + c.option);
        std::vector<std::string> args = {c.option};
        if (c.option.back() == 'y') args.push_back("nan");
        Process_Result result = Run(c.program, args);
        ASSERT_EQ(result.status, 0) << result.err;
        if (!c.out.empty()) {
            EXPECT_EQ(Output(), c.out);
            continue;
        }
        std::string data = c.program == "gebco2vtk" ? Split_Vtk(Output()).data : Output();
        if (!c.hdr.empty()) {
            EXPECT_EQ(Read_File(dir / "out.hdr"), c.hdr);
        }
        if (c.option == "-i") {
            EXPECT_EQ(Big_Shorts(data)[c.cell], -32768);
            continue;
        }
        ASSERT_EQ(data.size(), 64u);
        EXPECT_EQ(std::bit_cast<uint32_t>(Big_Floats(data)[c.cell]), quiet);
    }
    // Text outputs only differ in their marker.
    ASSERT_EQ(Run("gebco2vtk", {"-a", "-y", "nan"}).status, 0);
    EXPECT_NE(Output().find("\n-50 -51 -52 -53\n50 nan 48 47\n"), std::string::npos) << Output();

    for (const char* program : {"gebco2flt", "gebco2vtk", "gebco2grd98"}) {
        std::filesystem::remove(dir / "out");
        Process_Result result = Run(program, {"-i", "-y", "nan"});
        EXPECT_EQ(result.status, 1) << program;
        EXPECT_EQ(result.err.rfind("Usage: ", 0), 0u) << result.err;
        EXPECT_EQ(result.err.find("could not"), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out")) << program;
    }
}

TEST_F(Gebco_Window, DebugListsTheHeaderAndTheValueRange) {
    Process_Result result = Run("gebco2vtk", {"-#"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("VTK output file out:\n# vtk DataFile Version 3.0\n", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("\nValue Range -153 : 150\n"), std::string::npos) << result.out;

    Process_Result to_stdout = Run("gebco2vtk", {"-#"}, "-");
    ASSERT_EQ(to_stdout.status, 0);
    EXPECT_EQ(to_stdout.out, Output()) << "the grid alone on standard output";
    EXPECT_NE(to_stdout.err.find("Value Range"), std::string::npos);
}

TEST_F(Gebco_Window, EndMarkerIsChecked) {
    Sparse_Grid missing = Gebco();
    missing.raw.clear();
    missing.length = kGebcoEnd;
    missing.Write(dir / "in.bin");
    Process_Result result = Run("gebco2vtk", {});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Format("File read/write error, Source line 2794, File in.bin, Location %ld -> %ld\n"
                                 "First 2397, Left 10800, Last 2400, Right 10803, Shift 0\n",
                                 long(kGebcoEnd), long(kGebcoEnd)));

    Sparse_Grid wrong = Gebco();
    wrong.raw = {{kGebcoEnd, Big_Short(-32766)}};
    wrong.Write(dir / "in.bin");
    EXPECT_NE(Run("gebco2vtk", {}).err.find("Source line 2815,"), std::string::npos);

    Sparse_Grid extra = Gebco();
    extra.raw.push_back({kGebcoEnd + 2, Big_Short(0)});
    extra.Write(dir / "in.bin");
    EXPECT_NE(Run("gebco2vtk", {}).err.find("Source line 2819,"), std::string::npos);
}

TEST_F(Gebco_Window, ATruncatedInputReportsTheFailedRead) {
    // The file ends after two cells of the first row read (the southern one).
    const int64_t stop = 612 + (int64_t{2400} * 21601 + 10802) * 2;
    Sparse_Grid cut = Gebco();
    cut.raw.clear();
    cut.cells = grid.cells;
    cut.length = stop;
    cut.Write(dir / "in.bin");
    Process_Result result = Run("gebco2vtk", {});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Format("File read/write error, Source line 2248, File in.bin, Location %ld -> %ld\n"
                                 "First 2397, Left 10800, Last 2400, Right 10803, Shift 0\n",
                                 long(612 + (2400L * 21601 + 10800) * 2), long(stop)));
}

// Runs `name` on `grid` with `args`, returning the VTK output.
struct Dataset : ::testing::Test {
    Scratch_Dir dir;
    Vtk_File Convert(const std::string& name, const Sparse_Grid& grid, std::vector<std::string> args) {
        grid.Write(dir / "in.bin");
        args.insert(args.end(), {"in.bin", "out.vtk"});
        Process_Result result = Run_Program(name, args, In(dir));
        EXPECT_EQ(result.status, 0) << result.err;
        return Split_Vtk(Read_File(dir / "out.vtk"));
    }
};

TEST_F(Dataset, Etopo2FillsTheSouthPoleRow) {
    // Little-endian rows of 10800 cells from 90°N, no header; 5400 rows.
    Sparse_Grid grid = Etopo2_Grid();
    for (int row = 5397; row <= 5399; ++row)
        for (int column = 5400; column <= 5403; ++column) grid.Set(row, column, row * 10 + column - 5400 - 53970);
    Vtk_File vtk = Convert("etopo2vtk", grid, {"-i", "-w", "0", "-e", "0.1", "-s", "-90", "-n", "-89.9"});
    EXPECT_EQ(vtk.header[4], "DIMENSIONS 4 4 1");
    std::vector<int16_t> expect(4, -2810);  // the 90°S row is 2810, negated
    for (int row = 5399; row >= 5397; --row)
        for (int c = 0; c < 4; ++c) expect.push_back(int16_t(-(row * 10 + c - 53970)));
    EXPECT_EQ(Big_Shorts(vtk.data), expect);
}

TEST_F(Dataset, BlendAndEtopo2ReadTheir180EastColumnFromTheRowStart) {
    Sparse_Grid grid = Blend_Grid();
    for (int row = 5397; row <= 5400; ++row) {
        grid.Set(row, 21597, 1);
        grid.Set(row, 21599, 3);
        grid.Set(row, 0, 7 + row - 5397);
    }
    // Columns 21597..21600, rows 5400 up to 5397.
    Vtk_File vtk = Convert("blend2vtk", grid, {"-im", "-w", "179.95", "-e", "180", "-s", "0", "-n", "0.05"});
    EXPECT_EQ(Big_Shorts(vtk.data), (std::vector<int16_t>{1, 0, 3, 10, 1, 0, 3, 9, 1, 0, 3, 8, 1, 0, 3, 7}));
}

TEST_F(Dataset, Srtm30ReadFrom0DegreesCrossesItsSeam) {
    // Data of 43200 x 21600 big-endian cells from the south, at the end of
    // the file whatever comes before.
    Sparse_Grid grid = Raw_Grid(100, 43200, 21600, 2, true);
    grid.raw.push_back({0, "junk before the data"});
    for (int L : {10798, 10799}) {
        const int stored = 21599 - L;
        for (int column : {43197, 43198, 43199, 0, 1, 2}) grid.Set(stored, column, L % 10 * 100 + column % 100);
    }
    Vtk_File vtk = Convert("srtm2vtk", grid, {"-im", "-w", "-0.02", "-e", "0.02", "-s", "0", "-n", "0.01"});
    EXPECT_EQ(vtk.header[4], "DIMENSIONS 6 2 1");
    EXPECT_EQ(vtk.header[6], Format("ORIGIN %1.10g %1.10g 0", (21597 + 0.5) / 120 - 180, 90 - (10799 + 0.5) / 120));
    // The southern row (L 10799) first, each across the seam.
    EXPECT_EQ(Big_Shorts(vtk.data), (std::vector<int16_t>{997, 998, 999, 900, 901, 902, 897, 898, 899, 800, 801, 802}));
}

TEST_F(Dataset, Srtm30ShorterThanItsDataFailsInsteadOfReadingElsewhere) {
    // The data would begin before the file does: no read may succeed.
    Write_File(dir / "in.bin", std::string(100000, '\x01'));
    Process_Result result =
        Run_Program("srtm2vtk", {"-pp", "-w", "0", "-e", "1", "-s", "0", "-n", "1", "in.bin", "out.vtk"}, In(dir));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("File read/write error, Source line 2248, File in.bin,"), std::string::npos)
        << result.err;
}

TEST_F(Dataset, GinaRowOrderDependsOnTheCellType) {
    // 2-byte GINA stores its southern row first behind 260540 header bytes;
    // float GINA its northern row first behind 1364.
    const std::vector<std::string> window = {"-w", "-10", "-e", "-9.995", "-s", "0.99", "-n", "1"};
    Sparse_Grid shorts = Raw_Grid(260540, 43200, 21600, 2, true);
    shorts.Set(21599 - 10680, 20400, 11);
    shorts.Set(21599 - 10681, 20400, 22);
    std::vector<std::string> args = {"-im"};
    args.insert(args.end(), window.begin(), window.end());
    EXPECT_EQ(Big_Shorts(Convert("gina2vtk", shorts, args).data), (std::vector<int16_t>{22, 11}));

    Sparse_Grid floats = Raw_Grid(1364, 43200, 21600, 4, true);
    floats.Set(10680, 20400, 11.5);
    floats.Set(10681, 20400, -22.5);
    args[0] = "-if";
    // Global float cells negated with halves toward zero.
    EXPECT_EQ(Big_Shorts(Convert("gina2vtk", floats, args).data), (std::vector<int16_t>{22, -11}));
}

TEST_F(Dataset, HugeFloatFileWithCellsNearItsEnd) {
    // SRTM30+ float data (3.7 GB) behind 1 GB of other bytes: offsets pass 4 GB.
    Sparse_Grid grid = Raw_Grid(int64_t{1} << 30, 43200, 21600, 4, true);
    grid.Set(21599, 43197, 12.5);
    grid.Set(21599, 43198, -0.0);
    grid.Set(21599, 43199, 4000);
    Vtk_File vtk = Convert("srtm2vtk", grid, {"-ppf", "-u", "-w", "179.98", "-e", "180", "-s", "89.995", "-n", "90"});
    EXPECT_EQ(vtk.header[4], "DIMENSIONS 3 1 1");
    EXPECT_EQ(vtk.data, Big_Float(-12.5f) + std::string("\x80\x00\x00\x00", 4) + Big_Float(-4000.0f))
        << "-0.0 keeps its sign";
}

TEST(Process, ExitStatusesAndMessagesSeenFromTheShell) {
    Scratch_Dir dir;
    Process_Result missing = Run_Program("gebco2vtk", {"nothere.bin", "out.vtk"}, In(dir));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "nothere.bin could not be opened\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.vtk"));

    EXPECT_EQ(Run_Program("gebco2vtk", {}).status, 1);
    const Process_Result help = Run_Program("gebco2vtk", {"-h"});
    EXPECT_EQ(help.status, 0);
}

// Absolute paths, started from an unrelated folder: files and folders that
// exist and that do not.
TEST(Process, AbsolutePathsForInputAndOutput) {
    Scratch_Dir dir, elsewhere;
    const std::string grid = dir / "grid.asc";
    Write_File(grid, "ncols 2\nnrows 2\nxllcenter 0\nyllcenter 0\ncellsize 1\n1 2\n3 4\n");
    Write_File(dir / "old.vtk", "to be replaced");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err, written;
    } cases[] = {
        {{grid, dir / "new.vtk"}, 0, "", dir / "new.vtk"},
        {{grid, dir / "old.vtk"}, 0, "", dir / "old.vtk"},
        {{grid, dir / "made/on/the/way.vtk"}, 0, "", dir / "made/on/the/way.vtk"},
        {{"/o", grid, "-w", "0", dir / "out.grd"}, 0, "", dir / "out.grd"},
        {{dir / "none.asc", dir / "out.vtk"}, 1, dir / "none.asc could not be opened\n", ""},
        {{dir.path().string() + "/", dir / "out.vtk"}, 1, dir.path().string() + "/ could not be opened\n", ""},
        {{grid, dir.path().string()}, 255,
         dir.path().string() + " could not be created (1874)\nError message: Is a directory\n", ""},
    };
    for (const auto& c : cases) {
        Process_Result result = Run_Program("esri2vtk", c.args, In(elsewhere));
        EXPECT_EQ(result.status, c.status) << c.args[1];
        EXPECT_EQ(result.err, c.err) << c.args[1];
        if (c.written.empty()) continue;
        const std::string out = Read_File(c.written);
        if (c.args[0] == "/o") {
            EXPECT_EQ(Big_Word(out, 0), 1000000001) << "/o chose GRD98 output";
            EXPECT_EQ(out.size(), 128u + 4 * 4);
        } else {
            EXPECT_EQ(Split_Vtk(out).header[4], "DIMENSIONS 2 2 1") << c.written;
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path())) << "no path was taken as relative";
}

TEST(Process, FullDiskIsAFailureNotASuccess) {
    Scratch_Dir dir;
    Sparse_Grid grid = Blend_Grid();  // a whole blend grid to a full device
    grid.Write(dir / "in.bin");
    std::filesystem::create_symlink("/dev/full", dir / "full");
    Process_Result result = Run_Program("blend2vtk", {"-w", "0", "-e", "1", "-s", "-89", "in.bin", "full"}, In(dir));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("File read/write error, Source line 2639,"), std::string::npos) << result.err;
}

// The -# listing on a full device is lost output: status 1 and a message.
TEST(Process, AListingLostOnAFullDeviceIsAFailure) {
    Scratch_Dir dir;
    Write_File(dir / "in.asc", "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n");
    const std::string program = (std::filesystem::absolute(DEPTHGRID_BIN_DIR) / "esri2vtk").string();
    const int raw =
        std::system(("cd '" + dir.path().string() + "' && '" + program + "' -# in.asc out.vtk >/dev/full 2>err").c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    EXPECT_EQ(Read_File(dir / "err"), "Listing (-#) could not be written\n");
}

}  // namespace
