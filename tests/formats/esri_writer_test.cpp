#include "formats/esri_writer.h"

#include <gtest/gtest.h>

#include "support/capture.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Header(const RunState& run) {
    Captured out;
    Write_ESRI_Header(run, out.get());
    return out.text();
}

RunState Window(int left, int right, int first, int last) {
    RunState run;
    run.Left = left, run.Right = right, run.First = first, run.Last = last;
    run.Resolution_J = 120;
    run.NaN_str = "-9999";
    return run;
}

const char* const Six_Lines =
    "ncols        10\n"
    "nrows        5\n"
    "xllcenter    10.25\n"
    "yllcenter    -3.125\n"
    "cellsize     0.008333333333\n"
    "nodata_value -9999\n";

TEST(EsriHeader, AsciiHasSixLinesAndFloatAddsByteOrder) {
    RunState run = Window(20, 29, 100, 104);
    run.Origo_X = 10.25, run.Origo_Y = -3.125;
    EXPECT_EQ(Header(run), Six_Lines);

    strcpy(run.OutName2, "grid.hdr");
    EXPECT_EQ(Header(run), std::string(Six_Lines) + "byteorder    msbfirst\n");
}

TEST(EsriHeader, OneCellWindowGivesThatCellsCentre) {
    RunState run = Window(7, 7, 3, 3);
    run.Resolution_J = 60;
    run.Origo_X = 2401.0 / 240, run.Origo_Y = -0.5 / 60;
    run.NaN_str = "1.05409E+14";
    EXPECT_EQ(Header(run),
              "ncols        1\n"
              "nrows        1\n"
              "xllcenter    10.00416667\n"
              "yllcenter    -0.008333333333\n"
              "cellsize     0.01666666667\n"
              "nodata_value 1.05409E+14\n");
}

}  // namespace
