#include "formats/binary_grid.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/text_grid.h"

int Stored_Bytes(Stored_Cell cell) {
    switch (cell) {
    case Stored_Cell::Int16: return 2;
    case Stored_Cell::Int32:
    case Stored_Cell::Float32: return 4;
    case Stored_Cell::Float64: break;
    }
    return 8;
}

namespace {

// Cells converted per read; memory stays flat whatever the row length.
constexpr int64_t Chunk_Cells = 65536;

// One stored cell as the transfer reads it, at `out`; returns its size there.
int Put_Cell(const unsigned char* in, Stored_Cell cell, bool reverse, unsigned char* out) {
    unsigned char bytes[8];
    const int size = Stored_Bytes(cell);
    for (int b = 0; b < size; ++b) bytes[b] = in[reverse ? size - 1 - b : b];
    float value = 0;
    switch (cell) {
    case Stored_Cell::Int16: std::memcpy(out, bytes, 2); return 2;
    case Stored_Cell::Float32: std::memcpy(out, bytes, 4); return 4;
    case Stored_Cell::Int32: {
        int32_t v;
        std::memcpy(&v, bytes, 4);
        value = static_cast<float>(v);
        break;
    }
    case Stored_Cell::Float64: {
        double v;
        std::memcpy(&v, bytes, 8);
        value = static_cast<float>(v);
        break;
    }
    }
    std::memcpy(out, &value, 4);
    return 4;
}

void Convert(RunState& run, const Binary_Layout& layout, int64_t row_cells) {
    FILE* temp = std::tmpfile();
    if (!temp) Temporary_Failure(run, "created");
    run.Values = temp;  // closed by the driver should the run end early

    const int in_size = Stored_Bytes(layout.cell);
    const int64_t padding = layout.row_bytes > 0 ? layout.row_bytes - row_cells * in_size : 0;
    std::vector<unsigned char> in(Chunk_Cells * in_size), out(Chunk_Cells * 4);
    bool more = fseeko(run.InpFile, layout.skip, SEEK_CUR) == 0;
    for (int64_t row = 0; row < run.Rows && more; ++row) {
        for (int64_t left = row_cells; left > 0 && more;) {
            const size_t wanted = std::min(left, Chunk_Cells);
            const size_t got = std::fread(in.data(), in_size, wanted, run.InpFile);
            size_t bytes = 0;
            for (size_t c = 0; c < got; ++c) bytes += Put_Cell(&in[c * in_size], layout.cell, run.Raw, &out[bytes]);
            if (std::fwrite(out.data(), 1, bytes, temp) != bytes) Temporary_Failure(run, "written");
            more = got == wanted;
            left -= wanted;
        }
        if (more && padding > 0 && row + 1 < run.Rows) more = fseeko(run.InpFile, padding, SEEK_CUR) == 0;
    }
    if (std::fflush(temp) != 0) Temporary_Failure(run, "written");
    if (fseeko(temp, 0, SEEK_SET) != 0) Temporary_Failure(run, "read");
}

}  // namespace

void Prepare_Binary_Values(RunState& run, const Binary_Layout& layout) {
    const int64_t row_cells = run.Columns;
    const bool padded = layout.row_bytes > row_cells * Stored_Bytes(layout.cell);
    if (padded || layout.cell == Stored_Cell::Int32 || layout.cell == Stored_Cell::Float64) {
        Convert(run, layout, row_cells);
    } else if (layout.skip > 0) {
        fseeko(run.InpFile, layout.skip, SEEK_CUR);
    }
}
