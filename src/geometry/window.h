// The area window: west/south/east/north limits turned into whole columns
// and rows of the input grid, the date-line crossing and the output origin.
#pragma once

#include "core/run_state.h"

// West before east and south before north, for every input.
void Order_Limits(RunState& run);

// Window, grid size and column shift of a global dataset, right after the
// command line (rows count from 90°N).
void Global_Window(RunState& run);

// Window of a grid-relative input once its header is read (rows count from
// its southern row).
void Grid_Window(RunState& run);

// GINA and SRTM30+ have no column at 180°E and no row at 90°S: a limit that
// rounds onto them is pulled back by one cell.
void Pixel_Dataset_Correction(RunState& run);

// Origo_X/Origo_Y: the point of the output's first value.
void Output_Origin(RunState& run);
