// The one path of the readers of grids with a text header (VTK, ESRI,
// KMS2002): the token source over the input, the format's own header
// lines, then the steps every such reader ends with: the grid as the window
// sees it, the values (text to a temporary binary file, binary values left
// in the input, or the data file of an ESRI Float pair) and the report of a
// grid that could not be read.
#pragma once

#include <cstdint>

#include "core/run_state.h"
#include "formats/header_lines.h"
#include "formats/text_grid.h"

// Where the values of a grid stand, as its header tells.
enum class Grid_Data : uint8_t {
    Text,       // text behind the header, converted to a temporary file
    Binary,     // binary behind the header, read from the input itself
    Data_File,  // in the data file of an ESRI Float pair
};

// What a header leaves for the shared steps.
struct Grid_Header {
    Grid_Data data = Grid_Data::Text;
    CellType cells = CellType::Float;  // kind of text values
    int bad_values = 0;                  // code of a line of values holding anything else
    bool companion = false;              // the header came from the file beside the one named
};

// The hooks of one format.
struct Grid_Format {
    // Reads the header lines from the token reader's current source (which
    // `source` holds and may reopen), fills the geometry, snaps it and
    // stores failure codes through Set_Error.
    void (*Read_Header)(RunState& run, Token_Source& source, Grid_Header& header);
    // The grid as the window and the row transfer see it; only for a sound
    // header. May end the run.
    void (*Describe)(RunState& run);
    // Opens the data file of Grid_Data::Data_File.
    void (*Open_Data)(RunState& run, const Grid_Header& header);
    // Ends the run with the report of the failure code stored.
    void (*Report)(RunState& run);
};

// Reads the grid of run.InpFile by its format's hooks; on success the input
// stream stands at the first value, or has become the temporary file.
void Read_Grid(RunState& run, const Grid_Format& format);

// ESRI and KMS2002 grids: stored from the top row down, each row west to
// east, float values. A window wholly beside a geographic grid skips it:
// the run ends with status 0 before any output is made.
void Describe_Top_Down_Grid(RunState& run);

// The report of an ESRI or KMS2002 grid that could not be read.
[[noreturn]] void Report_Text_Grid(RunState& run, const char* format_name);

// More cells than any grid this program is meant for: dimensions whose
// product exceeds it are refused, so that no size or position overflows.
constexpr int64_t Max_Grid_Cells = int64_t{1} << 40;
