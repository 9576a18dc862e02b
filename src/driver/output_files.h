// Output files: directories made on the way, the choice of the output stream,
// and what goes into the output before the first row.
#pragma once

#include <cstdio>

#include "core/run_state.h"

// Creates every directory named by Name and by each of its leading parts.
// Failures are ignored: they show when the file itself is opened.
void New_Directory(const char* Name);

// Creates the directories of Name and opens it with Mode; on failure reports
// "%s could not be created (%1d)" with Line and ends the run with status -1.
FILE* New_File(RunState& run, const char* Name, const char* Mode, int Line);

// The output is written as text: ASCII asked for, and not an ESRI output
// whose extension makes it a Float pair.
bool Text_Output(const RunState& run);

// Takes standard output or creates the output file (run step 8); may clear
// Ascii for an ESRI output whose extension begins with "fl".
void Open_Output(RunState& run);

// VTK output: the header on Debug (when set) and on OutFile (run step 10).
void Write_VTK_Output_Header(RunState& run);
