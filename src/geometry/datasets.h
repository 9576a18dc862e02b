// Fixed layouts of the five raw global datasets.
#pragma once

#include "core/run_state.h"

// Bytes of SRTM30+ data of 2-byte cells: 43200 columns by 21600 rows. The
// data always end at the end of the file.
constexpr Offset_t Srtm30_Data_Bytes = Offset_t{43200} * 21600 * 2;

// Cells per degree and byte order, right after the command line: ETOPO2 is
// stored little-endian, everything else big-endian (Raw inverted).
void Set_Dataset_Constants(RunState& run);

// Position of the first data value of the input (run.Offset), once the
// output header has been written.
void Set_Data_Start(RunState& run);

// Cells of one stored row: GEBCO stores both the 180°W and the 180°E column.
int Stored_Row_Cells(const RunState& run);
