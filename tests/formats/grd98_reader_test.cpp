// Header rules beyond the end-to-end GRD98 runs' plain corner and bad headers.
#include "formats/grd98_reader.h"

#include <gtest/gtest.h>

#include <tuple>

#include "formats/grd98_test_support.h"

namespace {

// Reads a header written in the given byte order; returns the exit status,
// or -100 when the run went on.
int Read(Test_Run& t, GRD98_Header h, bool big_endian) {
    if (big_endian) Swap_GRD98_Header(&h);
    Captured in;
    std::fwrite(&h, 1, sizeof h, in.get());
    std::rewind(in.get());
    t.run.InpFile = in.get(), t.run.InpName = "in.grd", t.run.OutName = "out.vtk", t.run.GRD98in = 1;
    try {
        Read_GRD98_Header(t.run);
    } catch (const RunEnded& e) {
        return e.Status;
    }
    return -100;
}

TEST(Grd98Reader, CornerRegistrationCellTypeAndResolutions) {
    // Corner -11 30' 0" = -10.5 N, -20 15' 36" = -19.74 E; pixel registered
    // corners lie half a cell outside the first value. Cells of 30, 60, 120,
    // 180 and 300 seconds are whole cells per degree.
    struct Case {
        bool big_endian;
        Flag first_guess, short_out, pixel_option;
        int32_t number_type, precision, registration, lat_size, lon_size;
        Flag float_inp, pixel, snap_y, snap_x;
        double res_i, res_j;
    } cases[] = {
        {true, 1, 1, 0, 2, 1, 0, 60, 60, 0, 0, 1, 1, 60, 60},
        {true, 0, 1, 0, 2, 10, 1, 30, 300, 1, 1, 1, 1, 120, 12},
        {false, 1, 1, 0, 4, 1, 0, 180, 120, 1, 0, 1, 1, 20, 30},
        {false, 0, 1, 1, -4, 1, 0, 45, 7, 1, 1, 0, 0, 80, 3600.0 / 7},
        {true, 1, 0, 0, 2, 1, 256, 60, 60, 1, 0, 1, 1, 60, 60},  // registration: low byte only
    };
    for (const Case& c : cases) {
        GRD98_Header h = Plain_Header();
        h.Latitude_Degrees = -11, h.Latitude_Minutes = 30;
        h.Longitude_Degrees = -20, h.Longitude_Minutes = 15, h.Longitude_Seconds = 36;
        h.Number_Type = c.number_type, h.Precision = c.precision, h.Cell_Registration = c.registration;
        h.Latitude_Cell_Size = c.lat_size, h.Longitude_Cell_Size = c.lon_size;
        Test_Run t;
        t.run.Raw = c.first_guess, t.run.ShortOut = c.short_out, t.run.Pixel = c.pixel_option;
        ASSERT_EQ(Read(t, h, c.big_endian), -100) << t.err.text();
        EXPECT_EQ(std::tuple(t.run.Raw, t.run.FloatInp, t.run.Pixel, t.run.Snap_Y, t.run.Snap_X),
                  std::tuple(Flag(c.big_endian), c.float_inp, c.pixel, c.snap_y, c.snap_x));
        EXPECT_EQ(std::tuple(t.run.Resolution_I, t.run.Resolution_J, t.run.Resolution_Y, t.run.Resolution_X),
                  std::tuple(c.res_i, c.res_j, c.res_i, c.res_j));
        EXPECT_NEAR(t.run.Latitude, -10.5 - (c.pixel ? c.lat_size / 7200.0 : 0), 1e-12);
        EXPECT_NEAR(t.run.Longitude, -19.74 + (c.pixel ? c.lon_size / 7200.0 : 0), 1e-12);
    }
}

TEST(Grd98Reader, RejectsWhatIsNoGrid) {
    struct Case {
        const char* what;
        void (*change)(GRD98_Header&);
        Flag esri_out;
        int status;
    } cases[] = {
        {"negative columns", [](GRD98_Header& h) { h.Longitude_Number_of_Cells = -1; }, 0, 1},
        {"non-square to ESRI", [](GRD98_Header& h) { h.Latitude_Cell_Size = 30; }, 1, 1},
        {"non-square elsewhere", [](GRD98_Header& h) { h.Latitude_Cell_Size = 30; }, 0, -100},
        {"negative cell size", [](GRD98_Header& h) { h.Longitude_Cell_Size = -60; }, 0, 1},
        {"zero row size", [](GRD98_Header& h) { h.Latitude_Cell_Size = 0; }, 0, 1},
        {"beyond any offset", [](GRD98_Header& h) {
             h.Latitude_Number_of_Cells = h.Longitude_Number_of_Cells = INT32_MAX, h.Number_Type = 4; }, 0, 1},
    };
    for (const Case& c : cases) {
        GRD98_Header h = Plain_Header();
        c.change(h);
        Test_Run t;
        t.run.ESRIout = c.esri_out;
        EXPECT_EQ(Read(t, h, true), c.status) << c.what;
        EXPECT_EQ(t.err.text(), c.status == 1 ? "in.grd is not in GRD98 format (1000000001 128)\n" : "") << c.what;
    }
}

}  // namespace
