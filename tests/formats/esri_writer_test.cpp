// The ESRI header of a one-cell window with a negative centre and a centre
// that needs all ten digits. Larger windows and the lines a Float pair adds
// are pinned end to end.
#include "formats/esri_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/capture.h"

namespace {

std::string Header(const RunState& run) {
    Captured out;
    Write_ESRI_Header(run, out.get());
    return out.text();
}

TEST(EsriHeader, OneCellWindowWithAllItsDigits) {
    RunState run;
    run.Left = run.Right = 7, run.First = run.Last = 3, run.Resolution_J = 60;
    run.Origo_X = 2401.0 / 240, run.Origo_Y = -0.5 / 60, run.NaN_str = "1.05409E+14";
    const std::string six =
        "ncols        1\nnrows        1\nxllcenter    10.00416667\nyllcenter    -0.008333333333\n"
        "cellsize     0.01666666667\nnodata_value 1.05409E+14\n";
    EXPECT_EQ(Header(run), six);
}

}  // namespace
