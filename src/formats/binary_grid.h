// Binary grid values the row transfer cannot read as they stand: cells of
// another kind than 2-byte integers and 4-byte floats, or rows padded to a
// byte count of their own. They are copied into an anonymous temporary file
// of plain rows, which then replaces the input as text values do.
#pragma once

#include <cstdint>

#include "core/run_state.h"

// How a binary grid stores one cell.
enum class Stored_Cell : uint8_t { Int16, Int32, Float32, Float64 };

int Stored_Bytes(Stored_Cell cell);

// Where and how the cells of a binary grid stand in their stream.
struct Binary_Layout {
    Stored_Cell cell = Stored_Cell::Float32;
    int64_t skip = 0;       // bytes before the first row
    int64_t row_bytes = 0;  // from the start of one row to the next; 0: the cells alone
};

// Makes the run.Rows rows of run.Columns cells that follow in run.InpFile
// readable by the row transfer: skips `skip` bytes, or, where the cells or
// rows are not those the transfer reads, copies them into a new temporary
// file held in run.Values: 2-byte integers stay such, every other kind
// becomes 4-byte floats (doubles rounded as the C conversion does), in host
// byte order; run.Raw tells the stored byte order. A grid that ends early is
// copied as far as it goes: the transfer then fails where it reads past it.
void Prepare_Binary_Values(RunState& run, const Binary_Layout& layout);
