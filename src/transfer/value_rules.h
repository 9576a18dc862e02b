// Cell value rules: undefined values of input and output, sign, zero, scale,
// logarithm, 16-bit output, and the value range kept for the end report and
// the GRD98 header.
//
// Use by the row transfer, once per run:
//   run step 7:  Settle_ShortOut(run)          (before the output is opened)
//   run step 9:  Settle_Output_Defaults(run)   (after it is opened)
// and for every pass (GRD98 output has a check pass and a write pass):
//   Cell_Converter conv(run);        // after Check/ShortOut/Oundef are final
//   per row:  n = conv.Convert(cells, count, buf);  write n bytes of buf
//             conv.End_Row();
//   at the end of the pass (also after a failed read or write): conv.Finish();
// `cells` are count values of Input_Cell_Type(run) in host byte order (the
// transfer swaps big-endian input first); `buf` must hold
// count * conv.Max_Cell_Bytes() bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/cell_type.h"
#include "core/run_state.h"

// Which cells the input delivers, from FloatInp and the GRD98 number type.
CellType Input_Cell_Type(const RunState& run);

// Float input to GRD98 or ESRI output gives float output (run step 7).
void Settle_ShortOut(RunState& run);

// The output undefined value, its text, the input undefined slot 0 and
// UpperOut, once per run after the output has been opened (run step 9).
// Nundef counts the filled undefined slots from slot 0; when the -x values
// make room for the format's own undefined value in slot 0, the slot they
// move to is counted too. NaN_str may point to run.NaN_Text.
void Settle_Output_Defaults(RunState& run);

// Converts cells by the rules settled for one pass of the row transfer. The
// choices fixed for the run are made once here, not per cell.
class Cell_Converter {
public:
    // Settles the chain for one pass; run.Check tells the check pass, in
    // which nothing is written and only Fmin/Fmax/Imin/Imax are collected.
    explicit Cell_Converter(RunState& run);

    // Converts `count` cells of Input_Cell_Type(run), appending the output
    // bytes (text with separators, or big-endian binary) at `out`. Returns
    // the number of bytes put there; 0 in the check pass.
    size_t Convert(const void* cells, size_t count, char* out);

    // Upper bound of the bytes one cell can produce.
    size_t Max_Cell_Bytes() const;

    // Text output: the first value of the next row starts a new line.
    void End_Row();

    // Stores the ranges collected so far back into the run state.
    void Finish();

    // The settled rules, fixed for the pass.
    struct Rules {
        bool negate;        // exactly one of Minus and a global dataset
        bool minus;         // Minus, for float input to 2-byte output
        bool global;
        bool zero, zero2;   // -z, -zz
        bool hit_below;     // the zero rule hits values < 0 (else > 0)
        bool guard_undef;   // a value equal to Iundef[0] is not a zero hit
        bool times10;       // GRD98 write pass with precision 10
        bool ioption;       // float text written as integers
        bool decode10;      // GRD98 integer cells are tenths
        int32_t empty;      // GRD98 empty cell value
        float scale;        // 0 = off
        float log_base;     // 0 = off
        double ln_base;
        float fundef[4];    // slot 0 and the filled slots (unused = slot 0)
        bool more_fundef;   // slots 1..3 match a value slot 0 does not
        int16_t iundef[4];
        bool more_iundef;   // slots 1..3 differ from slot 0
        float oundef;
        int32_t oundef_trunc;
        const char* nan_str;
        size_t nan_len;
    };

private:
    using Kernel = size_t (*)(Cell_Converter&, const void*, size_t, char*);
    template <CellType In, int Out, bool Check, bool Apply>
    static size_t Run(Cell_Converter& self, const void* cells, size_t count,
                      char* out);
    template <CellType In, int Out, bool Check>
    static size_t Run_Plain(Cell_Converter& self, const void* cells, size_t count, char* out);

    RunState& run_;
    Rules rules_;
    Kernel kernel_;
    size_t cell_bytes_;
    int k_ = 0;  // values on the current text line
    float min_, max_, fmin_, fmax_;
    int16_t imin_, imax_;
};
