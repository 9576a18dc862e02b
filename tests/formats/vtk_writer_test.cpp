// VTK header lines the end-to-end outputs (GEBCO and GRD98 titles, -u) leave open.
#include "formats/vtk_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/capture.h"

namespace {

// Line `number` (from 1) of the header of `run`.
std::string Line(const RunState& run, int number) {
    Captured out;
    Write_VTK_Header(run, out.get());
    const std::string text = out.text();
    size_t start = 0;
    for (int i = 1; i < number; ++i) start = text.find('\n', start) + 1;
    return text.substr(start, text.find('\n', start) - start);
}

// A VTK input of 1/120 degree cells, window given per test.
RunState Vtk_Input(int left, int right, int first, int last) {
    RunState run;
    run.VTKin = 1, run.Resolution_I = run.Resolution_J = 120, run.Origo_X = 10.5, run.Origo_Y = 55.25;
    run.Left = left, run.Right = right, run.First = first, run.Last = last;
    strcpy(run.Title, "Bathymetry of the test bay");
    return run;
}

TEST(VtkHeader, EveryWindowHasItsSpacingAndTextIsDeclaredFloat) {
    RunState one = Vtk_Input(7, 7, 3, 3);
    one.Ascii = one.ShortOut = 1;
    EXPECT_EQ(Line(one, 6), "SPACING 0.008333333333 0.008333333333 0");
    EXPECT_EQ(Line(one, 7), "ORIGIN 10.5 55.25 0");
    EXPECT_EQ(Line(one, 9), "SCALARS scalars float");
    EXPECT_EQ(Line(Vtk_Input(10, 13, 5, 5), 6), "SPACING 0.008333333333 0.008333333333 0");
    EXPECT_EQ(Line(Vtk_Input(5, 5, 10, 13), 6), "SPACING 0.008333333333 0.008333333333 0");
}

TEST(VtkHeader, SpacingRules) {
    struct Case {
        const char* name;
        Flag utm, upper;
        double res_i, res_j, res_x, res_y;
        const char* spacing;
    } cases[] = {
        {"geographic", 0, 0, 120, 60, 0, 0, "SPACING 0.01666666667 0.008333333333 0"},
        {"own rows differ", 0, 0, 120, 120, 0, 119.5, "SPACING 0.008333333333 0.008368200837 0"},
        {"own rows same size", 0, 1, 120, 120, 0, -120, "SPACING 0.008333333333 -0.008333333333 0"},
        {"metric upper first", 1, 1, 60, 60, 0.01, 0.02, "SPACING 100 -50 0"},
    };
    for (const Case& c : cases) {
        RunState run = Vtk_Input(0, 1, 0, 1);
        run.UTM = c.utm, run.UpperOut = c.upper;
        run.Resolution_I = c.res_i, run.Resolution_J = c.res_j, run.Resolution_X = c.res_x, run.Resolution_Y = c.res_y;
        EXPECT_EQ(Line(run, 6), c.spacing) << c.name;
    }
}

TEST(VtkHeader, EsriAndKmsTitlesDescribeTheWholeInput) {
    for (Flag esri : {1, 0}) {
        RunState run = Vtk_Input(10, 19, 0, 4);
        run.VTKin = 0, run.ESRIin = esri, run.KMS2002 = !esri, run.InpName = "dem.asc";
        run.Dimensions_X = 400, run.Dimensions_Y = 300;
        run.Origin_X = -5.5, run.Origin_Y = 40.25, run.Spacing_X = 1.0 / 120;
        EXPECT_EQ(Line(run, 2), std::string(esri ? "ESRI Ascii/Float" : "KMS2002 Ascii") +
                                    " Grid dem.asc 400x300 -5.5,40.25 0.008333333333");
    }
}

TEST(VtkHeader, GlobalDatasetTitles) {
    struct Case {
        Flag blend, gina, srtm, etopo, gebco;
        const char* title;
    } cases[] = {  // the first name in this order wins
        {1, 0, 0, 0, 1, "Gebco_SandS_blend One minute Grid world.bin -w0 -n50 -e10 -s60"},
        {0, 1, 1, 0, 0, "GINA Half minute Grid world.bin -w0 -n50 -e10 -s60"},
        {0, 0, 1, 1, 0, "SRTM30+ Half minute Grid world.bin -w0 -n50 -e10 -s60"},
        {0, 0, 0, 1, 0, "ETOPO2 Two minute Grid world.bin -w0 -n50 -e10 -s60"},
    };
    for (const Case& c : cases) {
        RunState run;
        run.Blend = c.blend, run.Gina = c.gina, run.Srtm30 = c.srtm, run.Etopo2 = c.etopo, run.Gebco = c.gebco;
        run.InpName = "world.bin", run.Left = 10800, run.Right = 11400, run.First = 1800, run.Last = 2400;
        EXPECT_EQ(Line(run, 2), c.title);
    }
    // Half-minute limits carry no half-cell offset.
    RunState run;
    run.Gina = 1, run.InpName = "gina.bin", run.Resolution_I = run.Resolution_J = 120;
    run.Left = 21601, run.Right = 21700, run.First = 3, run.Last = 4800;
    EXPECT_EQ(Line(run, 2), "GINA Half minute Grid gina.bin -w0.0083333333 -n50 -e0.83333333 -s89.975");
}

}  // namespace
