#include "formats/grd98_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "formats/grd98_reader.h"
#include "formats/grd98_test_support.h"

namespace {

// A 1-minute GRD98 output just after its check pass.
struct Writer {
    RunState run;
    FILE* out = std::tmpfile();
    Writer() {
        run.GRD98out = 1, run.OutFile = out, run.OutName = "out.grd";
        run.Resolution_I = run.Resolution_J = 60, run.Oundef = -32768;
    }
    ~Writer() { std::fclose(out); }
    const GRD98_Header& Write() { return Write_GRD98_Header(run), run.GRD98_Out_Header; }
};

TEST(Grd98Writer, CornerWordsCountUpwardFromTheDegrees) {
    struct Case {
        double angle;
        int32_t d, m, s;
    } cases[] = {{-9.5, -10, 30, 0}, {0.25, 0, 15, 0},     {-0.01, -1, 59, 24},
                 {-45.25, -46, 45, 0}, {-30.5125, -31, 29, 15}, {62 + 1 / 3600.0, 62, 0, 1}};
    for (const Case& c : cases) {
        Writer w;
        w.run.Origo_Y = w.run.Origo_X = c.angle;
        const GRD98_Header& h = w.Write();
        EXPECT_EQ((std::vector<int>{h.Latitude_Degrees, h.Latitude_Minutes, h.Latitude_Seconds,
                                    h.Longitude_Degrees, h.Longitude_Minutes, h.Longitude_Seconds}),
                  (std::vector<int>{c.d, c.m, c.s, c.d, c.m, c.s}))
            << c.angle;
    }
}

TEST(Grd98Writer, GeometryWords) {
    // Pixel output: the upper-left value at 45 - 1/240 N, 10 + 1/120 E with
    // 30" x 1' cells has its outer corner at 45 N, 10 E.
    Writer w;
    w.run.Pixel = 1, w.run.Resolution_I = 120;
    w.run.Origo_Y = 45 - 1.0 / 240, w.run.Origo_X = 10 + 1.0 / 120;
    w.run.First = 5, w.run.Last = 14, w.run.Left = 3, w.run.Right = 4;
    const GRD98_Header& h = w.Write();
    EXPECT_EQ((std::vector<int>{h.Latitude_Degrees, h.Latitude_Minutes, h.Latitude_Seconds,
                                h.Longitude_Degrees, h.Longitude_Minutes, h.Longitude_Seconds}),
              (std::vector<int>{45, 0, 0, 10, 0, 0}));
    EXPECT_EQ(h.Latitude_Cell_Size, 30);
    EXPECT_EQ(h.Longitude_Cell_Size, 60);
    EXPECT_EQ(h.Latitude_Number_of_Cells, 10);
    EXPECT_EQ(h.Longitude_Number_of_Cells, 2);
    EXPECT_EQ(h.Cell_Registration, 1);

    Writer metric;  // cells per metre, not per degree
    metric.run.UTM = 1, metric.run.Resolution_X = 0.5, metric.run.Resolution_Y = 0.25;
    EXPECT_EQ(metric.Write().Longitude_Cell_Size, 7200);
    EXPECT_EQ(metric.run.GRD98_Out_Header.Latitude_Cell_Size, 14400);
}

TEST(Grd98Writer, RangePrecisionAndEmptyMarker) {
    struct Case {
        const char* what;
        Flag ioption;
        float fmin, fmax, oundef;
        int16_t imin, imax;
        int32_t precision, minimum, maximum, number_type, marker;
        float oundef_after;
    } cases[] = {
        {"short tenths", 1, -12.34f, 45.67f, -99, 32767, -32768, 10, -123, 456, 2, -999, -999},
        {"marker 1999", 1, -12.34f, 45.67f, 199, 32767, -32768, 10, -123, 456, 2, 1999, 1999},
        {"marker tenths", 1, -12.34f, 45.67f, 12.34f, 32767, -32768, 10, -123, 456, 2, 123, 123},
        {"marker beyond", 1, -12.34f, 45.67f, -32768, 32767, -32768, 10, -123, 456, 2, -32768, -32768},
        {"float tenths", 0, -12.34f, 45.67f, -32768, 32767, -32768, 10, -123, 457, -4,
         static_cast<int32_t>(0xC7000000), -32768},
        {"short too high", 1, -1.5f, 3276.75f, -9999.7f, 32767, -32768, 1, -1, 3276, 2, -9999, -9999},
        {"short too low", 1, -3276.85f, 0.5f, -99, 32767, -32768, 1, -3276, 0, 2, -99, -99},
        {"all equal", 0, 5.0f, 5.0f, -32768, 32767, -32768, 1, 32767, -32768, -4,
         static_cast<int32_t>(0xC7000000), -32768},
        {"2-byte range", 1, FLT_MAX, -FLT_MAX, -99, -50, 1200, 1, -50, 1200, 2, -99, -99},
    };
    for (const Case& c : cases) {
        Writer w;
        w.run.Ioption = c.ioption, w.run.Oundef = c.oundef;
        w.run.Fmin = c.fmin, w.run.Fmax = c.fmax, w.run.Imin = c.imin, w.run.Imax = c.imax;
        const GRD98_Header& h = w.Write();
        EXPECT_EQ(w.run.ShortOut, c.ioption) << c.what;
        EXPECT_EQ((std::vector<int>{h.Precision, h.Minimum_Value, h.Maximum_Value, h.Number_Type,
                                    h.Empty_Grid_Cell_Value}),
                  (std::vector<int>{c.precision, c.minimum, c.maximum, c.number_type, c.marker}))
            << c.what;
        EXPECT_EQ(w.run.Oundef, c.oundef_after) << c.what;
    }
}

TEST(Grd98Writer, WritesBigEndianListsAndKeepsTheRecordInHostOrder) {
    Writer w;
    Captured debug;
    w.run.Debug = debug.get();
    w.run.GRD98_Out_Header.Unused[2] = 77;  // as copied from a GRD98 input
    const GRD98_Header h = w.Write();
    EXPECT_EQ((std::vector<int>{h.Version, h.Length, h.Data_Type, h.Grid_Radius, h.Unused[2]}),
              (std::vector<int>{1000000001, 128, 1, -1, 77}));
    unsigned char bytes[129];
    std::rewind(w.out);
    ASSERT_EQ(std::fread(bytes, 1, 129, w.out), 128u);
    const unsigned char mark[] = {0x3B, 0x9A, 0xCA, 0x01, 0, 0, 0, 128};
    EXPECT_EQ(std::memcmp(bytes, mark, sizeof mark), 0);
    EXPECT_EQ(bytes[88 + 2 * 4 + 3], 77);
    EXPECT_EQ(debug.text().rfind("GRD98 utput file out.grd:\n  Version: 1000000001\n", 0), 0u);
}

TEST(Grd98Writer, AfterEachPassPixelIsTheOppositeOfAscii) {
    const Flag cases[][4] = {{1, 0, 0, 1}, {1, 0, 1, 1}, {0, 0, 0, 0}, {0, 1, 1, 1}};
    for (const auto& c : cases) {  // GRD98out, Ascii, Pixel before, after
        RunState run;
        run.GRD98out = c[0], run.Ascii = c[1], run.Pixel = c[2];
        End_GRD98_Pass(run);
        EXPECT_EQ(run.Pixel, c[3]);
    }
}

}  // namespace
