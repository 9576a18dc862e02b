#include "formats/grd98_reader.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/swap.h"
#include "geometry/snapping.h"

namespace {

// Cell sizes in arc seconds that stand for whole cells per degree.
bool Whole_Cells_Per_Degree(int32_t seconds) {
    return seconds == 30 || seconds == 60 || seconds == 120 || seconds == 180 ||
           seconds == 300;
}

// Largest data block accepted: far beyond any real grid, and small enough
// that every row and end position computed from it stays a valid offset.
constexpr int64_t Max_Data_Bytes = INT64_MAX / 4;

bool Acceptable(const RunState& run, const GRD98_Header& h) {
    if (h.Version != GRD98_Version) return false;
    if (h.Latitude_Number_of_Cells <= 0) return false;
    if (h.Longitude_Number_of_Cells <= 0) return false;
    if (h.Latitude_Cell_Size != h.Longitude_Cell_Size && run.ESRIout) return false;
    if (h.Number_Type != 4 && h.Number_Type != -4 && h.Number_Type != 2) return false;
    if (h.Length != 128) return false;
    // Cell sizes divide the degree; zero or negative sizes give no grid.
    if (h.Latitude_Cell_Size <= 0 || h.Longitude_Cell_Size <= 0) return false;
    const int64_t cell_bytes = std::abs(h.Number_Type);
    const int64_t row_bytes = int64_t{h.Longitude_Number_of_Cells} * cell_bytes;
    if (h.Latitude_Number_of_Cells > Max_Data_Bytes / row_bytes) return false;
    return true;
}

double Angle(int32_t degrees, int32_t minutes, int32_t seconds) {
    return degrees + (minutes + seconds / 60.0) / 60.0;
}

}  // namespace

void Swap_GRD98_Header(GRD98_Header* header) {
    auto* words = reinterpret_cast<unsigned char*>(header);
    for (size_t i = 0; i < sizeof(GRD98_Header); i += 4) Swap4(words + i);
}

void Print_GRD98_Header(const RunState& run, const GRD98_Header* h) {
    FILE* f = run.Debug;
    if (!f) return;
    std::fprintf(f, "  %s: %1d\n", "Version", h->Version);
    std::fprintf(f, "  %s: %1d\n", "Length", h->Length);
    std::fprintf(f, "  %s: %1d\n", "Data Type", h->Data_Type);
    std::fprintf(f, "  %s: %1d %1d %1d \n", "Latitude Degrees Minutes Seconds",
                 h->Latitude_Degrees, h->Latitude_Minutes, h->Latitude_Seconds);
    std::fprintf(f, "  %s: %1d %1d %1d\n", "Longitude Degrees Minutes Seconds",
                 h->Longitude_Degrees, h->Longitude_Minutes, h->Longitude_Seconds);
    std::fprintf(f, "  %s: %1d %1d\n", "Latitude Longitude Cell Size",
                 h->Latitude_Cell_Size, h->Longitude_Cell_Size);
    std::fprintf(f, "  %s: %1d %1d\n", "Latitude Longitude Number of Cells",
                 h->Latitude_Number_of_Cells, h->Longitude_Number_of_Cells);
    std::fprintf(f, "  %s: %1d %1d\n", "Minimum Maximum Value", h->Minimum_Value,
                 h->Maximum_Value);
    std::fprintf(f, "  %s: %1d\n", "Grid Radius", h->Grid_Radius);
    std::fprintf(f, "  %s: %1d\n", "Precision", h->Precision);
    if (h->Number_Type > 0)
        std::fprintf(f, "  %s: %1d\n", "Empty Grid Cell Value", h->Empty_Grid_Cell_Value);
    else
        std::fprintf(f, "  %s: %1d (%1.7g)\n", "Empty Grid Cell Value",
                     h->Empty_Grid_Cell_Value,
                     static_cast<double>(std::bit_cast<float>(h->Empty_Grid_Cell_Value)));
    std::fprintf(f, "  %s: %1d\n", "Number Type", h->Number_Type);
    std::fprintf(f, "  %s: %1d\n", "Water Datum", h->Water_Datum);
    std::fprintf(f, "  %s: %1d\n", "Data Value Limit", h->Data_Value_Limit);
    std::fprintf(f, "  %s: %1d\n", "Cell Registration", h->Cell_Registration);
    std::fprintf(f, "  %s [0 : 9]: ", "Unused");
    for (int32_t word : h->Unused) std::fprintf(f, " %1d", word);
    std::fwrite("\n\n", 1, 2, f);
}

void Read_GRD98_Header(RunState& run) {
    GRD98_Header& h = run.GRD98_Inp_Header;
    if (std::fread(&h, 1, sizeof h, run.InpFile) != sizeof h) No_Output(run, "%s could not be read from\n", run.InpName);

    // Raw is the first guess of the byte order; the mark decides.
    if (run.Raw) Swap_GRD98_Header(&h);
    if (h.Version != GRD98_Version) {
        run.Raw = !run.Raw;
        Swap_GRD98_Header(&h);
    }

    if (run.Debug) {
        std::fprintf(run.Debug, "GRD98 input file %s:\n", run.InpName);
        Print_GRD98_Header(run, &h);
    }

    // The reserved words travel on to a GRD98 output.
    run.GRD98_Out_Header = h;

    if (!Acceptable(run, h)) {
        std::fprintf(run.StdErr, "%s is not in GRD98 format (%1d %1d)\n", run.InpName,
                     h.Version, h.Length);
        End_Run(run, 1);
    }

    if (!run.Pixel) run.Pixel = (h.Cell_Registration & 0xFF) != 0;

    run.Snap_X = Whole_Cells_Per_Degree(h.Longitude_Cell_Size);
    run.Snap_Y = Whole_Cells_Per_Degree(h.Latitude_Cell_Size);
    Set_Resolutions(run, 3600.0 / h.Longitude_Cell_Size, 3600.0 / h.Latitude_Cell_Size);

    run.Columns = h.Longitude_Number_of_Cells;
    run.Rows = h.Latitude_Number_of_Cells;

    if (h.Number_Type == 4 || h.Number_Type == -4 || h.Precision == 10 || !run.ShortOut)
        run.FloatInp = 1;

    // The upper-left value: for pixel registration half a cell inside the
    // outer corner.
    run.Longitude = Angle(h.Longitude_Degrees, h.Longitude_Minutes, h.Longitude_Seconds);
    run.Latitude = Angle(h.Latitude_Degrees, h.Latitude_Minutes, h.Latitude_Seconds);
    if (run.Pixel) {
        run.Longitude += h.Longitude_Cell_Size / 7200.0;
        run.Latitude -= h.Latitude_Cell_Size / 7200.0;
    }
}
