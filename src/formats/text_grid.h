// Grid values written as text (ASCII VTK, ESRI ASCII, KMS2002) are copied
// into an anonymous temporary file of little-endian binary cells, which then
// replaces the input: the row transfer reads every input as a binary grid.
//
// Use, by a reader whose token source stands on the first line of values:
//   int64_t n = Convert_Text_Values(run, kind, bad_code);
//   Get_Close();
//   ... compare n with the grid size ...
//   Use_Temporary_Input(run);
#pragma once

#include <cstdint>

#include "core/cell_type.h"
#include "core/run_state.h"


// Reads numbers from the scan position of the token reader's current line
// on, and then from every following line up to the end of the source, and
// writes them in that order to a new temporary file held in run.Values.
// Numbers are separated by blanks or commas; "/*" ends the line as a
// comment; a line longer than the line image is read whole. The first line
// that holds anything else stores bad_code (unless a failure code is stored
// already) and is shown on standard error with "Line %1ld:\n%.78s\n"; the
// rest of such a line is skipped. Returns the number of values written; the
// file is flushed and positioned at its start. A temporary file that cannot
// be created or written ends the run with status 1.
// `kind` is CellType::Float (4-byte floats, read as the number reader's
// floats) or CellType::Short (2-byte integers: whole numbers, kept in their
// low 16 bits).
int64_t Convert_Text_Values(RunState& run, CellType kind, int bad_code);

// The temporary file of Convert_Text_Values becomes the input: the input
// stream is closed, run.InpFile takes the temporary file (little-endian, so
// Raw is cleared), Location is 0 and Values is none again.
void Use_Temporary_Input(RunState& run);

// Closes run.InpFile unless it is a standard stream, and forgets it.
void Close_Input(RunState& run);
