// ESRI ASCII and ESRI Float input.
#pragma once

#include "core/run_state.h"

// Reads the ESRI header (from the file named, or from the header file beside
// a Float data file) and prepares the data stream; ends the run with its
// report on a header it cannot accept.
void Read_ESRI_Header(RunState& run);
