#include "formats/grd98_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "formats/grd98_test_support.h"

namespace {

// Reads a header written in the given byte order (and cut to `bytes`);
// returns the exit status, or -100 when the run went on.
int Read(RunState& run, Captured& err, GRD98_Header h, bool big_endian, size_t bytes = 128) {
    if (big_endian) Swap_GRD98_Header(&h);
    FILE* f = std::tmpfile();
    std::fwrite(&h, 1, bytes, f);
    std::rewind(f);
    run.InpFile = f, run.InpName = "in.grd", run.OutName = "out.vtk", run.StdErr = err.get();
    run.GRD98in = 1;
    int status = -100;
    try {
        Read_GRD98_Header(run);
    } catch (const RunEnded& e) {
        status = e.Status;
        EXPECT_EQ(status, run.ExitStatus);
    }
    std::fclose(f);
    return status;
}

TEST(Grd98Reader, HeadersInBothByteOrders) {
    // Corner -11 30' 0" = -10.5 N, -20 15' 36" = -19.74 E; pixel registered
    // corners lie half a cell (1/120 degree) outside the first value.
    struct Case {
        bool big_endian;
        Flag first_guess, short_out, pixel_option;
        int32_t number_type, precision, registration;
        Flag float_inp, pixel;
    } cases[] = {
        {true, 1, 1, 0, 2, 1, 0, 0, 0},   {true, 0, 1, 0, 2, 10, 1, 1, 1},
        {false, 1, 1, 0, 4, 1, 0, 1, 0},  {false, 0, 1, 1, -4, 1, 0, 1, 1},
        {true, 1, 0, 0, 2, 1, 256, 1, 0},  // registration: low byte only
    };
    for (const Case& c : cases) {
        GRD98_Header h = Plain_Header();
        h.Latitude_Degrees = -11, h.Latitude_Minutes = 30;
        h.Longitude_Degrees = -20, h.Longitude_Minutes = 15, h.Longitude_Seconds = 36;
        h.Number_Type = c.number_type, h.Precision = c.precision;
        h.Cell_Registration = c.registration, h.Unused[9] = -3;
        RunState run;
        Captured err;
        run.Raw = c.first_guess, run.ShortOut = c.short_out, run.Pixel = c.pixel_option;
        ASSERT_EQ(Read(run, err, h, c.big_endian), -100) << err.text();
        EXPECT_EQ(run.Raw, c.big_endian ? 1 : 0);
        EXPECT_EQ(std::memcmp(&run.GRD98_Inp_Header, &h, sizeof h), 0);
        EXPECT_EQ(std::memcmp(&run.GRD98_Out_Header, &h, sizeof h), 0);
        EXPECT_EQ(run.FloatInp, c.float_inp);
        EXPECT_EQ(run.Pixel, c.pixel);
        const double half = c.pixel ? 1.0 / 120 : 0;
        EXPECT_NEAR(run.Latitude, -10.5 - half, 1e-12);
        EXPECT_NEAR(run.Longitude, -19.74 + half, 1e-12);
        EXPECT_EQ(run.Columns, 4);
        EXPECT_EQ(run.Rows, 3);
    }
}

TEST(Grd98Reader, ResolutionsAreWholeForTheUsualCellSizes) {
    struct Case {
        int32_t lat, lon;
        Flag snap_y, snap_x;
        double res_i, res_j;
    } cases[] = {{30, 300, 1, 1, 120, 12}, {180, 120, 1, 1, 20, 30}, {45, 7, 0, 0, 80, 3600.0 / 7}};
    for (const Case& c : cases) {
        GRD98_Header h = Plain_Header();
        h.Latitude_Cell_Size = c.lat, h.Longitude_Cell_Size = c.lon;
        RunState run;
        Captured err;
        ASSERT_EQ(Read(run, err, h, false), -100);
        EXPECT_EQ(run.Snap_Y, c.snap_y);
        EXPECT_EQ(run.Snap_X, c.snap_x);
        EXPECT_DOUBLE_EQ(run.Resolution_I, c.res_i);
        EXPECT_DOUBLE_EQ(run.Resolution_J, c.res_j);
        EXPECT_DOUBLE_EQ(run.Resolution_Y, c.res_i);
        EXPECT_DOUBLE_EQ(run.Resolution_X, c.res_j);
    }
}

TEST(Grd98Reader, RejectsWhatIsNoGrid) {
    const std::string plain = "in.grd is not in GRD98 format (1000000001 128)\n";
    struct Case {
        const char* what;
        void (*change)(GRD98_Header&);
        Flag esri_out;
        int status;
        std::string message;
    } cases[] = {
        {"no rows", [](GRD98_Header& h) { h.Latitude_Number_of_Cells = 0; }, 0, 1, plain},
        {"negative columns", [](GRD98_Header& h) { h.Longitude_Number_of_Cells = -1; }, 0, 1, plain},
        {"2-byte floats", [](GRD98_Header& h) { h.Number_Type = -2; }, 0, 1, plain},
        {"non-square to ESRI", [](GRD98_Header& h) { h.Latitude_Cell_Size = 30; }, 1, 1, plain},
        {"non-square elsewhere", [](GRD98_Header& h) { h.Latitude_Cell_Size = 30; }, 0, -100, ""},
        {"zero cell size", [](GRD98_Header& h) { h.Latitude_Cell_Size = 0; }, 0, 1, plain},
        {"negative cell size", [](GRD98_Header& h) { h.Longitude_Cell_Size = -60; }, 0, 1, plain},
        {"beyond any offset",
         [](GRD98_Header& h) {
             h.Latitude_Number_of_Cells = h.Longitude_Number_of_Cells = INT32_MAX, h.Number_Type = 4;
         },
         0, 1, plain},
        {"length", [](GRD98_Header& h) { h.Length = 64; }, 0, 1,
         "in.grd is not in GRD98 format (1000000001 64)\n"},
        // Wrong in both orders: 12345 and 128 read back as 0x39300000, 0x80000000.
        {"mark", [](GRD98_Header& h) { h.Version = 12345; }, 0, 1,
         "in.grd is not in GRD98 format (959447040 -2147483648)\n"},
    };
    for (const Case& c : cases) {
        GRD98_Header h = Plain_Header();
        c.change(h);
        RunState run;
        Captured err;
        run.ESRIout = c.esri_out, run.Raw = 1;  // big-endian tried first
        EXPECT_EQ(Read(run, err, h, true), c.status) << c.what;
        EXPECT_EQ(err.text(), c.message) << c.what;
    }
    RunState run;
    Captured err;
    EXPECT_EQ(Read(run, err, Plain_Header(), true, 100), 1);
    EXPECT_EQ(err.text(), "in.grd could not be read from\nNo utputfile (out.vtk) generated\n");
}

TEST(Grd98Reader, ListsTheHeaderOnDebug) {
    GRD98_Header h = Plain_Header();
    h.Latitude_Degrees = -11, h.Latitude_Minutes = 30, h.Latitude_Seconds = 5;
    h.Longitude_Minutes = 2, h.Minimum_Value = -123, h.Maximum_Value = 456;
    h.Grid_Radius = -1, h.Precision = 10, h.Empty_Grid_Cell_Value = -999;
    h.Water_Datum = 3, h.Data_Value_Limit = 4, h.Cell_Registration = 1;
    for (int i = 0; i < 10; ++i) h.Unused[i] = i - 2;
    const char* tail =
        "  Number Type: 2\n  Water Datum: 3\n  Data Value Limit: 4\n  Cell Registration: 1\n"
        "  Unused [0 : 9]:  -2 -1 0 1 2 3 4 5 6 7\n\n";
    RunState run;
    Captured err, debug;
    run.Debug = debug.get();
    ASSERT_EQ(Read(run, err, h, true), -100);
    EXPECT_EQ(debug.text(), std::string("GRD98 input file in.grd:\n"
                                        "  Version: 1000000001\n  Length: 128\n  Data Type: 1\n"
                                        "  Latitude Degrees Minutes Seconds: -11 30 5 \n"
                                        "  Longitude Degrees Minutes Seconds: 10 2 0\n"
                                        "  Latitude Longitude Cell Size: 60 60\n"
                                        "  Latitude Longitude Number of Cells: 3 4\n"
                                        "  Minimum Maximum Value: -123 456\n  Grid Radius: -1\n"
                                        "  Precision: 10\n  Empty Grid Cell Value: -999\n") +
                                tail);

    // Float cells: the empty value is also shown as the float of its bits.
    h.Number_Type = -4, h.Empty_Grid_Cell_Value = static_cast<int32_t>(0xC61C3C00);  // -9999.0f
    Captured floats;
    run.Debug = floats.get();
    Print_GRD98_Header(run, &h);
    EXPECT_NE(floats.text().find("  Empty Grid Cell Value: -971228160 (-9999)\n  Number Type: -4\n"),
              std::string::npos);
}

}  // namespace
