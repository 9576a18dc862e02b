// ESRI ASCII and ESRI Float output header.
#pragma once

#include <cstdio>

#include "driver/run_state.h"

// Writes the six ESRI header lines, and the byteorder line when the output is
// an ESRI Float pair (OutName2 not empty).
void Write_ESRI_Header(const RunState& run, FILE* out);
