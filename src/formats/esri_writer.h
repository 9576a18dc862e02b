// ESRI ASCII and ESRI Float output: the header, and the pair of files of a
// Float output.
#pragma once

#include <cstdio>

#include "core/run_state.h"

// Writes the six ESRI header lines, and the byteorder line when the output is
// an ESRI Float pair (OutName2 not empty).
void Write_ESRI_Header(const RunState& run, FILE* out);

// An ESRI output whose last extension begins with "fl" (flt, FLT, Float, ...)
// is a Float pair whatever the options said.
bool ESRI_Float_Name(const char* name);

// The header at the start of an ESRI ASCII file, or the header file of an
// ESRI Float pair followed by the opening of its data file as run.OutFile.
// A Float pair that cannot be made (written to "-", a header that cannot be
// opened or written in full, a data file that cannot be opened) ends the run
// with status 1.
void Write_ESRI_Output_Header(RunState& run);
