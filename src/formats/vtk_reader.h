// VTK structured points input: the text header through the token reader;
// binary data stay in the input, text data go to a temporary binary file.
#pragma once

#include "driver/run_state.h"

// The next line of the token reader's current source, echoed on Debug; with
// AllowEmpty, empty and comment lines are skipped. Null at the end.
char* Get_Ascii_Line(RunState& run, int AllowEmpty);

// Reads the VTK header of run.InpFile; ends the run with its report on a
// header it cannot accept.
void Read_VTK_Header(RunState& run);
