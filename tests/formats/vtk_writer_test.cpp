#include "formats/vtk_writer.h"

#include <gtest/gtest.h>

#include "support/capture.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Header(const RunState& run) {
    Captured out;
    Write_VTK_Header(run, out.get());
    return out.text();
}

std::string Line(const std::string& text, int number) {
    size_t start = 0;
    for (int i = 1; i < number; ++i) start = text.find('\n', start) + 1;
    return text.substr(start, text.find('\n', start) - start);
}

// A VTK input of 1/120 degree cells, window given per test.
RunState Vtk_Input(int left, int right, int first, int last) {
    RunState run;
    run.VTKin = 1;
    strcpy(run.Title, "Bathymetry of the test bay");
    run.Resolution_I = run.Resolution_J = run.Resolution_Y = 120;
    run.Left = left, run.Right = right, run.First = first, run.Last = last;
    run.Origo_X = 10.5, run.Origo_Y = 55.25;
    return run;
}

TEST(VtkHeader, OneCellHasNoSpacingLine) {
    RunState run = Vtk_Input(7, 7, 3, 3);
    run.Ascii = 1;
    run.ShortOut = 1;  // text data are declared float whatever is written
    EXPECT_EQ(Header(run),
              "# vtk DataFile Version 3.0\n"
              "Bathymetry of the test bay\n"
              "ASCII\n"
              "DATASET STRUCTURED_POINTS\n"
              "DIMENSIONS 1 1 1\n"
              "ORIGIN 10.5 55.25 0\n"
              "POINT_DATA 1\n"
              "SCALARS scalars float\n"
              "LOOKUP_TABLE default\n");
}

TEST(VtkHeader, OneRowOfSeveralColumnsHasSpacing) {
    RunState run = Vtk_Input(10, 13, 5, 5);
    run.ShortOut = 1;
    EXPECT_EQ(Header(run),
              "# vtk DataFile Version 3.0\n"
              "Bathymetry of the test bay\n"
              "BINARY\n"
              "DATASET STRUCTURED_POINTS\n"
              "DIMENSIONS 4 1 1\n"
              "SPACING 0.008333333333 0.008333333333 0\n"
              "ORIGIN 10.5 55.25 0\n"
              "POINT_DATA 4\n"
              "SCALARS scalars short\n"
              "LOOKUP_TABLE default\n");
}

TEST(VtkHeader, SpacingRules) {
    struct Case {
        const char* name;
        Flag utm, upper;
        double res_i, res_j, res_x, res_y;
        const char* spacing;
    } cases[] = {
        {"geographic", 0, 0, 120, 60, 0, 0, "SPACING 0.01666666667 0.008333333333 0"},
        {"upper first", 0, 1, 120, 120, 0, 120, "SPACING 0.008333333333 -0.008333333333 0"},
        {"own rows differ", 0, 0, 120, 120, 0, 119.5, "SPACING 0.008333333333 0.008368200837 0"},
        {"own rows same size", 0, 1, 120, 120, 0, -120, "SPACING 0.008333333333 -0.008333333333 0"},
        {"metric", 1, 0, 60, 60, 0.01, 0.02, "SPACING 100 50 0"},
        {"metric upper first", 1, 1, 60, 60, 0.01, 0.02, "SPACING 100 -50 0"},
    };
    for (const Case& c : cases) {
        RunState run = Vtk_Input(0, 1, 0, 1);
        run.UTM = c.utm, run.UpperOut = c.upper;
        run.Resolution_I = c.res_i, run.Resolution_J = c.res_j;
        run.Resolution_X = c.res_x, run.Resolution_Y = c.res_y;
        EXPECT_EQ(Line(Header(run), 6), c.spacing) << c.name;
    }
}

TEST(VtkHeader, GRD98TitleUsesLatin1DegreeSigns) {
    RunState run = Vtk_Input(0, 1, 0, 1);
    run.VTKin = 0;
    run.GRD98in = 1;
    run.InpName = "in.grd";
    GRD98_Header& h = run.GRD98_Inp_Header;
    h.Longitude_Degrees = -10, h.Longitude_Minutes = 30, h.Longitude_Seconds = 0;
    h.Longitude_Cell_Size = 60, h.Longitude_Number_of_Cells = 600;
    h.Latitude_Degrees = 50, h.Latitude_Minutes = 15, h.Latitude_Seconds = 30;
    h.Latitude_Cell_Size = 30, h.Latitude_Number_of_Cells = 1200;
    EXPECT_EQ(Line(Header(run), 2),
              "GRD98 Grid in.grd -10\xB0" "30'0\":60\"x600, 50\xB0" "15'30\":30\"x1200");
}

TEST(VtkHeader, GridInputTitlesDescribeTheWholeInput) {
    for (Flag esri : {1, 0}) {
        RunState run = Vtk_Input(10, 19, 0, 4);
        run.VTKin = 0;
        run.ESRIin = esri, run.KMS2002 = !esri;
        run.InpName = "dem.asc";
        run.Dimensions_X = 400, run.Dimensions_Y = 300;
        run.Origin_X = -5.5, run.Origin_Y = 40.25, run.Spacing_X = 1.0 / 120;
        const std::string header = Header(run);
        EXPECT_EQ(Line(header, 2), std::string(esri ? "ESRI Ascii/Float" : "KMS2002 Ascii") +
                                       " Grid dem.asc 400x300 -5.5,40.25 0.008333333333");
        EXPECT_EQ(Line(header, 5), "DIMENSIONS 10 5 1");
    }
}

TEST(VtkHeader, GlobalDatasetTitles) {
    struct Case {
        Flag blend, gina, srtm, etopo, gebco, upper;
        const char* title;
    } cases[] = {
        {0, 0, 0, 0, 1, 0, "GEBCO One minute Grid world.bin -w0 -n50 -e10 -s60"},
        {0, 0, 0, 0, 1, 1, "GEBCO One minute Grid world.bin -w0 -n60 -e10 -s50"},
        {1, 0, 0, 0, 1, 0, "Gebco_SandS_blend One minute Grid world.bin -w0 -n50 -e10 -s60"},
        {0, 1, 1, 0, 0, 0, "GINA Half minute Grid world.bin -w0 -n50 -e10 -s60"},
        {0, 0, 1, 1, 0, 0, "SRTM30+ Half minute Grid world.bin -w0 -n50 -e10 -s60"},
        {0, 0, 0, 1, 0, 0, "ETOPO2 Two minute Grid world.bin -w0 -n50 -e10 -s60"},
        {0, 0, 0, 0, 0, 0, "GRD98 Grid world.bin -w0 -n50 -e10 -s60"},
    };
    for (const Case& c : cases) {
        RunState run;
        run.Blend = c.blend, run.Gina = c.gina, run.Srtm30 = c.srtm;
        run.Etopo2 = c.etopo, run.Gebco = c.gebco, run.UpperOut = c.upper;
        run.InpName = "world.bin";
        run.Left = 10800, run.Right = 11400, run.First = 1800, run.Last = 2400;
        EXPECT_EQ(Line(Header(run), 2), c.title);
    }

    // Half-minute limits carry no half-cell offset.
    RunState run;
    run.Gina = 1;
    run.InpName = "gina.bin";
    run.Resolution_I = run.Resolution_J = 120;
    run.Left = 21601, run.Right = 21700, run.First = 3, run.Last = 4800;
    EXPECT_EQ(Line(Header(run), 2),
              "GINA Half minute Grid gina.bin -w0.0083333333 -n50 -e0.83333333 -s89.975");
}

}  // namespace
