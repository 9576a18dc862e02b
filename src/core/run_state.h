// The run state: everything the stages of one conversion hand to each other.
// Every stage takes it by reference, so a test can build a fresh one and run
// any stage on its own. With it: the one path that ends a run, the failure
// code and the reader report that names the output never made.
#pragma once

#include <cfloat>
#include <cstdint>
#include <cstdio>

#include "core/failures.h"
#include "core/grd98_header.h"
#include "extract.h"

using Flag = uint8_t;
using Offset_t = int64_t;

// Undefined marker of float cells (bit pattern 0x56BFBCE4).
constexpr float Float_NaN = 1.05409E+14f;

// Oundef until -y gives a value: no value a user would choose.
constexpr float Oundef_Not_Given = 0.12345f;

struct RunState {
    // Files, streams and names.
    FILE* InpFile = nullptr;
    FILE* OutFile = nullptr;
    FILE* Debug = nullptr;
    FILE* Values = nullptr;  // a text reader's values as binary cells, until they become the input
    const char* InpName = "";
    const char* OutName = "";
    String InpName2 = "";
    String OutName2 = "";

    // The standard streams of the process; tests put their own in place.
    FILE* StdIn = stdin;
    FILE* StdOut = stdout;
    FILE* StdErr = stderr;
    const char* Invocation = "";  // the invocation word as typed

    // Input format.
    Flag VTKin = 0;
    Flag ESRIin = 0;
    Flag KMS2002 = 0;
    Flag GRD98in = 0;
    Flag Gebco = 0;
    Flag Blend = 0;
    Flag Gina = 0;
    Flag Etopo2 = 0;
    int Srtm30 = 0;

    // Output format and layout.
    Flag GRD98out = 0;
    Flag ESRIout = 0;
    Flag Ascii = 0;
    Flag ShortOut = 0;
    Flag Ioption = 0;
    Flag UpperOut = 0;
    Flag Pixel = 0;

    // Input representation.
    Flag FloatInp = 0;
    Flag Raw = 0;
    Flag UpsideDown = 0;
    Flag UpperIn = 0;
    Flag UTM = 0;
    Flag Binary = 0;

    // Value rules.
    Flag Zero = 0;
    Flag Zero2 = 0;
    Flag Minus = 0;
    Flag Altitudes = 0;
    float Scale = 0;
    float LogBase = 0;

    // Undefined values. Nundef counts the slots filled by -x (up to 4, so
    // that a fourth value takes part too).
    int Nundef = 0;
    int16_t Iundef[4] = {-32768, 0, 0, 0};
    float Fundef[4] = {FLT_MAX, 0, 0, 0};
    float Oundef = Oundef_Not_Given;
    const char* NaN_str = "1.05409E+14";
    const char* NaN_par = "-32768";
    char NaN_Text[32] = "";  // the printed output undefined value NaN_str may point to

    // Area window.
    float W = -FLT_MAX;
    float S = -FLT_MAX;
    float E = FLT_MAX;
    float N = FLT_MAX;
    int Left = 0;
    int Right = 0;
    int First = 0;
    int Last = 0;
    int Columns = 0;
    int Rows = 0;
    int Shift = 0;
    Flag DateLine = 0;
    // Which limits the user gave: a limit left out never cuts a grid.
    Flag W_given = 0;
    Flag E_given = 0;

    // Grid geometry.
    double Snap = 0.00001;
    Flag Snap_X = 0;
    Flag Snap_Y = 0;
    double Resolution_I = 60;
    double Resolution_J = 60;
    double Resolution_X = 0;
    double Resolution_Y = 0;
    double Latitude = 0;
    double Longitude = 0;
    double Origo_X = 0;
    double Origo_Y = 0;

    // VTK input header (the ESRI, KMS2002 and GRD98 readers fill the
    // dimension, spacing and origin fields too).
    String Title = "";
    int Dataset = 0;
    int Dimensions_X = 0, Dimensions_Y = 0, Dimensions_Z = 0;
    double Spacing_X = 0, Spacing_Y = 0, Spacing_Z = 0;
    double Origin_X = 0, Origin_Y = 0, Origin_Z = 0;
    int Point_Data = 0, Cell_Data = 0;
    int DataType = 0;

    // File positions.
    Offset_t Offset = 0;
    Offset_t Location = 0;
    Offset_t Loc1 = 0, Loc2 = 0;
    Offset_t CellSize = 0;
    Offset_t RowSize = 0;

    // Results.
    float Min_value = FLT_MAX;
    float Max_value = -FLT_MAX;
    GRD98_Header GRD98_Inp_Header{};
    GRD98_Header GRD98_Out_Header{};

    // Per-run values shared by the driver and the row transfer.
    int Error = 0;
    Flag Check = 0;
    float Fmin = FLT_MAX;
    float Fmax = -FLT_MAX;
    int16_t Imin = 32767;
    int16_t Imax = -32768;

    // Exit status, set by the one path that ends a run.
    int ExitStatus = 0;

    // The input actually read: VTK input wins over any other flag beside it
    // (an invocation name that chose VTK keeps it); a global dataset is an
    // input with none of the grid-relative flags.
    enum class InputKind : uint8_t { VTK, ESRI, KMS2002, GRD98, Global };
    InputKind Input() const {
        if (VTKin) return InputKind::VTK;
        if (ESRIin) return InputKind::ESRI;
        if (KMS2002) return InputKind::KMS2002;
        if (GRD98in) return InputKind::GRD98;
        return InputKind::Global;
    }
    bool Global() const { return Input() == InputKind::Global; }
    bool VtkOut() const { return !GRD98out && !ESRIout; }
};

// Option -y was given: Oundef no longer holds its initial marker value.
inline bool Oundef_Given(const RunState& run) { return run.Oundef != Oundef_Not_Given; }

// Slot 0 of the undefined values goes to the input format's own value: a
// value the user named with -x there moves to the next free slot (the last
// one at most) and stays undefined.
void Free_Undefined_Slot0(RunState& run);

// Ends the run: records the status and unwinds to the driver, which closes the
// files. No stage calls exit itself.
struct RunEnded {
    int Status;
};
[[noreturn]] void End_Run(RunState& run, int status);

// A file the run needs cannot be opened: "<name> could not be opened" on
// standard error, and the run ends with status 1.
[[noreturn]] void Not_Opened(RunState& run, const char* name);

// Records a failure code unless an earlier one is already stored (the
// metric cell codes replace it, see failures.h).
inline void Set_Error(RunState& run, int code) {
    if (run.Error == 0 || Replaces_Earlier(code)) run.Error = code;
}

// The code of output that could not be written, by the output's cell form.
inline int Lost_Output(const RunState& run) {
    return run.Ascii ? Lost_Text_Output : run.ShortOut ? Lost_Short_Output : Lost_Float_Output;
}

// A reader that gives up: `what` (one or more whole lines, formatted as by
// printf) on standard error, then "No utputfile (%s) generated" with the
// output name; the run ends with status 1.
[[noreturn]] void No_Output(RunState& run, const char* what, ...) __attribute__((format(printf, 2, 3)));

// The report of a grid that could not be read: "<grid> could not be properly
// treated", the line `detail`, then as No_Output.
[[noreturn]] void Not_Treated(RunState& run, const char* grid, const char* detail);
