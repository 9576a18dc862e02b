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

        // Memory stays flat: cells go through in chunks that fit a fixed
        // output buffer, whatever the width of the grid or of the text
        // written for undefined cells. A narrow window needs no more than
        // its own row: small grids do not pay for a megabyte per pass.
        constexpr size_t output_budget = size_t{1} << 20;
        const size_t per_cell = std::max<size_t>(converter_.Max_Cell_Bytes(), 1);
        const size_t row_cells = static_cast<size_t>(std::max<int64_t>(int64_t{run.Right} - run.Left + 1, 1));
        chunk_cells_ = std::clamp<size_t>(output_budget / per_cell, 1, std::min<size_t>(65536, row_cells));
        chunk_bytes_ = chunk_cells_ * per_cell;
        input_.resize(chunk_cells_ * 4);
        // Text gathers the rows of a narrow grid up to the budget before it
        // is written: a write per row costs more system time than the
        // formatting of the row. Still no more than the whole window needs.
        size_t output_bytes = chunk_bytes_;
        if (run.Ascii) {
            const uint64_t rows = static_cast<uint64_t>(std::max(run.Last - run.First + 1, 1));
            output_bytes = std::max<size_t>(output_bytes, std::min<uint64_t>(output_budget, rows * row_cells * per_cell));
        }
        output_.resize(output_bytes);
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
        Write_Text();
        converter_.Finish();
    }

private:
    bool Seek(int64_t position) { return fseeko(run_.InpFile, position, SEEK_SET) == 0; }

    // ETOPO2 stores no row at 90°S: every cell of it is the 2-byte value 2810.
    void Fill_Row() {
        run_.Location = run_.Loc1 + run_.CellSize * plan_.spans[0].column;
        Seek(run_.Location);
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
        bool positioned = Seek(position);

        int64_t left = span.cells;
        while (left > 0) {
            const size_t wanted = std::min<int64_t>(left, chunk_cells_);
            size_t got = positioned ? fread(input_.data(), cell_bytes, wanted, run_.InpFile) : 0;
            if (run_.DateLine) run_.Location += int64_t(got) * cell_bytes;
            Swap_Cells(got);
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

    void Swap_Cells(size_t cells) {
        if (!run_.Raw) return;
        char* p = input_.data();
        if (run_.CellSize == 2) {
            for (size_t c = 0; c < cells; ++c) Swap2(p + 2 * c);
        } else {
            for (size_t c = 0; c < cells; ++c) Swap4(p + 4 * c);
        }
    }

    void Emit(size_t cells) {
        const size_t bytes = converter_.Convert(input_.data(), cells, output_.data() + text_bytes_);
        if (bytes == 0 || run_.Check) return;
        if (run_.Ascii) {
            // A failed text write leaves its mark on the stream, which the
            // end of the run reports: the transfer goes on either way.
            text_bytes_ += bytes;
            if (output_.size() - text_bytes_ < chunk_bytes_) Write_Text();
            return;
        }
        if (fwrite(output_.data(), 1, bytes, run_.OutFile) != bytes) Set_Error(run_, Lost_Output(run_));
    }

    void Write_Text() {
        if (text_bytes_ > 0) fwrite(output_.data(), 1, text_bytes_, run_.OutFile);
        text_bytes_ = 0;
    }

    RunState& run_;
    CellType type_;
    Cell_Converter converter_;
    Column_Plan plan_;
    size_t chunk_cells_ = 0;
    size_t chunk_bytes_ = 0;  // output of one chunk at most
    size_t text_bytes_ = 0;   // text gathered in output_, not yet written
    std::vector<char> input_;
    std::vector<char> output_;
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
