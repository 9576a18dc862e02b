#include "formats/grd98_writer.h"

#include <bit>
#include <cstdint>
#include <cstdio>

#include "formats/grd98_reader.h"
#include "geometry/ftoi.h"

namespace {

// Low 16 bits of a value truncated toward zero.
int32_t Trunc16(double value) {
    return static_cast<int16_t>(static_cast<uint16_t>(trunc32(value)));
}

// Degrees, minutes and seconds of an angle, minutes and seconds counted
// upward from the degrees (-9.5 is -10 degrees 30 minutes). A corner whose
// degrees do not fit the header's 32-bit word cannot be written: the run ends.
void Corner(RunState& run, double angle, int32_t& degrees, int32_t& minutes, int32_t& seconds) {
    if (!(angle > -2147483648.0 && angle < 2147483648.0)) {
        std::fprintf(run.StdErr, "%s could not be written: corner %1.10g out of the GRD98 degree range\n",
                     run.OutName, angle);
        End_Run(run, 1);
    }
    degrees = trunc32(angle);
    minutes = trunc32((angle - degrees) * 60);
    seconds = ftoi(((angle - degrees) - minutes / 60.0) * 3600);
    if (seconds < 0) {
        seconds += 60;
        minutes -= 1;
    }
    if (minutes < 0) {
        minutes += 60;
        degrees -= 1;
    }
}

}  // namespace

void Write_GRD98_Header(RunState& run) {
    GRD98_Header& h = run.GRD98_Out_Header;
    if (run.Ioption) run.ShortOut = 1;

    h.Version = GRD98_Version;
    h.Length = 128;
    h.Data_Type = 1;

    const double ri = run.UTM ? run.Resolution_Y : run.Resolution_I;
    const double rj = run.UTM ? run.Resolution_X : run.Resolution_J;

    h.Latitude_Cell_Size = ftoi(3600 / ri);
    if (run.Pixel) run.Origo_Y += 0.5 / ri;
    Corner(run, run.Origo_Y, h.Latitude_Degrees, h.Latitude_Minutes, h.Latitude_Seconds);

    h.Longitude_Cell_Size = ftoi(3600 / rj);
    if (run.Pixel) run.Origo_X -= 0.5 / rj;
    h.Latitude_Number_of_Cells = run.Last - run.First + 1;
    Corner(run, run.Origo_X, h.Longitude_Degrees, h.Longitude_Minutes, h.Longitude_Seconds);
    h.Longitude_Number_of_Cells = run.Right - run.Left + 1;

    // Value range, in tenths where that fits 16 bits or the data are floats.
    h.Precision = 1;
    if (run.ShortOut && run.Fmax > run.Fmin) {
        if (run.Fmax < 3276.75 && run.Fmin > -3276.85) {
            h.Precision = 10;
            h.Minimum_Value = Trunc16(10.0f * run.Fmin);
            h.Maximum_Value = Trunc16(10.0f * run.Fmax);
        } else {
            h.Minimum_Value = Trunc16(run.Fmin);
            h.Maximum_Value = Trunc16(run.Fmax);
        }
    } else if (!run.ShortOut && run.Fmax > run.Fmin) {
        h.Precision = 10;
        h.Minimum_Value = ftoi(10.0f * run.Fmin);
        h.Maximum_Value = ftoi(10.0f * run.Fmax);
    } else {
        h.Minimum_Value = run.Imin;
        h.Maximum_Value = run.Imax;
    }

    h.Grid_Radius = -1;

    // Empty-cell marker. In tenths, a marker ending in 990 would read back
    // as a plausible value, so it moves on to ...999.
    if (run.ShortOut) {
        int32_t marker;
        if (h.Precision == 10 && !run.Ascii && run.Oundef > -3276.8 &&
            run.Oundef < 3276.7) {
            marker = ftoi(10.0f * run.Oundef);
            if (marker % 1000 == 990) marker += 9;
            else if (marker % 1000 == -990) marker -= 9;
        } else {
            marker = trunc32(run.Oundef);
        }
        run.Oundef = static_cast<float>(marker);
        h.Empty_Grid_Cell_Value = marker;
    } else {
        h.Empty_Grid_Cell_Value = std::bit_cast<int32_t>(run.Oundef);
    }

    h.Number_Type = run.ShortOut ? 2 : -4;
    h.Water_Datum = 0;
    h.Data_Value_Limit = 0;
    h.Cell_Registration = run.Pixel ? 1 : 0;

    if (run.Debug) {
        std::fprintf(run.Debug, "GRD98 utput file %s:\n", run.OutName);
        Print_GRD98_Header(run, &h);
    }

    Swap_GRD98_Header(&h);
    std::fwrite(&h, 1, sizeof h, run.OutFile);
    Swap_GRD98_Header(&h);
}

void End_GRD98_Pass(RunState& run) {
    if (run.GRD98out) run.Pixel = !run.Ascii;
}
