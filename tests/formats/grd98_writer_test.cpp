#include "formats/grd98_writer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "formats/grd98_test_support.h"

namespace {

// A run just after the check pass of a 1-minute GRD98 output.
struct Writer {
    RunState run;
    FILE* out = std::tmpfile();

    Writer() {
        run.GRD98out = 1;
        run.OutFile = out;
        run.OutName = "out.grd";
        run.Resolution_I = run.Resolution_J = 60;
        run.Oundef = -32768;
    }
    ~Writer() { std::fclose(out); }

    const GRD98_Header& Write() {
        Write_GRD98_Header(run);
        return run.GRD98_Out_Header;
    }
};

TEST(Grd98Writer, CornerWordsCountUpwardFromTheDegrees) {
    struct Case {
        double angle;
        int32_t degrees, minutes, seconds;
    } cases[] = {
        {-9.5, -10, 30, 0},
        {0.25, 0, 15, 0},
        {10.5, 10, 30, 0},
        {-0.01, -1, 59, 24},             // seconds borrow from the minutes
        {-45.25, -46, 45, 0},
        {-30.5125, -31, 29, 15},         // -31 + 29' + 15"
        {62.0 + 1.0 / 3600, 62, 0, 1},
    };
    for (const Case& c : cases) {
        Writer w;
        w.run.Origo_Y = c.angle;
        w.run.Origo_X = c.angle;
        const GRD98_Header& h = w.Write();
        EXPECT_EQ(h.Latitude_Degrees, c.degrees) << c.angle;
        EXPECT_EQ(h.Latitude_Minutes, c.minutes) << c.angle;
        EXPECT_EQ(h.Latitude_Seconds, c.seconds) << c.angle;
        EXPECT_EQ(h.Longitude_Degrees, c.degrees) << c.angle;
        EXPECT_EQ(h.Longitude_Minutes, c.minutes) << c.angle;
        EXPECT_EQ(h.Longitude_Seconds, c.seconds) << c.angle;
    }
}

TEST(Grd98Writer, PixelCornerIsHalfACellOutside) {
    // Upper-left value at 45 - 1/240 N, 10 + 1/120 E with 30" x 1' cells:
    // the outer corner is 45 N, 10 E.
    Writer w;
    w.run.Pixel = 1;
    w.run.Resolution_I = 120;
    w.run.Origo_Y = 45 - 1.0 / 240;
    w.run.Origo_X = 10 + 1.0 / 120;
    w.run.First = 5;
    w.run.Last = 14;
    w.run.Left = 3;
    w.run.Right = 4;
    const GRD98_Header& h = w.Write();
    EXPECT_EQ(h.Latitude_Degrees, 45);
    EXPECT_EQ(h.Latitude_Minutes, 0);
    EXPECT_EQ(h.Latitude_Seconds, 0);
    EXPECT_EQ(h.Longitude_Degrees, 10);
    EXPECT_EQ(h.Longitude_Minutes, 0);
    EXPECT_EQ(h.Longitude_Seconds, 0);
    EXPECT_EQ(h.Latitude_Cell_Size, 30);
    EXPECT_EQ(h.Longitude_Cell_Size, 60);
    EXPECT_EQ(h.Latitude_Number_of_Cells, 10);
    EXPECT_EQ(h.Longitude_Number_of_Cells, 2);
    EXPECT_EQ(h.Cell_Registration, 1);
}

TEST(Grd98Writer, MetricGridsUseTheirOwnResolution) {
    Writer w;
    w.run.UTM = 1;
    w.run.Resolution_X = 0.5;   // 7200" cells
    w.run.Resolution_Y = 0.25;  // 14400"
    const GRD98_Header& h = w.Write();
    EXPECT_EQ(h.Longitude_Cell_Size, 7200);
    EXPECT_EQ(h.Latitude_Cell_Size, 14400);
}

TEST(Grd98Writer, RangeAndPrecision) {
    struct Case {
        const char* what;
        Flag ioption;
        float fmin, fmax;
        int16_t imin, imax;
        int32_t precision, minimum, maximum, number_type;
    } cases[] = {
        {"short tenths", 1, -12.34f, 45.67f, 32767, -32768, 10, -123, 456, 2},
        {"float tenths", 0, -12.34f, 45.67f, 32767, -32768, 10, -123, 457, -4},
        {"short too high", 1, -1.5f, 3276.75f, 32767, -32768, 1, -1, 3276, 2},
        {"short too low", 1, -3276.85f, 0.5f, 32767, -32768, 1, -3276, 0, 2},
        {"all equal", 0, 5.0f, 5.0f, 32767, -32768, 1, 32767, -32768, -4},
        {"2-byte range", 1, FLT_MAX, -FLT_MAX, -50, 1200, 1, -50, 1200, 2},
    };
    for (const Case& c : cases) {
        Writer w;
        w.run.Ioption = c.ioption;
        w.run.Fmin = c.fmin;
        w.run.Fmax = c.fmax;
        w.run.Imin = c.imin;
        w.run.Imax = c.imax;
        const GRD98_Header& h = w.Write();
        EXPECT_EQ(w.run.ShortOut, c.ioption) << c.what;
        EXPECT_EQ(h.Precision, c.precision) << c.what;
        EXPECT_EQ(h.Minimum_Value, c.minimum) << c.what;
        EXPECT_EQ(h.Maximum_Value, c.maximum) << c.what;
        EXPECT_EQ(h.Number_Type, c.number_type) << c.what;
    }
}

TEST(Grd98Writer, EmptyCellMarker) {
    struct Case {
        Flag short_out;
        bool tenths;  // the range gives precision 10
        float oundef;
        int32_t marker;
        float oundef_after;
    } cases[] = {
        {1, true, -99, -999, -999},      // -990 would look like data
        {1, true, 199, 1999, 1999},
        {1, true, 12.34f, 123, 123},
        {1, true, -32768, -32768, -32768},  // beyond tenths: whole units
        {1, false, -9999.7f, -9999, -9999},
        {0, true, -32768, static_cast<int32_t>(0xC7000000), -32768},  // float bits
    };
    for (const Case& c : cases) {
        Writer w;
        w.run.ShortOut = c.short_out;
        w.run.Oundef = c.oundef;
        if (c.tenths) {
            w.run.Fmin = -1;
            w.run.Fmax = 1;
        }
        const GRD98_Header& h = w.Write();
        EXPECT_EQ(h.Empty_Grid_Cell_Value, c.marker) << c.oundef;
        EXPECT_EQ(w.run.Oundef, c.oundef_after) << c.oundef;
    }
}

TEST(Grd98Writer, WritesBigEndianAndKeepsTheRecordInHostOrder) {
    Writer w;
    w.run.GRD98_Out_Header.Unused[2] = 77;  // as copied from a GRD98 input
    w.run.Last = 2;
    w.run.Right = 3;
    const GRD98_Header h = w.Write();
    EXPECT_EQ(h.Version, 1000000001);
    EXPECT_EQ(h.Length, 128);
    EXPECT_EQ(h.Data_Type, 1);
    EXPECT_EQ(h.Grid_Radius, -1);
    EXPECT_EQ(h.Unused[2], 77);
    EXPECT_EQ(h.Latitude_Number_of_Cells, 3);
    EXPECT_EQ(h.Longitude_Number_of_Cells, 4);

    unsigned char bytes[129];
    std::rewind(w.out);
    ASSERT_EQ(std::fread(bytes, 1, 129, w.out), 128u);
    const unsigned char mark[] = {0x3B, 0x9A, 0xCA, 0x01, 0, 0, 0, 128};
    EXPECT_EQ(std::memcmp(bytes, mark, sizeof mark), 0);
    const unsigned char unused2[] = {0, 0, 0, 77};
    EXPECT_EQ(std::memcmp(bytes + 88 + 8, unused2, 4), 0);
}

TEST(Grd98Writer, ListsTheHeaderOnDebug) {
    Writer w;
    Captured debug;
    w.run.Debug = debug.file();
    w.run.Pixel = 1;
    w.Write();
    const std::string text = debug.text();
    EXPECT_EQ(text.rfind("GRD98 utput file out.grd:\n  Version: 1000000001\n", 0), 0u) << text;
    EXPECT_NE(text.find("  Cell Registration: 1\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 2), "\n\n");
}

TEST(Grd98Writer, AfterEachPassPixelIsTheOppositeOfAscii) {
    struct Case {
        Flag grd98_out, ascii, pixel_before, pixel_after;
    } cases[] = {{1, 0, 0, 1}, {1, 0, 1, 1}, {0, 0, 0, 0}, {0, 1, 1, 1}};
    for (const Case& c : cases) {
        RunState run;
        run.GRD98out = c.grd98_out;
        run.Ascii = c.ascii;
        run.Pixel = c.pixel_before;
        End_GRD98_Pass(run);
        EXPECT_EQ(run.Pixel, c.pixel_after);
    }
}

}  // namespace
