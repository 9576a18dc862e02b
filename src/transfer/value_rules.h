// Cell value rules: undefined values of input and output, sign, zero, scale,
// logarithm, 16-bit output, and the value range kept for the end report and
// the GRD98 header.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/run_state.h"

// The kind of cell the row transfer hands over, in host byte order.
enum class CellType : uint8_t {
    Short,       // 2-byte integer
    Float,       // 4-byte float
    Grd98Short,  // 2-byte GRD98 integer decoded on the float path
    Grd98Long,   // 4-byte GRD98 integer decoded on the float path
};

// Which cells the input delivers, from FloatInp and the GRD98 number type.
CellType Input_Cell_Type(const RunState& run);

// Bytes of one stored cell of that type.
inline int Cell_Bytes(CellType type) {
    return type == CellType::Short || type == CellType::Grd98Short ? 2 : 4;
}

// Float input to GRD98 or ESRI output gives float output (run step 7).
void Settle_ShortOut(RunState& run);

// The output undefined value, its text, the input undefined slot 0 and
// UpperOut, once per run after the output has been opened (run step 9).
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

private:
    RunState& run_;
};
