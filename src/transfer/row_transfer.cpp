#include "transfer/row_transfer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/swap.h"
#include "geometry/datasets.h"
#include "transfer/value_rules.h"

namespace {

// Read failure codes by cell type, write failure codes by output cell size.
int Read_Error_Code(CellType type) {
    switch (type) {
    case CellType::Grd98Short: return Short_Grd98_Short;
    case CellType::Grd98Long: return Short_Grd98_Long;
    case CellType::Float: return Short_Float_Input;
    case CellType::Short: break;
    }
    return Short_Short_Input;
}

// A run of stored cells read one after the other, from a stored column of
// the current row.
struct Span {
    int64_t column;
    int64_t cells;
};

// The stored columns of one window row, the same for every row: one span, or
// two when the window wraps to the start of the stored row (the 180°E column
// of blend and ETOPO2, the seam of SRTM30+ read from 0°, or a globe read
// round 180°).
struct Column_Plan {
    Span spans[2] = {};
    int count = 0;
};

Column_Plan Plan_Columns(const RunState& run) {
    Column_Plan plan;
    const int64_t cells = int64_t{run.Right} - run.Left + 1;
    if (cells <= 0) return plan;

    int64_t start = run.Left;
    if (run.Shift) start = run.Left < run.Shift ? run.Left + run.Shift : run.Left - run.Shift;

    if (run.DateLine) {
        const int64_t stored = run.RowSize / run.CellSize;
        while (start >= stored) start -= stored;
        const int64_t first = std::min(cells, stored - start);
        plan.spans[plan.count++] = {start, first};
        if (cells > first) plan.spans[plan.count++] = {0, cells - first};
        return plan;
    }

    int64_t wrap = -1;  // window column read from stored column 0
    if (run.Global() && (run.Blend || run.Etopo2)) wrap = run.Columns;
    else if (run.Shift) wrap = run.Shift;

    if (wrap >= run.Left && wrap <= run.Right) {
        if (wrap > run.Left) plan.spans[plan.count++] = {start, wrap - run.Left};
        plan.spans[plan.count++] = {0, int64_t{run.Right} - wrap + 1};
    } else {
        plan.spans[plan.count++] = {start, cells};
    }
    return plan;
}

// Stored row of window row I.
int64_t Stored_Row(const RunState& run, int I) {
    const RunState::InputKind input = run.Input();
    const bool relative = input == RunState::InputKind::VTK || input == RunState::InputKind::ESRI ||
                          input == RunState::InputKind::KMS2002;
    const bool in_order = relative ? run.UpperOut == run.UpperIn : run.UpperOut;
    int64_t L = in_order ? I : int64_t{run.First} + run.Last - I;
    // SRTM30+ and 2-byte GINA store their southern row first.
    if (run.Global() && (run.Srtm30 || (run.Gina && !run.FloatInp))) L = run.Rows - 1 - L;
    return L;
}

class Pass {
public:
    explicit Pass(RunState& run)
        : run_(run),
          type_(Input_Cell_Type(run)),
          converter_(run),
          plan_() {
        run.Location = run.Offset;
        Seek(run.Location);
        run.CellSize = Cell_Bytes(type_);
        run.RowSize = int64_t{Stored_Row_Cells(run)} * run.CellSize;
        plan_ = Plan_Columns(run);
        backwards_ = Stored_Row(run, run.Last) < Stored_Row(run, run.First);

        // Memory stays flat: cells go through in chunks that fit a fixed
        // output buffer, whatever the width of the grid or of the text
        // written for undefined cells. A narrow window needs no more than
        // its own row: small grids do not pay for a megabyte per pass.
        constexpr size_t output_budget = size_t{1} << 20;
        const size_t per_cell = std::max<size_t>(converter_.Max_Cell_Bytes(), 1);
        const size_t row_cells = static_cast<size_t>(std::max<int64_t>(int64_t{run.Right} - run.Left + 1, 1));
        chunk_cells_ = std::clamp<size_t>(output_budget / per_cell, 1, std::min<size_t>(65536, row_cells));
        input_.resize(chunk_cells_ * 4);
        // The output of many narrow rows is gathered and written in one go:
        // a write per row costs more than the row's conversion. The buffer
        // holds at least one chunk, and no more than the whole window.
        const int64_t window_cells = int64_t(row_cells) * std::max(run.Last - run.First + 1, 1);
        const size_t window_bytes = static_cast<size_t>(std::min<int64_t>(window_cells, output_budget)) * per_cell;
        output_.resize(std::clamp(window_bytes, chunk_cells_ * per_cell, output_budget));
        const int64_t stored_bytes = std::max<int64_t>(int64_t{run.Rows} * run.RowSize, 0);
        block_.resize(static_cast<size_t>(std::min<int64_t>(stored_bytes, output_budget)));
    }

    void Run() {
        for (int I = run_.First; I <= run_.Last && run_.Error == 0; ++I) {
            const int64_t L = Stored_Row(run_, I);
            run_.Loc1 = run_.Offset + L * run_.RowSize;
            run_.Loc2 = run_.Loc1 + run_.RowSize;
            if (run_.Global() && run_.Etopo2 && L == run_.Rows) {
                Fill_Row();
            } else {
                for (int s = 0; s < plan_.count && run_.Error == 0; ++s) Read_Span(plan_.spans[s], s == 0);
            }
            converter_.End_Row();
        }
        Write_Output();
        Settle_Stream();
        converter_.Finish();
    }

private:
    // Rows that follow each other in the file are read without a seek: a
    // seek makes the stream drop what it has buffered.
    bool Seek(int64_t position) {
        if (position == stands_at_) return true;
        const bool done = fseeko(run_.InpFile, position, SEEK_SET) == 0;
        stands_at_ = done ? position : -1;
        return done;
    }

    // Narrow rows are read many at a time into the block, in the order the
    // rows are taken: a read per row, backwards through the file for a grid
    // turned over, costs more than converting the row. Makes the block hold
    // the span of `bytes` at `position` when it is small enough.
    void Load_Block(int64_t position, int64_t bytes) {
        const int64_t end = position + bytes;
        if (position >= block_start_ && end <= block_end_) return;
        const int64_t size = static_cast<int64_t>(block_.size());
        if (bytes > size / 2 || position < run_.Offset) return;  // read straight into the chunk
        const int64_t start = backwards_ ? std::max(run_.Offset, end - size) : position;
        block_start_ = block_end_ = start;
        if (!Seek(start)) return;
        const size_t got = fread(block_.data(), 1, size, run_.InpFile);
        block_end_ = start + int64_t(got);
        block_at_end_ = got < size_t(size);
        stands_at_ = block_at_end_ ? -1 : block_end_;
    }

    // Reads up to `wanted` cells stored at `position`, from the block when
    // it holds them, and leaves them in host byte order at cells_: in the
    // block itself when they need no swap, else in the chunk. Returns the
    // number of whole cells read; when short, they are in the chunk. The
    // input stream is left where a read of just these cells leaves it: a
    // failure report names that position.
    size_t Read_Cells(int64_t position, size_t wanted) {
        const int64_t cell_bytes = run_.CellSize;
        const int64_t end = position + int64_t(wanted) * cell_bytes;
        cells_ = input_.data();
        size_t got = 0;
        if (position >= block_start_ && (end <= block_end_ || (block_at_end_ && position < block_end_))) {
            got = std::min<size_t>(wanted, (block_end_ - position) / cell_bytes);
            const char* stored = &block_[position - block_start_];
            if (run_.Raw) Swap_Cells(input_.data(), stored, got, run_.CellSize);
            else if (got == wanted) cells_ = stored;
            else std::memcpy(input_.data(), stored, got * cell_bytes);
            // Short of the end of the file, as the read of the cells would be.
            read_end_ = got == wanted ? end : -1;
            return got;
        }
        read_end_ = -1;
        if (!Seek(position)) return 0;
        got = fread(input_.data(), cell_bytes, wanted, run_.InpFile);
        stands_at_ = got == wanted ? end : -1;
        read_end_ = stands_at_;
        if (run_.Raw) Swap_Cells(input_.data(), input_.data(), got, run_.CellSize);
        return got;
    }

    // Puts the input stream back from read-ahead in the block.
    void Settle_Stream() {
        if (read_end_ >= 0 && read_end_ != stands_at_) Seek(read_end_);
    }

    // ETOPO2 stores no row at 90°S: every cell of it is the 2-byte value 2810.
    void Fill_Row() {
        run_.Location = run_.Loc1 + run_.CellSize * plan_.spans[0].column;
        read_end_ = Seek(run_.Location) ? run_.Location : -1;
        cells_ = input_.data();
        int64_t cells = int64_t{run_.Right} - run_.Left + 1;
        while (cells > 0) {
            const size_t n = std::min<int64_t>(cells, chunk_cells_);
            for (size_t c = 0; c < n; ++c) {
                if (type_ == CellType::Short) {
                    const int16_t v = 2810;
                    std::memcpy(&input_[c * 2], &v, 2);
                } else {
                    const float v = 2810;
                    std::memcpy(&input_[c * 4], &v, 4);
                }
            }
            Emit(n);
            if (run_.Error) return;
            cells -= n;
        }
    }

    void Read_Span(const Span& span, bool row_start) {
        const int64_t cell_bytes = run_.CellSize;
        const int64_t position = run_.Loc1 + cell_bytes * span.column;
        // Location is where the next read is meant to happen: the start of
        // the row or of the wrap; read round 180° it follows every cell.
        if (row_start || !run_.DateLine) run_.Location = position;
        Load_Block(position, span.cells * cell_bytes);

        int64_t at = position;
        int64_t left = span.cells;
        while (left > 0) {
            const size_t wanted = std::min<int64_t>(left, chunk_cells_);
            size_t got = Read_Cells(at, wanted);
            at += int64_t(got) * cell_bytes;
            if (run_.DateLine) run_.Location += int64_t(got) * cell_bytes;
            if (got < wanted) {
                // The failed cell is still converted and written, with no
                // meaning, and then the transfer ends.
                Set_Error(run_, Read_Error_Code(type_));
                std::memset(&input_[got * cell_bytes], 0, cell_bytes);
                Emit(got + 1);
                return;
            }
            Emit(got);
            if (run_.Error) return;
            left -= got;
        }
        if (run_.DateLine && run_.Location >= run_.Loc2) run_.Location = run_.Loc1;
    }

    // Converts cells behind the output gathered so far, which is written
    // first when the cells might not fit behind it. The gathered output goes
    // at the end of the pass, also after a failed read.
    void Emit(size_t cells) {
        if (output_.size() - pending_ < cells * converter_.Max_Cell_Bytes() && !Write_Output()) return;
        if (pending_ == 0) gathered_from_ = {run_.Location, read_end_};
        pending_ += converter_.Convert(cells_, cells, output_.data() + pending_);
    }

    // False when the output could not be written. The failure is reported
    // where the first of the gathered cells was read, as if they had been
    // written at once.
    bool Write_Output() {
        const size_t bytes = pending_;
        pending_ = 0;
        if (bytes == 0 || run_.Check) return true;
        if (fwrite(output_.data(), 1, bytes, run_.OutFile) == bytes || run_.Ascii) return true;
        Set_Error(run_, Lost_Output(run_));
        run_.Location = gathered_from_.location;
        read_end_ = gathered_from_.read_end;
        return false;
    }

    RunState& run_;
    CellType type_;
    Cell_Converter converter_;
    Column_Plan plan_;
    size_t chunk_cells_ = 0;
    int64_t stands_at_ = -1;  // where the input stream stands, -1 when not known
    std::vector<char> block_;  // input bytes from block_start_ to block_end_
    int64_t block_start_ = 0, block_end_ = 0;
    bool block_at_end_ = false;  // the block reaches the end of the file
    bool backwards_ = false;     // rows are taken from the end of the file on
    int64_t read_end_ = -1;      // the end of the cells read last, -1 when not known
    std::vector<char> input_;
    const char* cells_ = nullptr;  // the cells read last, in host byte order
    std::vector<char> output_;
    size_t pending_ = 0;  // converted bytes not yet written
    struct {
        int64_t location, read_end;
    } gathered_from_ = {};  // where the first of them was read
};

}  // namespace

void Renumber_Rows(RunState& run) {
    const RunState::InputKind input = run.Input();
    const bool north_first = (input == RunState::InputKind::VTK && run.UpperIn) ||
                             input == RunState::InputKind::ESRI ||
                             input == RunState::InputKind::KMS2002 ||
                             input == RunState::InputKind::GRD98;
    if (!run.UpsideDown && !north_first) return;
    const int first = run.First;
    run.First = run.Rows - 1 - run.Last;
    run.Last = run.Rows - 1 - first;
}

void Transfer_Rows(RunState& run) {
    Pass pass(run);
    pass.Run();
}
