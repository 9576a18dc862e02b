#include "formats/vtk_writer.h"

#include <cmath>
#include <cstdint>

#include "core/input_names.h"
#include "formats/keywords.h"

namespace {

void Write_Title(const RunState& run, FILE* out) {
    if (run.VTKin) {
        fprintf(out, "%s\n", run.Title);
    } else if (run.GRD98in) {
        // The degree signs are single Latin-1 bytes, as GRD98 titles have
        // always been written.
        const GRD98_Header& h = run.GRD98_Inp_Header;
        fprintf(out,
                "%s %s %s %1d"
                "\xB0"
                "%1d'%1d\":%1d\"x%1d, %1d"
                "\xB0"
                "%1d'%1d\":%1d\"x%1d\n",
                "GRD98", "Grid", run.InpName, h.Longitude_Degrees, h.Longitude_Minutes,
                h.Longitude_Seconds, h.Longitude_Cell_Size, h.Longitude_Number_of_Cells,
                h.Latitude_Degrees, h.Latitude_Minutes, h.Latitude_Seconds,
                h.Latitude_Cell_Size, h.Latitude_Number_of_Cells);
    } else if (run.ESRIin || run.KMS2002) {
        // The title describes the whole input grid, not the window written.
        fprintf(out, "%s %s %s %1dx%1d %1.10g,%1.10g %1.10g\n",
                Input_Name_Table[int(run.ESRIin ? Input_Name::ESRI : Input_Name::KMS2002)].title, "Grid",
                run.InpName,
                run.Dimensions_X, run.Dimensions_Y, run.Origin_X, run.Origin_Y,
                run.Spacing_X);
    } else {
        // Global dataset rows count down from 90N; -n and -s name the first
        // and the last row written, so in the default lower-first order -n is
        // the southern latitude. No half-cell offset here.
        const int north_row = run.UpperOut ? run.First : run.Last;
        const int south_row = run.UpperOut ? run.Last : run.First;
        // The first dataset flag set names the grid; "GRD98" when none is.
        fprintf(out, "%s %s %s -w%1.8g -n%1.8g -e%1.8g -s%1.8g\n", Input_Name_Table[int(Named_Input(run))].title,
                "Grid", run.InpName, run.Left / run.Resolution_J - 180,
                90 - north_row / run.Resolution_I, run.Right / run.Resolution_J - 180,
                90 - south_row / run.Resolution_I);
    }
}

}  // namespace

void Write_VTK_Header(const RunState& run, FILE* out) {
    const int columns = run.Right - run.Left + 1;
    const int rows = run.Last - run.First + 1;

    fprintf(out, "# %s %s %s 3.0\n", Version_Keywords[vtk], Version_Keywords[DataFile],
            Version_Keywords[Version]);
    Write_Title(run, out);
    fprintf(out, "%s\n", Keywords[run.Ascii ? ASCII : BINARY]);
    fprintf(out, "%s %s\n", Keywords[DATASET], Keywords[STRUCTURED_POINTS]);
    fprintf(out, "%s %1d %1d 1\n", Keywords[DIMENSIONS], columns, rows);

    // Written for a single point too: readers take a missing spacing as 1,
    // and the cell size is part of the grid even where one cell is left.
    double dx, dy;
    if (run.UTM) {
        dx = 1 / run.Resolution_X;
        dy = 1 / run.Resolution_Y;
    } else {
        // Resolution_I is rounded to whole cells per degree once the
        // spacing snapped; a row resolution of the input that differs from
        // it in magnitude is the true one and wins.
        dx = 1 / run.Resolution_J;
        const bool own_rows = run.Resolution_Y != 0 &&
                              std::fabs(run.Resolution_Y) != std::fabs(run.Resolution_I);
        dy = 1 / (own_rows ? run.Resolution_Y : run.Resolution_I);
    }
    if (run.UpperOut) dy = -dy;
    fprintf(out, "%s %1.10g %1.10g 0\n", Keywords[SPACING], dx, dy);

    fprintf(out, "%s %1.10g %1.10g 0\n", Keywords[ORIGIN], run.Origo_X, run.Origo_Y);
    // Counted in 64 bits: a large metric window can hold more points than an
    // int, and the count must match the data block.
    fprintf(out, "%s %1lld\n", Keywords[POINT_DATA],
            static_cast<long long>(columns) * static_cast<long long>(rows));
    // Text data are always read back as float, whatever kind of number is
    // written.
    fprintf(out, "%s %s %s\n", Keywords[SCALARS], Misc_Keywords[0],
            Data_Keywords[run.ShortOut && !run.Ascii ? short_data : float_data]);
    fprintf(out, "%s %s\n", Keywords[LOOKUP_TABLE], Misc_Keywords[1]);
}
