#include "formats/grd98_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "formats/grd98_test_support.h"

namespace {

struct Reader {
    RunState run;
    Captured err;
    FILE* inp = nullptr;

    explicit Reader(const GRD98_Header& h, bool big_endian, size_t bytes = 128) {
        inp = Header_File(h, big_endian, bytes);
        run.InpFile = inp;
        run.InpName = "in.grd";
        run.OutName = "out.vtk";
        run.GRD98in = 1;
        run.Raw = 1;  // the first guess after the command line: big-endian
        run.StdErr = err.file();
    }
    ~Reader() { std::fclose(inp); }

    // Runs the reader; returns the exit status, or -100 when it went on.
    int Read() {
        try {
            Read_GRD98_Header(run);
        } catch (const RunEnded& e) {
            EXPECT_EQ(e.Status, run.ExitStatus);
            return e.Status;
        }
        return -100;
    }
};

TEST(Grd98Reader, ByteOrderFollowsTheMarkWhateverTheFirstGuess) {
    struct Case {
        bool big_endian;
        Flag first_guess;
    } cases[] = {{true, 1}, {true, 0}, {false, 1}, {false, 0}};
    for (const Case& c : cases) {
        GRD98_Header h = Plain_Header();
        h.Latitude_Degrees = -12;
        h.Unused[0] = 7;
        h.Unused[9] = -3;
        Reader r(h, c.big_endian);
        r.run.Raw = c.first_guess;
        ASSERT_EQ(r.Read(), -100) << r.err.text();
        EXPECT_EQ(r.run.Raw, c.big_endian ? 1 : 0);
        EXPECT_EQ(r.run.GRD98_Inp_Header.Latitude_Degrees, -12);
        EXPECT_EQ(r.run.Columns, 4);
        EXPECT_EQ(r.run.Rows, 3);
        // The whole header, reserved words included, is copied for output.
        EXPECT_EQ(std::memcmp(&r.run.GRD98_Out_Header, &h, sizeof h), 0);
        EXPECT_EQ(r.err.text(), "");
    }
}

TEST(Grd98Reader, FloatPathUnlessPlainShortsGoToShortOutput) {
    struct Case {
        int32_t number_type, precision;
        Flag short_out, float_inp, expected;
    } cases[] = {
        {2, 1, 1, 0, 0},   // read as plain 2-byte integers
        {2, 1, 0, 0, 1},   // float output
        {2, 10, 1, 0, 1},  // tenths
        {4, 1, 1, 0, 1},   {-4, 1, 1, 0, 1},
        {2, 1, 1, 1, 1},   // -f is kept
    };
    for (const Case& c : cases) {
        GRD98_Header h = Plain_Header();
        h.Number_Type = c.number_type;
        h.Precision = c.precision;
        Reader r(h, true);
        r.run.ShortOut = c.short_out;
        r.run.FloatInp = c.float_inp;
        ASSERT_EQ(r.Read(), -100);
        EXPECT_EQ(r.run.FloatInp, c.expected) << c.number_type << " " << c.precision;
    }
}

TEST(Grd98Reader, ResolutionsAreWholeForTheUsualCellSizes) {
    struct Case {
        int32_t lat_size, lon_size;
        Flag snap_y, snap_x;
        double res_i, res_j, res_y, res_x;
    } cases[] = {
        {30, 30, 1, 1, 120, 120, 120, 120},
        {300, 180, 1, 1, 12, 20, 12, 20},
        {120, 7, 1, 0, 30, 3600.0 / 7, 30, 3600.0 / 7},
        {45, 60, 0, 1, 80, 60, 80, 60},
    };
    for (const Case& c : cases) {
        GRD98_Header h = Plain_Header();
        h.Latitude_Cell_Size = c.lat_size;
        h.Longitude_Cell_Size = c.lon_size;
        Reader r(h, false);
        ASSERT_EQ(r.Read(), -100);
        EXPECT_EQ(r.run.Snap_Y, c.snap_y);
        EXPECT_EQ(r.run.Snap_X, c.snap_x);
        EXPECT_DOUBLE_EQ(r.run.Resolution_I, c.res_i);
        EXPECT_DOUBLE_EQ(r.run.Resolution_J, c.res_j);
        EXPECT_DOUBLE_EQ(r.run.Resolution_Y, c.res_y);
        EXPECT_DOUBLE_EQ(r.run.Resolution_X, c.res_x);
    }
}

TEST(Grd98Reader, CornerIsTheUpperLeftValue) {
    // Latitude -11 30' 0" is -10.5; longitude -20 15' 36" is -19.74.
    struct Case {
        int32_t registration;
        Flag pixel_option;
        Flag pixel;
        double latitude, longitude;
    } cases[] = {
        {0, 0, 0, -10.5, -19.74},
        {1, 0, 1, -10.5 - 1.0 / 120, -19.74 + 1.0 / 120},
        {0, 1, 1, -10.5 - 1.0 / 120, -19.74 + 1.0 / 120},  // -l
        {256, 0, 0, -10.5, -19.74},                          // low byte only
    };
    for (const Case& c : cases) {
        GRD98_Header h = Plain_Header();
        h.Latitude_Degrees = -11;
        h.Latitude_Minutes = 30;
        h.Longitude_Degrees = -20;
        h.Longitude_Minutes = 15;
        h.Longitude_Seconds = 36;
        h.Cell_Registration = c.registration;
        Reader r(h, true);
        r.run.Pixel = c.pixel_option;
        ASSERT_EQ(r.Read(), -100);
        EXPECT_EQ(r.run.Pixel, c.pixel);
        EXPECT_NEAR(r.run.Latitude, c.latitude, 1e-12);
        EXPECT_NEAR(r.run.Longitude, c.longitude, 1e-12);
    }
}

TEST(Grd98Reader, RejectsWhatIsNoGrid) {
    const char* not_grd98 = "in.grd is not in GRD98 format (1000000001 128)\n";
    struct Case {
        const char* what;
        void (*change)(GRD98_Header&);
        Flag esri_out;
    } cases[] = {
        {"no rows", [](GRD98_Header& h) { h.Latitude_Number_of_Cells = 0; }, 0},
        {"negative columns", [](GRD98_Header& h) { h.Longitude_Number_of_Cells = -1; }, 0},
        {"2-byte floats", [](GRD98_Header& h) { h.Number_Type = -2; }, 0},
        {"8-byte cells", [](GRD98_Header& h) { h.Number_Type = 8; }, 0},
        {"non-square for ESRI", [](GRD98_Header& h) { h.Latitude_Cell_Size = 30; }, 1},
        {"zero cell size", [](GRD98_Header& h) { h.Latitude_Cell_Size = h.Longitude_Cell_Size = 0; }, 0},
        {"negative cell size", [](GRD98_Header& h) { h.Longitude_Cell_Size = -60; }, 0},
        {"beyond any file offset",
         [](GRD98_Header& h) {
             h.Latitude_Number_of_Cells = h.Longitude_Number_of_Cells = INT32_MAX;
             h.Number_Type = 4;
         },
         0},
    };
    for (const Case& c : cases) {
        GRD98_Header h = Plain_Header();
        c.change(h);
        Reader r(h, true);
        r.run.ESRIout = c.esri_out;
        EXPECT_EQ(r.Read(), 1) << c.what;
        EXPECT_EQ(r.err.text(), not_grd98) << c.what;
    }

    GRD98_Header h = Plain_Header();
    h.Length = 64;
    Reader length(h, false);
    EXPECT_EQ(length.Read(), 1);
    EXPECT_EQ(length.err.text(), "in.grd is not in GRD98 format (1000000001 64)\n");
}

TEST(Grd98Reader, NonSquareCellsAreFineBesideEsri) {
    GRD98_Header h = Plain_Header();
    h.Latitude_Cell_Size = 30;
    Reader r(h, true);
    r.run.GRD98out = 1;
    EXPECT_EQ(r.Read(), -100);
}

TEST(Grd98Reader, WrongMarkShowsTheWordsInTheOtherOrder) {
    // 12345 is 00 00 30 39 and 128 is 00 00 00 80; read the other way round
    // they are 0x39300000 and 0x80000000.
    GRD98_Header h = Plain_Header();
    h.Version = 12345;
    Reader r(h, true);
    EXPECT_EQ(r.Read(), 1);
    EXPECT_EQ(r.run.Raw, 0);
    EXPECT_EQ(r.err.text(), "in.grd is not in GRD98 format (959447040 -2147483648)\n");
}

TEST(Grd98Reader, ShortHeaderCannotBeRead) {
    Reader r(Plain_Header(), true, 100);
    EXPECT_EQ(r.Read(), 1);
    EXPECT_EQ(r.err.text(), "in.grd could not be read from\nNo utputfile (out.vtk) generated\n");
}

TEST(Grd98Reader, ListsTheHeaderOnDebug) {
    GRD98_Header h = Plain_Header();
    h.Latitude_Degrees = -11;
    h.Latitude_Minutes = 30;
    h.Latitude_Seconds = 5;
    h.Longitude_Minutes = 2;
    h.Minimum_Value = -123;
    h.Maximum_Value = 456;
    h.Grid_Radius = -1;
    h.Precision = 10;
    h.Empty_Grid_Cell_Value = -999;
    h.Water_Datum = 3;
    h.Data_Value_Limit = 4;
    h.Cell_Registration = 1;
    for (int i = 0; i < 10; ++i) h.Unused[i] = i - 2;
    Captured debug;
    Reader r(h, true);
    r.run.Debug = debug.file();
    ASSERT_EQ(r.Read(), -100);
    EXPECT_EQ(debug.text(),
              "GRD98 input file in.grd:\n"
              "  Version: 1000000001\n"
              "  Length: 128\n"
              "  Data Type: 1\n"
              "  Latitude Degrees Minutes Seconds: -11 30 5 \n"
              "  Longitude Degrees Minutes Seconds: 10 2 0\n"
              "  Latitude Longitude Cell Size: 60 60\n"
              "  Latitude Longitude Number of Cells: 3 4\n"
              "  Minimum Maximum Value: -123 456\n"
              "  Grid Radius: -1\n"
              "  Precision: 10\n"
              "  Empty Grid Cell Value: -999\n"
              "  Number Type: 2\n"
              "  Water Datum: 3\n"
              "  Data Value Limit: 4\n"
              "  Cell Registration: 1\n"
              "  Unused [0 : 9]:  -2 -1 0 1 2 3 4 5 6 7\n"
              "\n");
}

TEST(Grd98Reader, FloatEmptyValueIsListedAsAFloatToo) {
    GRD98_Header h = Plain_Header();
    h.Number_Type = -4;
    h.Empty_Grid_Cell_Value = static_cast<int32_t>(0xC61C3C00);  // -9999.0f
    Captured debug;
    RunState run;
    run.Debug = debug.file();
    Print_GRD98_Header(run, &h);
    const std::string text = debug.text();
    EXPECT_NE(text.find("  Empty Grid Cell Value: -971228160 (-9999)\n  Number Type: -4\n"),
              std::string::npos)
        << text;
}

}  // namespace
