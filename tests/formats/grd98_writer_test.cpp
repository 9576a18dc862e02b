// Header words the square, plain end-to-end GRD98 outputs leave open.
#include "formats/grd98_writer.h"

#include <gtest/gtest.h>

#include <vector>

#include "formats/grd98_test_support.h"

namespace {

// A 1-minute GRD98 output just after its check pass.
struct Writer {
    RunState run;
    Captured out;
    Writer() { run.GRD98out = 1, run.OutFile = out.get(), run.OutName = "out.grd", run.Oundef = -32768; }
    const GRD98_Header& Write() { return Write_GRD98_Header(run), run.GRD98_Out_Header; }
};

TEST(Grd98Writer, CornerWordsCountUpwardFromTheDegreesOfNonSquareCells) {
    // Pixel output of 30" x 1' cells: the upper-left value at 45 - 1/240 N,
    // 10 + 1/120 E has its outer corner at 45 N, 10 E.
    struct Case {
        Flag pixel;
        double latitude, longitude;
        std::vector<int> words;
    } cases[] = {
        {0, -0.01, -30.5125, {-1, 59, 24, -31, 29, 15}},
        {0, 62 + 1 / 3600.0, -9.5, {62, 0, 1, -10, 30, 0}},
        {1, 45 - 1.0 / 240, 10 + 1.0 / 120, {45, 0, 0, 10, 0, 0}},
    };
    for (const Case& c : cases) {
        Writer w;
        w.run.Pixel = c.pixel, w.run.Resolution_I = 120, w.run.Origo_Y = c.latitude, w.run.Origo_X = c.longitude;
        const GRD98_Header& h = w.Write();
        EXPECT_EQ((std::vector<int>{h.Latitude_Degrees, h.Latitude_Minutes, h.Latitude_Seconds, h.Longitude_Degrees,
                                    h.Longitude_Minutes, h.Longitude_Seconds}), c.words);
        EXPECT_EQ(std::pair(h.Latitude_Cell_Size, h.Longitude_Cell_Size), std::pair(30, 60));
    }
}

TEST(Grd98Writer, MetricCellSizesComeFromCellsPerMetre) {
    Writer w;
    w.run.UTM = 1, w.run.Resolution_X = 0.5, w.run.Resolution_Y = 0.25;
    const GRD98_Header& h = w.Write();
    EXPECT_EQ(std::pair(h.Latitude_Cell_Size, h.Longitude_Cell_Size), std::pair(14400, 7200));
}

TEST(Grd98Writer, RangePrecisionAndEmptyMarker) {
    // A 2-byte marker in tenths ending in 990 moves on to 999, and 2-byte cells
    // get the marker; Imin and Imax count only for an empty float range.
    constexpr int32_t Float_Marker = static_cast<int32_t>(0xC7000000);  // -32768.0f
    struct Case {
        const char* what;
        Flag ioption;
        float fmin, fmax, oundef;
        std::vector<int> words;  // precision, minimum, maximum, number type, marker
    } cases[] = {
        {"marker -990", 1, -12.34f, 45.67f, -99, {10, -123, 456, 2, -999}},
        {"marker 1990", 1, -12.34f, 45.67f, 199, {10, -123, 456, 2, 1999}},
        {"marker tenths", 1, -12.34f, 45.67f, 12.34f, {10, -123, 456, 2, 123}},
        {"marker beyond", 1, -12.34f, 45.67f, -32768, {10, -123, 456, 2, -32768}},
        {"float rounds", 0, -12.34f, 45.67f, -32768, {10, -123, 457, -4, Float_Marker}},
        {"short too high", 1, -1.5f, 3276.75f, -9999.7f, {1, -1, 3276, 2, -9999}},
        {"short too low", 1, -3276.85f, 0.5f, -99, {1, -3276, 0, 2, -99}},
        {"2-byte range", 1, FLT_MAX, -FLT_MAX, -99, {1, -50, 1200, 2, -99}},
    };
    for (const Case& c : cases) {
        Writer w;
        w.run.Ioption = c.ioption, w.run.Oundef = c.oundef;
        w.run.Fmin = c.fmin, w.run.Fmax = c.fmax, w.run.Imin = -50, w.run.Imax = 1200;
        const GRD98_Header& h = w.Write();
        EXPECT_EQ((std::vector<int>{h.Precision, h.Minimum_Value, h.Maximum_Value, h.Number_Type,
                                    h.Empty_Grid_Cell_Value}), c.words) << c.what;
        EXPECT_EQ(w.run.Oundef, c.ioption ? c.words[4] : c.oundef) << c.what;
    }
}

}  // namespace
